#pragma once

#include <QString>

#include <functional>

namespace quillo {

// Counts checks and prints one line for each, then the summary.
class SelfTestReport {
public:
    using Print = std::function<void(const QString &line)>;

    explicit SelfTestReport(Print print)
        : print_(std::move(print))
    {
    }

    void check(const QString &label, bool passed, const QString &detail = {});
    void line(const QString &text) { print_(text); }
    // Prints the summary line; returns the number of failed checks.
    int summary();

    int passed() const { return passed_; }
    int failed() const { return failed_; }

private:
    Print print_;
    int passed_ = 0;
    int failed_ = 0;
};

} // namespace quillo
