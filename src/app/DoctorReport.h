#pragma once

#include "app/DoctorFindings.h"
#include "app/DoctorVerdict.h"

#include <QStringList>

namespace quillo {

// The lines quillo --doctor prints: what it found, grouped (✓ works, ✗ missing, ! works
// with a catch, · for information), then what to do, then the verdict.
class DoctorReport {
public:
    static QStringList lines(const DoctorFindings &findings, const DoctorVerdict &verdict);

private:
    static void session(const DoctorFindings &f, QStringList &out);
    static void wayland(const DoctorFindings &f, QStringList &out);
    static void portal(const DoctorFindings &f, QStringList &out);
    static void hotkeys(const DoctorFindings &f, QStringList &out);
    static void desktopBindings(const DoctorFindings &f, QStringList &out);
    static void paste(const DoctorFindings &f, QStringList &out);
    static void inputMethod(const DoctorFindings &f, QStringList &out);
    static void microphone(const DoctorFindings &f, QStringList &out);
    static void key(const DoctorFindings &f, QStringList &out);
    static void tray(const DoctorFindings &f, QStringList &out);
    static void lastDictation(const DoctorFindings &f, QStringList &out);
};

} // namespace quillo
