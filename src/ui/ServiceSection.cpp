#include "ui/ServiceSection.h"

#include "settings/AppSettings.h"
#include "ui/ConnectionTest.h"
#include "ui/SettingsLayout.h"
#include "ui/SettingsText.h"
#include "ui/Theme.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace quillo {

namespace {

using namespace settingsLayout;

struct LanguageChoice {
    const char *code;
    const char *label;
};

constexpr LanguageChoice languages[]
    = {{"zh", QT_TRANSLATE_NOOP("Settings", "中文（含中英混说）")}, {"en", QT_TRANSLATE_NOOP("Settings", "英文")},
        {"yue", QT_TRANSLATE_NOOP("Settings", "粤语")}, {"auto", QT_TRANSLATE_NOOP("Settings", "自动")}};

} // namespace

ServiceSection::ServiceSection(AppSettings &settings, Scheduler &scheduler, ChatFunction chat, QWidget *parent)
    : QWidget(parent)
    , settings_(settings)
{
    QWidget *key = keyRow();
    host_ = new QLineEdit(this);
    asrModel_ = new QLineEdit(this);
    polishModel_ = new QLineEdit(this);
    for (QLineEdit *field : {host_, asrModel_, polishModel_})
        field->setMinimumWidth(240);
    language_ = new QComboBox(this);
    for (const LanguageChoice &choice : languages)
        language_->addItem(QCoreApplication::translate("Settings", choice.label), QString::fromLatin1(choice.code));
    QWidget *test = testRow(scheduler, std::move(chat));
    fillSection(*this, QCoreApplication::translate("Settings", "千问服务"),
        {formRow(QStringLiteral("API Key"), key, this), saveProblem_,
            formRow(QCoreApplication::translate("Settings", "接入域名"), host_, this),
            formRow(QCoreApplication::translate("Settings", "语音识别模型"), asrModel_, this),
            formRow(QCoreApplication::translate("Settings", "润色模型"), polishModel_, this),
            formRow(QCoreApplication::translate("Settings", "识别语言"), language_, this), test});
    bindSettings();
}

QWidget *ServiceSection::keyRow()
{
    apiKey_ = new QLineEdit(this);
    apiKey_->setEchoMode(QLineEdit::Password);
    apiKey_->setMinimumWidth(240);
    apiKey_->setAccessibleName(QStringLiteral("API Key"));
    save_ = new QPushButton(this);
    saveProblem_ = warning(this);
    saveProblem_->hide();
    connect(apiKey_, &QLineEdit::textChanged, this, [this] { updateKeyState(); });
    connect(apiKey_, &QLineEdit::returnPressed, this, [this] {
        if (save_->isEnabled())
            saveKey();
    });
    connect(save_, &QPushButton::clicked, this, &ServiceSection::saveKey);
    auto *box = new QWidget(this);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(apiKey_);
    row->addWidget(save_);
    return box;
}

QWidget *ServiceSection::testRow(Scheduler &scheduler, ChatFunction chat)
{
    test_ = new QPushButton(QCoreApplication::translate("Settings", "测试连接"), this);
    test_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    testResult_ = caption(QString(), 0.6, this);
    testResult_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    testResult_->hide();
    auto *box = new QWidget(this);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(test_, 0, Qt::AlignTop);
    row->addWidget(testResult_, 1);
    row->addStretch(0);

    ConnectionTest::Setup setup;
    setup.readKey = [this](std::function<void(const QString &)> done) {
        settings_.readAPIKey([done = std::move(done)](const APIKeyRead &read) { done(read.key); });
    };
    setup.host = [this] { return settings_.normalizedHost(); };
    setup.model = [this] { return settings_.polishModel(); };
    setup.chat = std::move(chat);
    connectionTest_ = new ConnectionTest(std::move(setup), scheduler, this);
    connect(test_, &QPushButton::clicked, this, [this] {
        testResult_->clear();
        testResult_->hide();
        connectionTest_->start();
    });
    connect(connectionTest_, &ConnectionTest::runningChanged, this, [this] { updateKeyState(); });
    connect(connectionTest_, &ConnectionTest::finished, this, [this](const QString &result) {
        testResult_->setText(result);
        testResult_->show();
    });
    return box;
}

void ServiceSection::bindSettings()
{
    showSettings();
    updateKeyState();
    AppSettings &s = settings_;
    connect(host_, &QLineEdit::textEdited, &s, &AppSettings::setApiHost);
    connect(asrModel_, &QLineEdit::textEdited, &s, &AppSettings::setAsrModel);
    connect(polishModel_, &QLineEdit::textEdited, &s, &AppSettings::setPolishModel);
    connect(language_, &QComboBox::activated, this,
        [this](int index) { settings_.setLanguage(language_->itemData(index).toString()); });
    connect(&s, &AppSettings::changed, this, &ServiceSection::showSettings);
    connect(&s, &AppSettings::apiKeyConfiguredChanged, this, &ServiceSection::updateKeyState);
}

void ServiceSection::showSettings()
{
    setTextIfChanged(host_, settings_.apiHost());
    setTextIfChanged(asrModel_, settings_.asrModel());
    setTextIfChanged(polishModel_, settings_.polishModel());
    const QString language = settings_.language();
    const int index = language_->findData(language);
    if (index >= 0) {
        language_->setCurrentIndex(index);
    } else if (language_->currentData().toString() != language) {
        // A code set outside this window stays visible rather than being replaced.
        language_->addItem(language, language);
        language_->setCurrentIndex(language_->count() - 1);
    }
}

void ServiceSection::updateKeyState()
{
    const bool configured = settings_.apiKeyState() == APIKeyState::stored;
    apiKey_->setPlaceholderText(settingsText::apiKeyPlaceholder(settings_.apiKeyState()));
    save_->setText(settingsText::saveButtonLabel(keySaved_));
    save_->setEnabled(!saving_ && settingsText::canSaveKey(apiKey_->text()));
    const bool testing = connectionTest_ && connectionTest_->isRunning();
    test_->setText(testing ? QCoreApplication::translate("Settings", "测试中…")
                           : QCoreApplication::translate("Settings", "测试连接"));
    test_->setEnabled(!testing && configured);
}

QString ServiceSection::saveProblem() const
{
    return saveProblem_->isHidden() ? QString() : saveProblem_->text();
}

QString ServiceSection::testResult() const
{
    return testResult_->isHidden() ? QString() : testResult_->text();
}

void ServiceSection::saveKey()
{
    const QString typed = apiKey_->text();
    if (saving_ || !settingsText::canSaveKey(typed))
        return;
    saving_ = true;
    saveProblem_->hide();
    updateKeyState();
    QPointer<ServiceSection> self(this);
    settings_.setAPIKey(typed, [self, typed](const APIKeySaved &saved) {
        if (!self)
            return;
        self->saving_ = false;
        if (saved) {
            self->keySaved_ = true;
            if (self->apiKey_->text() == typed)
                self->apiKey_->clear();
        } else {
            // The typed key stays in the field so a failed save costs nothing.
            const bool silent = saved.error().kind == CredentialError::Kind::timeout;
            self->saveProblem_->setText(silent
                    ? QCoreApplication::translate("Settings", "保存失败：系统密钥环没有响应，请确认它已解锁后重试")
                    : QCoreApplication::translate("Settings", "保存失败：无法写入系统密钥环，请重试"));
            self->saveProblem_->show();
        }
        self->updateKeyState();
    });
}

} // namespace quillo
