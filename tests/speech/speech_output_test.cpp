#include "common/config/profile.h"
#include "common/platform/named_event.h"
#include "common/platform/env.h"
#include "common/speech/speech_output.h"
#include "common/speech/word_sound.h"
#include "scripted_services.h"
#include "speech_fakes.h"
#include "temp_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace lex;
using lextest::FakeEngine;
using lextest::FakePlayer;

namespace {

class SpeakWordTest : public ::testing::Test {
protected:
    SpeakWordTest()
    {
        QDir().mkpath(tmp.path(QStringLiteral("Voice/a")));
        QDir().mkpath(tmp.path(QStringLiteral("Voice/b")));
        ini(QStringLiteral("[INIT]\nVoicePath=%1/Voice/\n").arg(tmp.path()));
    }
    void ini(const QString& text) { tmp.write(QStringLiteral("Config.INI"), text.toUtf8()); }
    std::unique_ptr<SpeechOutput> make(SpeechProgram program = SpeechProgram::Main)
    {
        auto s = std::make_unique<SpeechOutput>(program, SpeechDeps{&engine, &player, &events, &ui, nullptr, nullptr});
        s->initialise(Profile(tmp.path(QStringLiteral("Config.INI"))), tmp.path());
        return s;
    }

    lextest::TempDir tmp;
    FakeEngine engine;
    FakePlayer player;
    FileNamedEvents events{tmp.path(QStringLiteral("run"))};
    lextest::ScriptedServices ui;
};

} // namespace

TEST_F(SpeakWordTest, RecordedFileFirstMp3BeforeWavElseSynthesis)
{
    tmp.write(QStringLiteral("Voice/a/apple.mp3"), "m");
    tmp.write(QStringLiteral("Voice/a/apple.wav"), "w");
    tmp.write(QStringLiteral("Voice/b/banana.wav"), "w");
    tmp.write(QStringLiteral("Voice/a/Apple.mp3"), "m");
    auto s = make();
    ASSERT_TRUE(s->ttsReady());
    s->SpeakWord(QStringLiteral("apple"));
    s->SpeakWord(QStringLiteral("banana"));
    s->SpeakWord(QStringLiteral("cherry"));          // no file: synthesis
    s->SpeakWord(QStringLiteral("apple"), true);     // ttsOnly ignores the files
    s->joinPlayback();
    EXPECT_EQ(player.played(), (QStringList{tmp.path(QStringLiteral("Voice/a/apple.mp3")), tmp.path(QStringLiteral("Voice/b/banana.wav"))}));
    EXPECT_EQ(player.maxMs(), 5000);
    EXPECT_EQ(engine.spoken, (QStringList{QStringLiteral("cherry"), QStringLiteral("apple")}));
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(SpeakWordTest, WithoutSynthesisAMissingFileIsSilence)
{
    ini(QStringLiteral("[INIT]\nIsDisableTTS=1\nVoicePath=%1/Voice/\n").arg(tmp.path()));
    tmp.write(QStringLiteral("Voice/a/apple.wav"), "w");
    auto s = make();
    EXPECT_TRUE(s->ttsDisabled());
    EXPECT_FALSE(s->ttsReady());
    EXPECT_FALSE(engine.created);   // no voice object at all
    s->SpeakWord(QStringLiteral("cherry"));
    s->SpeakWord(QStringLiteral("apple"));   // recorded files still play
    s->joinPlayback();
    EXPECT_TRUE(engine.spoken.isEmpty());
    EXPECT_EQ(player.played().size(), 1);
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(SpeakWordTest, EmptyAndPathLikeWordsNeverReachFilesOutsideTheFolder)
{
    tmp.write(QStringLiteral("Voice/.mp3"), "m");          // what an empty word would name
    tmp.write(QStringLiteral("secret.mp3"), "m");          // Voice/./../secret.mp3
    QDir().mkpath(tmp.path(QStringLiteral("Voice/a/a")));
    tmp.write(QStringLiteral("Voice/a/a/b.mp3"), "m");     // what "a/b" would name
    auto s = make();
    s->SpeakWord(QString());
    s->SpeakWord(QStringLiteral("../secret"));
    s->SpeakWord(QStringLiteral("a/b"));
    s->joinPlayback();
    EXPECT_TRUE(player.played().isEmpty());
    // The words themselves are still spoken by synthesis; the empty one is not.
    EXPECT_EQ(engine.spoken, (QStringList{QStringLiteral("../secret"), QStringLiteral("a/b")}));
}

TEST_F(SpeakWordTest, BusyHandOffGivesUpAtOnce)
{
    tmp.write(QStringLiteral("Voice/a/apple.mp3"), "m");
    auto s = make();
    auto other = events.create(QStringLiteral("WaitPlayed"));   // another hand-off in progress
    ASSERT_TRUE(other);
    QElapsedTimer t;
    t.start();
    s->SpeakWord(QStringLiteral("apple"));
    EXPECT_LT(t.elapsed(), 500);
    s->joinPlayback();
    EXPECT_TRUE(player.played().isEmpty());
    EXPECT_TRUE(engine.spoken.isEmpty());   // nor is it synthesised instead
    other.reset();
    s->SpeakWord(QStringLiteral("apple"));
    s->joinPlayback();
    EXPECT_EQ(player.played().size(), 1);
    EXPECT_EQ(events.open(QStringLiteral("WaitPlayed")), nullptr);   // the hand-off event is closed again
}

TEST_F(SpeakWordTest, SettingsAreClampedAndWrittenBack)
{
    ini(QStringLiteral("[INIT]\nVoicePath=%1/Voice/\n[TTSVoice]\nTTSVolume=150\nTTSRate=-30\n").arg(tmp.path()));
    auto s = make();
    EXPECT_EQ(s->volume(), 100);
    EXPECT_EQ(s->rate(), -10);
    EXPECT_EQ(engine.volumes, std::vector<int>{100});
    EXPECT_EQ(engine.rates, std::vector<int>{-10});

    ini(QStringLiteral("[INIT]\nVoicePath=%1/Voice/\n[TTSVOICE]\nTTSVolume=-1\nTTSRate=25\n").arg(tmp.path()));
    auto t = make();
    EXPECT_EQ(t->volume(), 100);   // -1 read as unsigned 16-bit
    EXPECT_EQ(t->rate(), 10);

    Profile p(tmp.path(QStringLiteral("Config.INI")));
    t->setVolume(40);
    t->shutDown(&p);
    t->writeSettings(p);
    EXPECT_EQ(p.readInt(QStringLiteral("TTSVOICE"), QStringLiteral("TTSVolume"), 0), 40);
    EXPECT_EQ(p.readInt(QStringLiteral("TTSVOICE"), QStringLiteral("TTSRate"), 0), 10);
    EXPECT_EQ(p.readString(QStringLiteral("INIT"), QStringLiteral("VoicePath")), tmp.path(QStringLiteral("Voice/")));
    EXPECT_EQ(p.readInt(QStringLiteral("INIT"), QStringLiteral("IsDisableTTS"), 7), 0);
    EXPECT_FALSE(engine.created);   // released
}

TEST_F(SpeakWordTest, VoiceChoiceFollowsTheStoredName)
{
    const QString def = QStringLiteral("test/voices/Tokens/en");
    auto run = [&](SpeechProgram program, const QString& line) {
        ini(QStringLiteral("[INIT]\nVoicePath=%1/Voice/\n[TTSVOICE]\n%2\n").arg(tmp.path(), line));
        engine.voicesSet.clear();
        make(program);
        return engine.voicesSet.at(0);
    };
    EXPECT_EQ(run(SpeechProgram::Main, QString()), std::nullopt);                        // "0": no such token
    EXPECT_EQ(run(SpeechProgram::Main, QStringLiteral("TTSEngineMale=")), def);         // empty: default
    EXPECT_EQ(run(SpeechProgram::Main, QStringLiteral("TTSEngineMale=en-US")), QStringLiteral("test/voices/Tokens/en-US"));
    EXPECT_EQ(run(SpeechProgram::Main, QStringLiteral("TTSEngineMale=xx")), std::nullopt);
    EXPECT_EQ(run(SpeechProgram::Companion, QStringLiteral("TTSEngineMale=0abc")), def);
    EXPECT_EQ(run(SpeechProgram::Companion, QStringLiteral("TTSEngineMale=en-US")), QStringLiteral("test/voices/Tokens/en-US"));

    // [SPEECH2]: the learner's engine and voice win over the voice key when they are there; else
    // 美音 picks the American voice unless the voice key names one.
    engine.known << QStringLiteral("espeak-ng/voices/Tokens/en-GB-x-rp");
    const struct { const char* lines; const char* voice; } learners[] = {
        {"[TTSVOICE]\nTTSEngineMale=en\n[SPEECH2]\nEngine=espeak\nVoice=en-GB-x-rp", "espeak-ng/voices/Tokens/en-GB-x-rp"},
        {"[TTSVOICE]\nTTSEngineMale=en\n[SPEECH2]\nEngine=espeak\nVoice=gone", "test/voices/Tokens/en"},
        {"[TTSVOICE]\nTTSEngineMale=en\n[SPEECH2]\nEngine=none\nVoice=en-GB-x-rp", "test/voices/Tokens/en"},
        {"[TTSVOICE]\nTTSEngineMale=\n[SPEECH2]\nAccent=US", "test/voices/Tokens/en-US"},
        {"[TTSVOICE]\nTTSEngineMale=\n[SPEECH2]\nAccent=UK", "test/voices/Tokens/en"},
        {"[TTSVOICE]\nTTSEngineMale=en\n[SPEECH2]\nAccent=US", "test/voices/Tokens/en"},
    };
    for (const auto& row : learners) {
        ini(QStringLiteral("[INIT]\nVoicePath=%1/Voice/\n%2\n").arg(tmp.path(), QLatin1String(row.lines)));
        engine.voicesSet.clear();
        const auto s = make();
        EXPECT_EQ(s->currentVoice(), QLatin1String(row.voice)) << row.lines;
        EXPECT_EQ(engine.voicesSet.back(), QLatin1String(row.voice)) << row.lines;
    }
}

TEST_F(SpeakWordTest, EngineFailuresShowTheirMessages)
{
    engine.canCreate = false;
    make();
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("TTS初始化错误")});

    ui.clear();
    engine.canCreate = true;
    engine.canSetVoice = false;
    auto s = make();
    EXPECT_FALSE(s->ttsReady());
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("TTS载入错误")});
    s->SpeakWord(QStringLiteral("word"));
    EXPECT_TRUE(engine.spoken.isEmpty());

    ui.clear();
    engine.throwOnCreate = true;
    make();
    EXPECT_EQ(ui.messages(), (QStringList{QStringLiteral("尝试TTS初始化错误"), QStringLiteral("IDispatch error #19969")}));

    ui.clear();
    engine.throwOnCreate = false;
    engine.canSetVoice = true;
    auto r = make();
    engine.canSpeak = false;
    r->SpeakWord(QStringLiteral("x"));
    engine.canSpeak = true;
    engine.throwOnSpeak = true;
    r->SpeakWord(QStringLiteral("y"));
    EXPECT_EQ(ui.messages(), (QStringList{QStringLiteral("尝试TTS发音出错"), QStringLiteral("Unspecified error")}));
}

TEST_F(SpeakWordTest, RecordingsOfTheLearnersFoldersAndABadFileFallsThrough)
{
    QDir().mkpath(tmp.path(QStringLiteral("rec/B")));
    tmp.write(QStringLiteral("Voice/a/apple.mp3"), "damaged");
    tmp.write(QStringLiteral("rec/apple.ogg"), "ogg");
    tmp.write(QStringLiteral("rec/B/Banana.OGG"), "ogg");
    tmp.write(QStringLiteral("rec/cherry.ogg"), QByteArray(int(SpeechOutput::kMaxRecordingBytes) + 1, 'x'));
    tmp.write(QStringLiteral("rec/date.ogg"), "");
    ini(QStringLiteral("[INIT]\nVoicePath=%1/Voice/\n[SPEECH2]\nRecordings=%1/rec|{word}.ogg;%1/rec/|{w}/{word}.ogg\n").arg(tmp.path()));
    auto s = make();
    ASSERT_EQ(s->recordingSources().size(), 2);
    EXPECT_EQ(s->recordedFiles(QStringLiteral("apple")),
              (QStringList{tmp.path(QStringLiteral("Voice/a/apple.mp3")), tmp.path(QStringLiteral("rec/apple.ogg"))}));
    EXPECT_EQ(s->recordedFiles(QStringLiteral("banana")), QStringList{tmp.path(QStringLiteral("rec/B/Banana.OGG"))});
    EXPECT_TRUE(s->recordedFiles(QStringLiteral("cherry")).isEmpty()) << "a huge file is no recording";
    EXPECT_TRUE(s->recordedFiles(QStringLiteral("date")).isEmpty()) << "nor an empty one";

    // The voice folder's apple cannot be played: the learner's recording is heard instead, after
    // one report of the failure.
    player.unplayable << tmp.path(QStringLiteral("Voice/a/apple.mp3"));
    s->SpeakWord(QStringLiteral("apple"));
    s->joinPlayback();
    QCoreApplication::processEvents();
    EXPECT_EQ(player.played(), QStringList{tmp.path(QStringLiteral("rec/apple.ogg"))});
    EXPECT_EQ(ui.messages(), (QStringList{QStringLiteral("尝试发真人语音出错"), QStringLiteral("damaged")}));
    EXPECT_TRUE(engine.spoken.isEmpty());

    // No recording plays: the word is synthesised all the same.
    ui.clear();
    player.unplayable << tmp.path(QStringLiteral("rec/B/Banana.OGG"));
    s->SpeakWord(QStringLiteral("banana"));
    s->joinPlayback();
    QCoreApplication::processEvents();
    EXPECT_EQ(engine.spoken, QStringList{QStringLiteral("banana")});
    EXPECT_EQ(ui.messages().size(), 2);
}

TEST_F(SpeakWordTest, MissingVoiceFolder)
{
    ini(QStringLiteral("[INIT]\nVoicePath=%1/Nowhere/\n").arg(tmp.path()));
    ui.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(make()->voiceFolder(), tmp.path() + QStringLiteral("/Voice/"));
    ui.queueAnswer(MessageAnswer::No);
    EXPECT_EQ(make()->voiceFolder(), tmp.path(QStringLiteral("Nowhere/")));
    EXPECT_EQ(ui.messages().last(), QStringLiteral("真人语音路径不存在，是否重置为默认路径。"));

    ui.clear();
    EXPECT_EQ(make(SpeechProgram::Companion)->voiceFolder(), tmp.path(QStringLiteral("Nowhere/")));
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("真人语音路径不存在，请重新设置。要忽略真人语音\n请将真人语音路径指定为Lexora目录下的Voice文件夹")});

    ui.clear();
    ini(QStringLiteral("[INIT]\nVoicePath=.\\Elsewhere\\\n"));   // relative: the companion takes its own folder unchecked
    EXPECT_EQ(make(SpeechProgram::Companion)->voiceFolder(), tmp.path() + QStringLiteral("/Voice/"));
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST(SpeechErrorText, Forms)
{
    EXPECT_EQ(speechErrorText(0x80004005u, QStringLiteral("Unspecified error\r\n")), QStringLiteral("Unspecified error"));
    EXPECT_EQ(speechErrorText(0x80040201u, {}), QStringLiteral("IDispatch error #1"));
    EXPECT_EQ(speechErrorText(0x80040200u, {}), QStringLiteral("Unknown error 0x80040200"));
    EXPECT_EQ(speechErrorText(0x8007000Eu, {}), QStringLiteral("Unknown error 0x8007000E"));
}

TEST_F(SpeakWordTest, ExportedSoundIsTheRecordedFileWhenThereIsOne)
{
    tmp.write(QStringLiteral("Voice/a/apple.mp3"), "ID3 apple");
    auto s = make();
    QByteArray data;
    QString ext;
    ASSERT_TRUE(wordSoundFile(s.get(), Env::defaultEnv(), nullptr, QStringLiteral("apple"), &data, &ext));
    EXPECT_EQ(data, "ID3 apple");
    EXPECT_EQ(ext, u"mp3");
    EXPECT_FALSE(wordSoundFile(s.get(), Env::defaultEnv(), nullptr, QStringLiteral("banana"), &data, &ext));
}
