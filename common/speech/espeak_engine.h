#pragma once
// Synthesis with the espeak-ng library in this process. Words are synthesised one after another
// on the engine's own thread and played through an AudioOutput, so successive words queue and a
// machine without sound stays silent instead of failing.

#include "common/speech/tts_engine.h"

#include <QHash>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace lex {

class AudioOutput;

class EspeakEngine final : public TtsEngine {
public:
    static constexpr const char* kCategory = "espeak-ng/voices";

    // `dataPath` empty: the library's installed data.
    explicit EspeakEngine(AudioOutput* output, QString dataPath = {});
    ~EspeakEngine() override;

    QString voicesCategory() const override;
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

    // Synthesises `text` with the current settings and returns the samples (mono, sampleRate()).
    // Used by the speaking thread, and by tests that check what would be heard.
    std::vector<int16_t> synthesize(const QString& text);
    int sampleRate() const { return sampleRate_; }

    // The espeak-ng units for our ranges: volume 0..100 as is (100 = normal loudness), rate
    // -10..10 as a factor of 3 either way around 175 words a minute, within 80..450.
    static int espeakVolume(int volume);
    static int espeakRate(int rate);

private:
    void run();
    void loadVoices();

    AudioOutput* output_;
    QString dataPath_;
    int sampleRate_ = 0;
    bool voiceCreated_ = false;
    QHash<QString, QString> tokens_;   // token id -> espeak identifier
    QList<VoiceToken> voiceList_;
    QString voice_;                    // espeak identifier, empty = default
    int volume_ = 100;
    int rate_ = 0;

    std::mutex queueMutex_;
    std::condition_variable wake_;
    std::deque<QString> queue_;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace lex
