#include "ui/ScreenshotRenderer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(ScreenshotRenderer, WritesEveryFileAsAPngOfItsSize)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("shots"));
    const auto written = renderScreenshots(target, 2.0);
    ASSERT_TRUE(written) << written.error().toStdString();
    const QStringList names = screenshotNames();
    EXPECT_EQ(written->size(), names.size());
    for (const QString &name : names) {
        const QImage image(QDir(target).filePath(name + QStringLiteral(".png")), "PNG");
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        if (name.startsWith(QStringLiteral("hud-")))
            EXPECT_EQ(image.size(), QSize(960, 192)) << name.toStdString();
        else if (name.startsWith(QStringLiteral("menu-")))
            EXPECT_EQ(image.width(), 680) << name.toStdString();
        else if (name == QStringLiteral("settings") || name == QStringLiteral("settings-dark"))
            EXPECT_EQ(image.size(), QSize(1120, 1280)) << name.toStdString();
        else if (name.startsWith(QStringLiteral("recorder")))
            EXPECT_GT(image.width(), 0);
        else
            EXPECT_GT(image.height(), 1280) << "the full form is taller than the window";
    }
    // Every window has its dark twin.
    EXPECT_TRUE(names.contains(QStringLiteral("menu-dark")));
    EXPECT_TRUE(names.contains(QStringLiteral("settings-dark")));
    EXPECT_TRUE(names.contains(QStringLiteral("recorder-dark")));
    EXPECT_NE(QImage(QDir(target).filePath(QStringLiteral("menu-light.png"))),
        QImage(QDir(target).filePath(QStringLiteral("menu-dark.png"))));
}

TEST(ScreenshotRenderer, ReportsADirectoryItCannotCreate)
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("file"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const auto written = renderScreenshots(blocker + QStringLiteral("/sub"));
    EXPECT_FALSE(written);
}

} // namespace
} // namespace quillo
