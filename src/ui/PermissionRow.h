#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace quillo {

// One permission in the settings: a green or orange symbol, the title over its
// purpose, and either "已授权" or a "去授权" button running `action` (other
// labels where the desktop asks differently).
class PermissionRow : public QWidget {
    Q_OBJECT

public:
    PermissionRow(const QString &title, const QString &detail, std::function<void()> action, QWidget *parent = nullptr);

    void setGranted(bool granted);
    // Another detail and labels (empty button label: no button while not granted).
    void setTexts(const QString &detail, const QString &grantedLabel, const QString &buttonLabel);
    bool isGranted() const { return granted_; }
    QPushButton *grantButton() const { return button_; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void restyle();

    bool granted_ = false;
    bool hasButton_ = true;
    QLabel *icon_;
    QLabel *detail_;
    QLabel *grantedLabel_;
    QPushButton *button_;
};

} // namespace quillo
