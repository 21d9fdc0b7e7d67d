#pragma once
// Synthesis with the espeak-ng library in this process, queued and played as SynthEngine does.

#include "common/speech/synth_engine.h"

#include <QHash>

namespace lex {

// "UK", "US" or empty for an espeak-ng voice identifier such as "gmw/en-GB-x-rp".
QString espeakVoiceAccent(const QString& identifier);

class EspeakEngine final : public SynthEngine {
public:
    static constexpr const char* kCategory = "espeak-ng/voices";

    // `dataPath` empty: the library's installed data.
    explicit EspeakEngine(AudioOutput* output, QString dataPath = {});
    ~EspeakEngine() override;

    QString voicesCategory() const override;
    bool createVoice() override;
    QList<VoiceToken> voices() override;
    std::optional<QString> defaultToken() override;
    std::optional<QString> openToken(const QString& id) override;
    bool setVoice(const std::optional<QString>& tokenId) override;
    bool setVolume(int volume) override;
    bool setRate(int rate) override;
    std::vector<int16_t> synthesize(const QString& text) override;

    // The espeak-ng units for our ranges: volume 0..100 as is (100 = normal loudness), rate
    // -10..10 as a factor of 3 either way around 175 words a minute, within 80..450.
    static int espeakVolume(int volume);
    static int espeakRate(int rate);

private:
    void loadVoices();

    QString dataPath_;
    QHash<QString, QString> tokens_;   // token id -> espeak identifier
    QList<VoiceToken> voiceList_;
    QString voice_;                    // espeak identifier, empty = default
    int volume_ = 100;
    int rate_ = 0;
};

} // namespace lex
