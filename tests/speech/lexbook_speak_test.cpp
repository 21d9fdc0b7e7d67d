// lexbook speak: the accent's voice written to a WAV file, and the refusals.

#include "temp_dir.h"
#include "tool_run.h"

#include <gtest/gtest.h>

TEST(LexbookSpeak, WritesTheAccentsVoiceAsAWavFile)
{
    lextest::TempDir t;
    QByteArray uk, us;
    for (const auto& [accent, bytes] : {std::pair{"uk", &uk}, std::pair{"us", &us}}) {
        const QString out = t.path(QStringLiteral("%1.wav").arg(QLatin1String(accent)));
        const lextest::ToolRun r = lextest::lexbook({QStringLiteral("speak"), QStringLiteral("tomato"), QStringLiteral("--accent"),
                                                     QLatin1String(accent), QStringLiteral("--out"), out});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        *bytes = t.read(QStringLiteral("%1.wav").arg(QLatin1String(accent)));
        EXPECT_TRUE(bytes->startsWith("RIFF")) << accent;
        EXPECT_GT(bytes->size(), 10000) << accent;   // a word is some tenths of a second
    }
    EXPECT_NE(uk, us) << "the accents speak with different voices";
    const struct { QStringList args; int code; } refused[] = {
        {{"speak", "tomato"}, 2},                                              // no --out
        {{"speak", "tomato", "--accent", "au", "--out", t.path("x.wav")}, 2},
        {{"speak", "tomato", "--engine", "none", "--out", t.path("x.wav")}, 2},
        {{"speak", "tomato", "--voice", "no-such-voice", "--out", t.path("x.wav")}, 1},
    };
    for (const auto& c : refused)
        EXPECT_EQ(lextest::lexbook(c.args).code, c.code) << c.args.join(u' ').toStdString();
    EXPECT_FALSE(t.exists(QStringLiteral("x.wav")));
}
