#include "common/config/profile.h"
#include "common/platform/named_event.h"
#include "common/speech/speech_output.h"
#include "common/speech/voice_player.h"
#include "scripted_services.h"
#include "speech_fakes.h"
#include "temp_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <vector>

using namespace lex;
using lextest::RecordingOutput;

namespace {

// A tone of `seconds` written with libsndfile; false when the format cannot be written here.
bool writeTone(const QString& path, double seconds, int rate, int format)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = format;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    std::vector<short> s(size_t(seconds * rate));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = short(8000 * std::sin(2 * M_PI * 440 * double(i) / rate));
    const bool ok = sf_write_short(f, s.data(), sf_count_t(s.size())) == sf_count_t(s.size());
    sf_close(f);
    return ok;
}

} // namespace

TEST(SndfilePlayer, NineSecondFileIsCutAtFiveSeconds)
{
    lextest::TempDir tmp;
    ASSERT_TRUE(writeTone(tmp.path(QStringLiteral("long.wav")), 9.0, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
    FixedClock clock(QDateTime::currentDateTime());
    RecordingOutput out(&clock);
    SndfilePlayer player(&out, &clock);
    std::atomic<bool> stop{false};
    player.play(tmp.path(QStringLiteral("long.wav")), 5000, stop);
    EXPECT_EQ(out.frames(), 5u * 8000u);
    EXPECT_EQ(clock.steadyMs(), 5000);
    EXPECT_TRUE(out.nonSilent());

    RecordingOutput whole(&clock);
    SndfilePlayer shortPlayer(&whole, &clock);
    ASSERT_TRUE(writeTone(tmp.path(QStringLiteral("short.wav")), 1.5, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
    shortPlayer.play(tmp.path(QStringLiteral("short.wav")), 5000, stop);
    EXPECT_EQ(whole.frames(), 12000u);   // a short file plays whole
}

TEST(SndfilePlayer, StopsWhenToldAndStaysSilentOnBadInput)
{
    lextest::TempDir tmp;
    ASSERT_TRUE(writeTone(tmp.path(QStringLiteral("a.wav")), 2.0, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
    FixedClock clock(QDateTime::currentDateTime());
    std::atomic<bool> stop{true};
    RecordingOutput out(&clock);
    SndfilePlayer(&out, &clock).play(tmp.path(QStringLiteral("a.wav")), 5000, stop);
    EXPECT_EQ(out.frames(), 0u);

    stop = false;
    tmp.write(QStringLiteral("junk.mp3"), QByteArray(3000, 'x'));
    SndfilePlayer(&out, &clock).play(tmp.path(QStringLiteral("junk.mp3")), 5000, stop);
    SndfilePlayer(&out, &clock).play(tmp.path(QStringLiteral("missing.wav")), 5000, stop);
    EXPECT_EQ(out.opens(), 0);

    RecordingOutput noDevice(&clock, false);   // no sound device: nothing, at once
    SndfilePlayer(&noDevice, &clock).play(tmp.path(QStringLiteral("a.wav")), 5000, stop);
    EXPECT_EQ(noDevice.frames(), 0u);
}

TEST(SndfilePlayer, DecodesMp3)
{
    lextest::TempDir tmp;
    if (!writeTone(tmp.path(QStringLiteral("w.mp3")), 1.0, 44100, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III))
        GTEST_SKIP() << "this libsndfile cannot write mp3 test files";
    FixedClock clock(QDateTime::currentDateTime());
    RecordingOutput out(&clock);
    std::atomic<bool> stop{false};
    SndfilePlayer(&out, &clock).play(tmp.path(QStringLiteral("w.mp3")), 5000, stop);
    EXPECT_GT(out.frames(), 40000u);   // about one second, give or take the encoder's padding
    EXPECT_EQ(out.format().sampleRate, 44100);
    EXPECT_TRUE(out.nonSilent());
}

TEST(SndfilePlayer, SpeakWordPlaysThroughTheHandOffOnItsWorker)
{
    lextest::TempDir tmp;
    QDir().mkpath(tmp.path(QStringLiteral("Voice/l")));
    ASSERT_TRUE(writeTone(tmp.path(QStringLiteral("Voice/l/long.wav")), 9.0, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
    tmp.write(QStringLiteral("Config.INI"), QStringLiteral("[INIT]\nIsDisableTTS=1\nVoicePath=%1/Voice/\n").arg(tmp.path()).toUtf8());
    FixedClock clock(QDateTime::currentDateTime());
    RecordingOutput out(&clock);
    SndfilePlayer player(&out, &clock);
    FileNamedEvents events(tmp.path(QStringLiteral("run")));
    lextest::ScriptedServices ui;
    SpeechOutput speech(SpeechProgram::Main, SpeechDeps{nullptr, &player, &events, &ui, nullptr, nullptr});
    speech.initialise(Profile(tmp.path(QStringLiteral("Config.INI"))), tmp.path());
    speech.SpeakWord(QStringLiteral("long"));
    speech.joinPlayback();
    EXPECT_EQ(out.frames(), 5u * 8000u);
}
