#include "ui/ScreenshotScene.h"

#include <QUuid>

namespace quillo {

namespace {

HistoryEntry entry(const QString &raw, const QString &text, const QString &app, double date)
{
    HistoryEntry e;
    e.id = QUuid::createUuid();
    e.date = date;
    e.raw = raw;
    e.text = text;
    e.appName = app;
    e.seconds = 6.4;
    return e;
}

} // namespace

ScreenshotScene::ScreenshotScene()
    : settings_(defaults_, credentials_, loginItem_, scheduler_)
    , history_(defaults_)
{
    wayland_.access = DesktopAccess{
        .shortcuts = DesktopAccess::Shortcuts::unavailable, .keyboard = DesktopAccess::Keyboard::notGranted};
    settings_.setAPIKey(QStringLiteral("sk-demo"));
    scheduler_.runDue();
    history_.add(entry(QStringLiteral("好的呀那我们周六晚上七点在老地方见吧记得叫上小王"),
        QStringLiteral("好的呀，那我们周六晚上七点在老地方见吧，记得叫上小王。"), QStringLiteral("微信"), 786'000'000));
    history_.add(entry(QStringLiteral("帮我把 getUserById 这个函数改成异步的然后补一个单元测试"),
        QStringLiteral("帮我把 getUserById 这个函数改成异步的，然后补一个单元测试。"), QStringLiteral("Terminal"),
        786'000'600));
}

} // namespace quillo
