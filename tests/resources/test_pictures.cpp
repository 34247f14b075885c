#include "resources/PinData.h"
#include "resources/Pictures.h"

#include <QImage>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// Share of pixels that are not transparent, and how many colours appear.
struct Ink {
    double covered = 0;
    int colours = 0;
};
Ink inkOf(const QPixmap& pm)
{
    const QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> seen;
    qint64 opaque = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) > 0)
                ++opaque;
            if (seen.size() < 1000)
                seen.insert(p);
        }
    return {double(opaque) / double(img.width() * img.height()), static_cast<int>(seen.size())};
}

} // namespace

TEST(Pictures, EveryToolbarKeyHasAPictureAtEverySize)
{
    ASSERT_EQ(pictures::toolbarKeys().size(), 12);
    for (const QString& key : pictures::toolbarKeys()) {
        SCOPED_TRACE(key.toStdString());
        const QIcon icon = pictures::toolbarIcon(key);
        ASSERT_FALSE(icon.isNull());
        for (int s : {16, 24, 32}) {
            const Ink ink = inkOf(icon.pixmap(s, s));
            EXPECT_GT(ink.covered, 0.2);
            EXPECT_GT(ink.colours, 8);
        }
    }
    EXPECT_TRUE(pictures::toolbarIcon(QStringLiteral("new")).isNull());
    EXPECT_FALSE(pictures::programIcon().isNull());
}

TEST(Pictures, SplashBusyPanelAndDialogPicturesAreDrawn)
{
    const QPixmap splash = pictures::splash();
    EXPECT_EQ(splash.size(), QSize(640, 360));
    EXPECT_DOUBLE_EQ(inkOf(splash).covered, 1.0);
    for (const char* key : {"computer", "programmer", "module", "arrowRight", "arrowLeft", "hand"}) {
        const QPixmap pm = pictures::busy(QString::fromLatin1(key), QSize(81, 75));
        EXPECT_EQ(pm.size(), QSize(81, 75)) << key;
        EXPECT_GT(inkOf(pm).covered, 0.15) << key;
    }
    EXPECT_GT(inkOf(pictures::logo(QSize(337, 81))).covered, 0.9);
    EXPECT_GT(inkOf(pictures::portPicture(QSize(121, 85))).covered, 0.3);
}

TEST(Pictures, EveryMapIsDrawnAndModuleMapsHoldTheirWholeTable)
{
    for (int i = 0; i < pictures::kMapCount; ++i) {
        SCOPED_TRACE(i);
        for (const QSize s : {QSize(367, 467), QSize(200, 260)})
            EXPECT_GT(inkOf(pictures::chipMap(i, s)).colours, 30);
        const QPixmap module = pictures::moduleMap(i, 317);
        EXPECT_EQ(module.width(), 317);
        // At least one table row for every pair of pins.
        EXPECT_GT(module.height(), pictures::moduleConnector(i).pins / 2 * 12);
        EXPECT_GT(inkOf(module).colours, 30);
    }
}
