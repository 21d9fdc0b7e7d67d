#include "common/config/profile.h"
#include "common/speech/audio_output.h"
#include "common/speech/espeak_engine.h"
#include "common/speech/speech_output.h"
#include "common/speech/synth_engine.h"
#include "common/speech/word_sound.h"
#include "scripted_services.h"
#include "speech_fakes.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <QThread>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace lex;

namespace {

bool waitFor(const std::function<bool()>& done, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QThread::msleep(10);
    }
    return true;
}

} // namespace

TEST(EspeakEngine, VoicesTokensAndDefault)
{
    lextest::RecordingOutput out;
    EspeakEngine engine(&out);
    ASSERT_TRUE(engine.createVoice()) << "espeak-ng data missing";
    const QList<VoiceToken> voices = engine.voices();
    ASSERT_FALSE(voices.isEmpty());
    for (const VoiceToken& v : voices) {
        EXPECT_TRUE(v.id.startsWith(QStringLiteral("espeak-ng/voices/Tokens/"))) << v.id.toStdString();
        EXPECT_FALSE(v.description.isEmpty());
        EXPECT_EQ(engine.openToken(v.id), v.id);
    }
    EXPECT_EQ(engine.defaultToken(), QStringLiteral("espeak-ng/voices/Tokens/en"));
    EXPECT_EQ(voiceTokenName(*engine.defaultToken()), QStringLiteral("en"));
    EXPECT_EQ(engine.openToken(QStringLiteral("espeak-ng/voices/Tokens/0")), std::nullopt);
    EXPECT_TRUE(engine.setVoice(std::nullopt));
    EXPECT_TRUE(engine.setVoice(engine.defaultToken()));
    EXPECT_FALSE(engine.setVoice(QStringLiteral("espeak-ng/voices/Tokens/no-such-voice")));
    for (const VoiceToken& v : voices)
        if (v.id.endsWith(QStringLiteral("/en-US")))
            EXPECT_TRUE(engine.setVoice(v.id));
}

TEST(EspeakEngine, RateAndVolumeShapeTheSound)
{
    EXPECT_EQ(EspeakEngine::espeakRate(0), 175);
    EXPECT_EQ(EspeakEngine::espeakRate(-10), 80);    // 58 wpm is below espeak's floor
    EXPECT_EQ(EspeakEngine::espeakRate(10), 450);
    EXPECT_LT(EspeakEngine::espeakRate(-3), EspeakEngine::espeakRate(3));

    lextest::RecordingOutput out;
    EspeakEngine engine(&out);
    ASSERT_TRUE(engine.createVoice());
    engine.setRate(-10);
    const size_t slow = engine.synthesize(QStringLiteral("pronunciation")).size();
    engine.setRate(10);
    const size_t fast = engine.synthesize(QStringLiteral("pronunciation")).size();
    EXPECT_GT(slow, fast * 2);
    engine.setRate(0);
    engine.setVolume(0);
    const std::vector<int16_t> quiet = engine.synthesize(QStringLiteral("hello"));
    engine.setVolume(100);
    const std::vector<int16_t> loud = engine.synthesize(QStringLiteral("hello"));
    auto peak = [](const std::vector<int16_t>& s) { int p = 0; for (int16_t v : s) p = std::max(p, std::abs(int(v))); return p; };
    ASSERT_FALSE(loud.empty());
    EXPECT_LT(peak(quiet), peak(loud) / 10);
}

TEST(EspeakEngine, SuccessiveWordsQueueAndReachTheSink)
{
    lextest::RecordingOutput out;
    EspeakEngine engine(&out);
    ASSERT_TRUE(engine.createVoice());
    EXPECT_TRUE(engine.speakAsync(QStringLiteral("apple")));
    EXPECT_TRUE(engine.speakAsync(QStringLiteral("<b>banana</b>")));   // plain text, never markup
    EXPECT_TRUE(waitFor([&] { return out.opens() == 2; }));
    EXPECT_TRUE(out.nonSilent());
    EXPECT_EQ(out.format().sampleRate, engine.sampleRate());
    engine.releaseVoice();
    EXPECT_FALSE(engine.speakAsync(QStringLiteral("after")));

    lextest::RecordingOutput none(nullptr, false);   // no sound device: quietly nothing
    EspeakEngine silent(&none);
    ASSERT_TRUE(silent.createVoice());
    EXPECT_TRUE(silent.speakAsync(QStringLiteral("hello")));
}

TEST(EspeakEngine, RendersAWordToAWavFileWithoutASoundDevice)
{
    EspeakEngine engine(nullptr);
    ASSERT_TRUE(engine.createVoice());
    ASSERT_TRUE(engine.setVoice(engine.defaultToken()));
    QByteArray wav;
    QString ext;
    ASSERT_TRUE(wordSoundFile(nullptr, nullptr, &engine, QStringLiteral("pronunciation"), &wav, &ext));
    EXPECT_EQ(ext, u"wav");
    auto u32 = [&](int at) { return qFromLittleEndian<quint32>(wav.constData() + at); };
    auto u16 = [&](int at) { return qFromLittleEndian<quint16>(wav.constData() + at); };
    ASSERT_GT(wav.size(), 44 + 2000);
    EXPECT_TRUE(wav.startsWith("RIFF") && wav.mid(8, 8) == "WAVEfmt " && wav.mid(36, 4) == "data");
    EXPECT_EQ(u32(4), quint32(wav.size() - 8));
    EXPECT_EQ(u32(40), quint32(wav.size() - 44));
    EXPECT_EQ(u16(20), 1);   // PCM
    EXPECT_EQ(u16(22), 1);   // mono
    EXPECT_EQ(u32(24), quint32(engine.sampleRate()));
    EXPECT_EQ(u16(34), 16);
    EXPECT_FALSE(wordSoundFile(nullptr, nullptr, &engine, QString(), &wav, &ext));
    EXPECT_FALSE(wordSoundFile(nullptr, nullptr, nullptr, QStringLiteral("word"), &wav, &ext));
}

// Every engine built in: its voices carry its category and their accent, each speaks a word in
// process, queued words reach the sink, and two of its voices sound different.
TEST(SpeechEngines, EachEngineListsPlaysAndSpeaksInEachVoice)
{
    const struct { const char* engine; const char* voiceA; const char* voiceB; const char* accentOfA; bool builtIn; } engines[] = {
        {"espeak", "en", "en-US", "UK", true},   // espeak-ng's plain "en" is British
#ifdef LEXORA_HAVE_FLITE
        {"flite", "slt", "rms", "US", true},
#else
        {"flite", "slt", "rms", "US", false},
#endif
    };
    int tried = 0;
    for (const auto& e : engines) {
        SCOPED_TRACE(e.engine);
        const QString name = QLatin1String(e.engine);
        EXPECT_EQ(speechEngineNames().contains(name), e.builtIn);
        lextest::RecordingOutput out;
        std::unique_ptr<SynthEngine> engine = makeSpeechEngine(name, &out);
        if (!e.builtIn) {
            EXPECT_EQ(engine, nullptr);
            continue;
        }
        ++tried;
        ASSERT_NE(engine, nullptr);
        ASSERT_TRUE(engine->createVoice());
        const QString prefix = engine->voicesCategory() + QStringLiteral("/Tokens/");
        bool listedA = false;
        for (const VoiceToken& v : engine->voices()) {
            EXPECT_TRUE(v.id.startsWith(prefix)) << v.id.toStdString();
            EXPECT_EQ(engine->openToken(v.id), v.id);
            if (v.id == prefix + QLatin1String(e.voiceA)) {
                listedA = true;
                EXPECT_EQ(v.accent, QLatin1String(e.accentOfA));
            }
        }
        EXPECT_TRUE(listedA);
        EXPECT_TRUE(engine->defaultToken().has_value());
        EXPECT_EQ(engine->openToken(prefix + QStringLiteral("no-such-voice")), std::nullopt);
        EXPECT_FALSE(engine->setVoice(prefix + QStringLiteral("no-such-voice")));

        ASSERT_TRUE(engine->setVoice(prefix + QLatin1String(e.voiceA)));
        const std::vector<int16_t> a = engine->synthesize(QStringLiteral("tomato"));
        ASSERT_TRUE(engine->setVoice(prefix + QLatin1String(e.voiceB)));
        const std::vector<int16_t> b = engine->synthesize(QStringLiteral("tomato"));
        EXPECT_GT(a.size(), size_t(engine->sampleRate() / 5));   // a word is some tenths of a second
        EXPECT_FALSE(b.empty());
        EXPECT_NE(a, b) << "two voices sound alike";

        engine->setRate(-10);
        const size_t slow = engine->synthesize(QStringLiteral("pronunciation")).size();
        engine->setRate(10);
        const size_t fast = engine->synthesize(QStringLiteral("pronunciation")).size();
        EXPECT_GT(slow, fast * 2);

        EXPECT_TRUE(engine->speakAsync(QStringLiteral("apple")));
        EXPECT_TRUE(waitFor([&] { return out.opens() == 1; }));
        EXPECT_TRUE(out.nonSilent());
        EXPECT_EQ(out.format().sampleRate, engine->sampleRate());
        engine->releaseVoice();
        EXPECT_FALSE(engine->speakAsync(QStringLiteral("after")));
    }
    if (tried < int(std::size(engines)))
        GTEST_SKIP() << "flite was not found at build time: its engine is not built in";
}

// The engines as the program drives them: one voice list, each token speaking with its own
// engine, the voice key's category espeak-ng's.
TEST(SpeechEngines, OneListAndEachVoiceSpeaksWithItsOwnEngine)
{
    lextest::RecordingOutput out;
    SpeechEngines engines(&out);
    ASSERT_TRUE(engines.createVoice());
    EXPECT_EQ(engines.voicesCategory(), QLatin1String(EspeakEngine::kCategory));
    EXPECT_EQ(engines.defaultToken(), QStringLiteral("espeak-ng/voices/Tokens/en"));
    const QList<VoiceToken> voices = engines.voices();
    const QStringList names = speechEngineNames();
    for (const QString& name : names) {
        const QString token = engineVoiceToken(name, name == u"espeak" ? QStringLiteral("en-US") : QStringLiteral("rms"));
        SCOPED_TRACE(token.toStdString());
        EXPECT_EQ(tokenEngineName(token), name);
        EXPECT_TRUE(std::any_of(voices.begin(), voices.end(), [&](const VoiceToken& v) { return v.id == token; }));
        EXPECT_EQ(engines.openToken(token), token);
        ASSERT_TRUE(engines.setVoice(token));
        ASSERT_NE(engines.active(), nullptr);
        EXPECT_EQ(engines.active(), synthEngineOf(&engines));
        EXPECT_EQ(engines.active()->voicesCategory() + QStringLiteral("/Tokens/en-US"), engineVoiceToken(name, QStringLiteral("en-US")));
        const int opened = out.opens();
        EXPECT_TRUE(engines.speakAsync(QStringLiteral("water")));
        EXPECT_TRUE(waitFor([&] { return out.opens() == opened + 1; }));
        EXPECT_EQ(out.format().sampleRate, engines.active()->sampleRate());
    }
    EXPECT_EQ(tokenEngineName(QStringLiteral("test/voices/Tokens/en")), QString());
    EXPECT_EQ(engineVoiceToken(QStringLiteral("none"), QStringLiteral("en")), QString());
    // An unknown token leaves the voice and its engine as they were.
    SynthEngine* before = engines.active();
    EXPECT_FALSE(engines.setVoice(QStringLiteral("flite/voices/Tokens/kal")));
    EXPECT_FALSE(engines.setVoice(QStringLiteral("other/voices/Tokens/en")));
    EXPECT_EQ(engines.active(), before);
    EXPECT_TRUE(engines.setVoice(std::nullopt));
    EXPECT_EQ(engines.active()->voicesCategory(), QLatin1String(EspeakEngine::kCategory));
    engines.releaseVoice();
    EXPECT_FALSE(engines.hasVoice());
    EXPECT_FALSE(engines.speakAsync(QStringLiteral("after")));
}

// What both programs speak with when LEXORA_SOUND_FOLDER names a folder: every engine, the voice
// [SPEECH2] names (here in the companion, which reads no voice key of its own), each sound a WAV
// file holding what that voice synthesises.
TEST(SpeechEngines, TheProgramsSpeakTheLearnersVoiceIntoTheSoundFolder)
{
    lextest::TempDir dir;
    qputenv(kSoundFolderVariable, dir.path().toUtf8());
    const std::unique_ptr<AudioOutput> audio = programAudioOutput(QStringLiteral("Glosix"));
    qunsetenv(kSoundFolderVariable);
    const QString engineName = speechEngineNames().last();   // flite when built in
    const QString voice = engineName == u"flite" ? QStringLiteral("rms") : QStringLiteral("en-US");
    dir.write(QStringLiteral("Config.INI"), QStringLiteral("[INIT]\nVoicePath=./Voice/\n[TTSVOICE]\nTTSEngineMale=0\n"
                                                           "[SPEECH2]\nEngine=%1\nVoice=%2\n").arg(engineName, voice).toUtf8());
    SpeechEngines tts(audio.get());
    lextest::ScriptedServices ui;
    SpeechOutput speech(SpeechProgram::Companion, SpeechDeps{&tts, nullptr, nullptr, &ui, nullptr, nullptr});
    speech.initialise(Profile(dir.path(QStringLiteral("Config.INI"))), dir.path());
    EXPECT_EQ(speech.currentVoice(), engineVoiceToken(engineName, voice));
    speech.SpeakWord(QStringLiteral("water"));
    speech.SpeakWord(QStringLiteral("water"));
    const QString second = dir.path(QStringLiteral("Glosix-0002.wav"));
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(second); }));
    // A synthesiser of the same engine in this process may start from other state: the tool's run
    // says what that voice says.
    const lextest::ToolRun said = lextest::lexbook({QStringLiteral("speak"), QStringLiteral("water"), QStringLiteral("--engine"), engineName,
                                                    QStringLiteral("--voice"), voice, QStringLiteral("--out"), dir.path(QStringLiteral("said.wav"))});
    ASSERT_EQ(said.code, 0) << said.err.toStdString();
    const QByteArray expected = dir.read(QStringLiteral("said.wav"));
    // flite's samples carry noise that depends on what it said before in the process: the same
    // voice says the same word at the same length.
    ASSERT_NE(synthEngineOf(&tts), nullptr);
    EXPECT_EQ(synthEngineOf(&tts)->voicesCategory() + QStringLiteral("/Tokens/") + voice, speech.currentVoice());
    for (const QString& name : {QStringLiteral("Glosix-0001.wav"), QStringLiteral("Glosix-0002.wav")}) {
        const QByteArray got = dir.read(name);
        EXPECT_EQ(got.size(), expected.size()) << name.toStdString();
        EXPECT_EQ(got.left(44), expected.left(44)) << name.toStdString();
    }
    EXPECT_TRUE(ui.messages().isEmpty());
}
