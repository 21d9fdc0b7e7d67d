#pragma once
// Synthesis with flite in this process: the CMU US English voices slt (female), rms and awb
// (male), linked in, so no voice data is looked for on disk. Queued and played as SynthEngine does.

#include "common/speech/synth_engine.h"

namespace lex {

class FliteEngine final : public SynthEngine {
public:
    static constexpr const char* kCategory = "flite/voices";

    explicit FliteEngine(AudioOutput* output);
    ~FliteEngine() override;

    QString voicesCategory() const override;
    bool createVoice() override;
    QList<VoiceToken> voices() override;
    std::optional<QString> defaultToken() override;
    std::optional<QString> openToken(const QString& id) override;
    bool setVoice(const std::optional<QString>& tokenId) override;
    bool setVolume(int volume) override;
    bool setRate(int rate) override;
    std::vector<int16_t> synthesize(const QString& text) override;

    // flite's duration stretch for our rate -10..10: the same speed factors as espeak-ng's
    // words a minute (3^(rate/10), within 80..450 around 175), inverted.
    static float durationStretch(int rate);

private:
    QString voice_ = QStringLiteral("slt");
    int volume_ = 100;
    int rate_ = 0;
};

} // namespace lex
