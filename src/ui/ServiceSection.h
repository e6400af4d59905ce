#pragma once

#include "platform/Scheduler.h"
#include "refinement/ChatFunction.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillo {

class AppSettings;
class ConnectionTest;

// The cloud service part of the settings form: the API key with its save button, the
// host, the models, the recognition language and the connection test. Each field
// writes its setting as it is edited and follows the setting when it changes elsewhere.
class ServiceSection : public QWidget {
    Q_OBJECT

public:
    ServiceSection(AppSettings &settings, Scheduler &scheduler, ChatFunction chat, QWidget *parent = nullptr);

    QLineEdit *apiKeyField() const { return apiKey_; }
    QPushButton *saveButton() const { return save_; }
    // Why the last save failed; empty when it did not.
    QString saveProblem() const;
    QLineEdit *hostField() const { return host_; }
    QLineEdit *asrModelField() const { return asrModel_; }
    QLineEdit *polishModelField() const { return polishModel_; }
    QComboBox *languagePicker() const { return language_; }
    QPushButton *testButton() const { return test_; }
    QString testResult() const;

private:
    QWidget *keyRow();
    QWidget *testRow(Scheduler &scheduler, ChatFunction chat);
    void bindSettings();
    void showSettings();
    void updateKeyState();
    void saveKey();

    AppSettings &settings_;
    bool keySaved_ = false;
    bool saving_ = false;
    ConnectionTest *connectionTest_ = nullptr;
    QLineEdit *apiKey_ = nullptr;
    QPushButton *save_ = nullptr;
    QLabel *saveProblem_ = nullptr;
    QLineEdit *host_ = nullptr;
    QLineEdit *asrModel_ = nullptr;
    QLineEdit *polishModel_ = nullptr;
    QComboBox *language_ = nullptr;
    QPushButton *test_ = nullptr;
    QLabel *testResult_ = nullptr;
};

} // namespace quillo
