#pragma once
// What the in-process synthesisers share: words queue on the engine's own thread, are rendered
// to samples and played through an AudioOutput, so successive words follow one another and a
// machine without sound stays silent instead of failing.

#include "common/speech/tts_engine.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <QStringList>
#include <vector>

namespace lex {

class AudioOutput;

class SynthEngine : public TtsEngine {
public:
    ~SynthEngine() override;   // a derived engine calls releaseVoice() in its own destructor

    bool hasVoice() const override { return voiceCreated_; }
    void releaseVoice() override;
    bool speakAsync(const QString& text) override;

    // Synthesises `text` with the current settings and returns the samples (mono, sampleRate()).
    // Used by the speaking thread, and by `lexbook speak` and tests for what would be heard.
    virtual std::vector<int16_t> synthesize(const QString& text) = 0;
    int sampleRate() const { return sampleRate_; }

protected:
    explicit SynthEngine(AudioOutput* output) : output_(output) {}
    void startWorker();   // at the end of a successful createVoice()

    AudioOutput* output_;
    int sampleRate_ = 0;
    bool voiceCreated_ = false;

private:
    void run();

    std::mutex queueMutex_;
    std::condition_variable wake_;
    std::deque<QString> queue_;
    bool stopping_ = false;
    std::thread worker_;
};

// The engines built into this program, by the names Config.INI and `lexbook speak` use:
// "espeak" always, "flite" when its library was there at build time.
QStringList speechEngineNames();
// Null for a name not built in. `output` may be null (nothing is played).
std::unique_ptr<SynthEngine> makeSpeechEngine(const QString& name, AudioOutput* output);
// The token of an engine's voice by the names Config.INI keeps ([SPEECH2] Engine, Voice); empty
// for an engine not built in. And back: the engine name of a token, empty when none owns it.
QString engineVoiceToken(const QString& engine, const QString& voice);
QString tokenEngineName(const QString& tokenId);

// Every engine built in as the one engine the speech logic drives: the voices of all of them,
// each token speaking with the engine that owns it. The voices' category is espeak-ng's, so the
// voice key of Config.INI keeps naming an espeak-ng voice.
class SpeechEngines final : public TtsEngine {
public:
    explicit SpeechEngines(AudioOutput* output);
    ~SpeechEngines() override;

    QString voicesCategory() const override;
    // True when the first engine (espeak-ng) starts; the others join when they can.
    bool createVoice() override;
    bool hasVoice() const override;
    void releaseVoice() override;
    QList<VoiceToken> voices() override;
    std::optional<QString> defaultToken() override;
    std::optional<QString> openToken(const QString& id) override;
    bool setVoice(const std::optional<QString>& tokenId) override;
    bool setVolume(int volume) override;
    bool setRate(int rate) override;
    bool speakAsync(const QString& text) override;

    // The engine that speaks the current voice.
    SynthEngine* active() const { return active_; }

private:
    SynthEngine* owner(const QString& tokenId) const;

    std::vector<std::unique_ptr<SynthEngine>> engines_;
    SynthEngine* active_ = nullptr;
};

// The synthesiser behind a speech engine: itself, or the active one of SpeechEngines; null for
// any other engine.
SynthEngine* synthEngineOf(TtsEngine* engine);

} // namespace lex
