#include "resources/phonetic_font.h"
#include "temp_dir.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace lex;

namespace {
QImage render(const QFont& font, const QString& text)
{
    QImage img(60, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, 60, 40), Qt::AlignCenter, text);
    return img;
}

// Pixels that differ between two renderings (hinting may move an edge by a pixel).
int difference(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 96;
    return n;
}

QFont dejaVu(int px)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    return f;
}
} // namespace

TEST(PhoneticFont, OwnFontWhenNoProprietaryFile)
{
    lextest::TempDir program;
    const res::PhoneticFontResult r = res::loadPhoneticFont(program.path(), program.path(QStringLiteral("fonts")));
    EXPECT_EQ(r.family, QString::fromLatin1(res::kOwnPhoneticFamily));
    EXPECT_FALSE(r.installed);
    EXPECT_EQ(res::phoneticFontFamily(), r.family);
}

TEST(PhoneticFont, CodesDrawTheirIpaGlyphs)
{
    const QFont ph = res::phoneticFont(24);
    ASSERT_EQ(QFontInfo(ph).family(), QString::fromLatin1(res::kOwnPhoneticFamily));
    const std::pair<QString, QString> pairs[] = {
        {QStringLiteral("5"), QStringLiteral("\u02c8")}, {QStringLiteral("N"), QStringLiteral("\u014b")},
        {QStringLiteral("^"), QStringLiteral("\u0261")}, {QStringLiteral("F"), QStringLiteral("\u0283")},
        {QStringLiteral("A"), QStringLiteral("\u00e6")}, {QStringLiteral("W"), QStringLiteral("\u03b8")},
        {QStringLiteral("="), QStringLiteral("\u00ea")}, {QStringLiteral("i"), QStringLiteral("i")},
    };
    for (const auto& [code, ipa] : pairs) {
        const QImage glyph = render(ph, code);
        EXPECT_LE(difference(glyph, render(dejaVu(24), ipa)), 6) << qPrintable(code);
        if (code != QStringLiteral("i"))
            EXPECT_GT(difference(glyph, render(dejaVu(24), code)), 10) << qPrintable(code);
    }
    // Codes with a combining tilde draw a base with a mark above it, unlike the bare base.
    EXPECT_FALSE(render(ph, QStringLiteral("S")) == render(ph, QStringLiteral("C")));
    EXPECT_FALSE(render(ph, QStringLiteral("5iN^liF")) == render(dejaVu(24), QStringLiteral("5iN^liF")));
}

TEST(PhoneticFont, ProprietaryFileIsInstalledOnceAndNeverOverwritten)
{
    lextest::TempDir program;
    const QString name = QString::fromLatin1(res::kProprietaryPhoneticFile);
    const QString fonts = program.path(QStringLiteral("fonts"));
    bool copied = true;
    EXPECT_EQ(res::installProprietaryPhoneticFont(program.path(), fonts, &copied), QString());
    EXPECT_FALSE(copied);

    program.write(name, QByteArray("font v1"));
    const QString installed = res::installProprietaryPhoneticFont(program.path(), fonts, &copied);
    EXPECT_TRUE(copied);
    EXPECT_EQ(installed, fonts + QLatin1Char('/') + name);
    EXPECT_EQ(program.read(QStringLiteral("fonts/") + name), QByteArray("font v1"));

    program.write(name, QByteArray("font v2"));
    EXPECT_EQ(res::installProprietaryPhoneticFont(program.path(), fonts, &copied), installed);
    EXPECT_FALSE(copied);
    EXPECT_EQ(program.read(QStringLiteral("fonts/") + name), QByteArray("font v1"));
}
