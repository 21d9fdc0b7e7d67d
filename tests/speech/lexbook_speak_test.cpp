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
#ifdef LEXORA_HAVE_FLITE
        {{"speak", "tomato", "--engine", "flite", "--accent", "uk", "--out", t.path("x.wav")}, 1},   // American voices only
        {{"speak", "tomato", "--engine", "flite", "--voice", "en-GB", "--out", t.path("x.wav")}, 1},
#else
        {{"speak", "tomato", "--engine", "flite", "--out", t.path("x.wav")}, 2},
#endif
    };
    for (const auto& c : refused)
        EXPECT_EQ(lextest::lexbook(c.args).code, c.code) << c.args.join(u' ').toStdString();
    EXPECT_FALSE(t.exists(QStringLiteral("x.wav")));
}

// Each engine's voices, written as the program would say them: all different from one another.
TEST(LexbookSpeak, EachEngineWritesItsOwnVoice)
{
    lextest::TempDir t;
    const struct { QStringList args; bool needsFlite; } rows[] = {
        {{"--engine", "espeak", "--accent", "uk"}, false},
        {{"--engine", "espeak", "--voice", "en-GB-x-rp"}, false},
        {{"--engine", "flite"}, true},                       // slt, the American default
        {{"--engine", "flite", "--accent", "us", "--voice", "rms"}, true},
        {{"--engine", "flite", "--voice", "awb"}, true},
    };
    QList<QByteArray> written;
    int skipped = 0;
    for (const auto& row : rows) {
        const QString args = row.args.join(u' ');
#ifndef LEXORA_HAVE_FLITE
        if (row.needsFlite) {
            ++skipped;
            continue;
        }
#endif
        const QString out = t.path(QStringLiteral("%1.wav").arg(written.size()));
        const lextest::ToolRun r = lextest::lexbook(QStringList{QStringLiteral("speak"), QStringLiteral("tomato"), QStringLiteral("--out"), out} + row.args);
        ASSERT_EQ(r.code, 0) << args.toStdString() << ": " << r.err.toStdString();
        const QByteArray wav = t.read(QStringLiteral("%1.wav").arg(written.size()));
        EXPECT_TRUE(wav.startsWith("RIFF")) << args.toStdString();
        EXPECT_GT(wav.size(), 5000) << args.toStdString();
        for (const QByteArray& earlier : written)
            EXPECT_NE(wav, earlier) << args.toStdString() << " sounds like an earlier row";
        written.append(wav);
    }
    if (skipped)
        GTEST_SKIP() << "flite was not found at build time: its rows were skipped";
}
