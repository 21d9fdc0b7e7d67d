#pragma once
// Doubles for the speech tests: an engine that records what it was asked, a player that records
// the files it was given, and an audio output that records every sample instead of playing it.

#include "common/platform/sources.h"
#include "common/speech/audio_output.h"
#include "common/speech/tts_engine.h"
#include "common/speech/voice_player.h"

#include <QHash>
#include <QStringList>
#include <mutex>
#include <vector>

namespace lextest {

class FakeEngine final : public lex::TtsEngine {
public:
    bool canCreate = true;
    bool canSetVoice = true;
    bool canSpeak = true;
    bool throwOnCreate = false;
    bool throwOnSpeak = false;
    QStringList known{QStringLiteral("test/voices/Tokens/en"), QStringLiteral("test/voices/Tokens/en-US")};
    QHash<QString, QString> accents;   // token -> "UK" / "US"; none by default

    bool created = false;
    int releases = 0;
    std::vector<std::optional<QString>> voicesSet;
    std::vector<int> volumes, rates;
    QStringList spoken;

    QString voicesCategory() const override { return QStringLiteral("test/voices"); }
    bool createVoice() override
    {
        if (throwOnCreate)
            throw lex::SpeechError(0x80045001u);
        return created = canCreate;
    }
    bool hasVoice() const override { return created; }
    void releaseVoice() override { created = false; ++releases; }
    QList<lex::VoiceToken> voices() override
    {
        QList<lex::VoiceToken> out;
        for (const QString& id : known)
            out.append({id, id, accents.value(id)});
        return out;
    }
    std::optional<QString> defaultToken() override
    {
        return known.isEmpty() ? std::nullopt : std::optional<QString>(known.first());
    }
    std::optional<QString> openToken(const QString& id) override
    {
        return known.contains(id) ? std::optional<QString>(id) : std::nullopt;
    }
    bool setVoice(const std::optional<QString>& id) override { voicesSet.push_back(id); return canSetVoice; }
    bool setVolume(int v) override { volumes.push_back(v); return true; }
    bool setRate(int r) override { rates.push_back(r); return true; }
    bool speakAsync(const QString& text) override
    {
        if (throwOnSpeak)
            throw lex::SpeechError(0x80004005u, QStringLiteral("Unspecified error\r\n"));
        if (canSpeak)
            spoken << text;
        return canSpeak;
    }
};

class FakePlayer final : public lex::VoicePlayer {
public:
    QStringList unplayable;   // files whose play fails as a damaged file's does
    void play(const QString& path, int maxMs, const std::atomic<bool>&) override
    {
        std::lock_guard<std::mutex> lock(m_);
        if (unplayable.contains(path))
            throw lex::SpeechError(0x80004005u, QStringLiteral("damaged"));
        played_ << path;
        maxMs_ = maxMs;
    }
    QStringList played() const { std::lock_guard<std::mutex> lock(m_); return played_; }
    int maxMs() const { std::lock_guard<std::mutex> lock(m_); return maxMs_; }

private:
    mutable std::mutex m_;
    QStringList played_;
    int maxMs_ = 0;
};

// Records what would be heard. With a clock, writing advances it by the written audio's
// duration, as a real device that plays in real time would make it pass.
class RecordingOutput final : public lex::AudioOutput {
public:
    explicit RecordingOutput(lex::FixedClock* clock = nullptr, bool available = true)
        : clock_(clock), available_(available) {}

    std::unique_ptr<lex::AudioSink> open(const lex::AudioFormat& format) override
    {
        if (!available_)
            return nullptr;
        std::lock_guard<std::mutex> lock(m_);
        format_ = format;
        ++opens_;
        return std::make_unique<Sink>(this, format);
    }

    size_t frames() const { std::lock_guard<std::mutex> lock(m_); return frames_; }
    int opens() const { std::lock_guard<std::mutex> lock(m_); return opens_; }
    lex::AudioFormat format() const { std::lock_guard<std::mutex> lock(m_); return format_; }
    bool nonSilent() const { std::lock_guard<std::mutex> lock(m_); return nonSilent_; }

private:
    class Sink final : public lex::AudioSink {
    public:
        Sink(RecordingOutput* o, lex::AudioFormat f) : o_(o), f_(f) {}
        bool write(const int16_t* samples, size_t frames) override
        {
            std::lock_guard<std::mutex> lock(o_->m_);
            o_->frames_ += frames;
            for (size_t i = 0; i < frames * size_t(f_.channels); ++i)
                if (samples[i] != 0)
                    o_->nonSilent_ = true;
            if (o_->clock_)
                o_->clock_->advanceMs(int64_t(frames) * 1000 / f_.sampleRate);
            return true;
        }
        void drain() override {}

    private:
        RecordingOutput* o_;
        lex::AudioFormat f_;
    };

    mutable std::mutex m_;
    lex::FixedClock* clock_;
    bool available_;
    lex::AudioFormat format_;
    size_t frames_ = 0;
    int opens_ = 0;
    bool nonSilent_ = false;
};

} // namespace lextest
