#include "resources/resources.h"

#include <QBitmap>
#include <gtest/gtest.h>

using namespace lex;

TEST(Bitmaps, SizesTheWindowsRelyOn)
{
    EXPECT_EQ(res::bitmap(res::IDB_TICK).size(), QSize(64, 64));
    EXPECT_EQ(res::bitmap(res::IDB_CROSS).size(), QSize(64, 64));
    EXPECT_EQ(res::bitmap(res::IDB_MORE).size(), QSize(13, 13));
    EXPECT_EQ(res::bitmap(res::IDB_CAPTION_BUTTONS).size(), QSize(120, 76));
    EXPECT_EQ(res::bitmap(res::IDB_TOOLBAR).height(), 30);
    EXPECT_EQ(res::bitmap(res::IDB_TOOLBAR).width() % 30, 0);
    for (const res::ToolButtonSpec& b : res::toolBar())
        if (b.image >= 0)
            EXPECT_EQ(res::toolBarImage(b.image).size(), QSize(30, 30)) << b.command;
    EXPECT_TRUE(res::toolBarImage(99).isNull());
    EXPECT_FALSE(res::appIcon().isNull());
    EXPECT_FALSE(res::cursor(res::IDC_SPEAKER).pixmap().isNull());
    EXPECT_EQ(res::string(res::IDS_ABOUTBOX), QStringLiteral("关于 Lexora(&A)..."));
}

TEST(Bitmaps, BlackIsTransparentInTheCaptionStrip)
{
    const QPixmap strip = res::transparentBitmap(res::IDB_CAPTION_BUTTONS);
    const QImage mask = strip.mask().toImage();
    const QImage img = res::bitmap(res::IDB_CAPTION_BUTTONS).toImage();
    int transparent = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == QColor(0, 0, 0)) {
                ++transparent;
                EXPECT_EQ(mask.pixelIndex(x, y), 0);
            }
    EXPECT_GT(transparent, 0);   // the rounded corners
    // Every button cell has an opaque centre.
    for (int row = 0; row < 4; ++row)
        for (int x : {13, 38, 73, 107})
            EXPECT_NE(img.pixelColor(x, row * 19 + 2), QColor(0, 0, 0)) << row << "," << x;
}

TEST(Bitmaps, EachHasATwinAtTwiceTheSizeForHiDpiScreens)
{
    for (const char* name : {"bitmap_138_more", "bitmap_165_tick", "bitmap_166_cross", "bitmap_185_toolbar",
                             "bitmap_216_caption"}) {
        const QString base = QStringLiteral(":/lexora/bitmaps/") + QLatin1String(name);
        const QImage one(base + QStringLiteral(".png"));
        const QImage two(base + QStringLiteral("@2x.png"));
        ASSERT_FALSE(one.isNull()) << name;
        ASSERT_FALSE(two.isNull()) << name;
        EXPECT_EQ(two.size(), one.size() * 2) << name;
        // The same drawing: black (transparent) where the 1x bitmap is black, at the centres of
        // the 2x pixel pairs.
        int differ = 0;
        for (int y = 0; y < one.height(); ++y)
            for (int x = 0; x < one.width(); ++x)
                differ += (one.pixel(x, y) == qRgb(0, 0, 0)) != (two.pixel(2 * x + 1, 2 * y + 1) == qRgb(0, 0, 0));
        EXPECT_LT(differ, one.width() * one.height() / 20) << name;
    }
    // The speaker cursor: the same shape, judged by where it is opaque.
    const QImage one(QStringLiteral(":/lexora/bitmaps/cursor_143_speaker.png"));
    const QImage two(QStringLiteral(":/lexora/bitmaps/cursor_143_speaker@2x.png"));
    ASSERT_EQ(two.size(), one.size() * 2);
    int differ = 0;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x)
            differ += (qAlpha(one.pixel(x, y)) > 127) != (qAlpha(two.pixel(2 * x + 1, 2 * y + 1)) > 127);
    EXPECT_LT(differ, one.width() * one.height() / 20);
}
