#pragma once
// The text-to-speech engine as the speech logic sees it: a voice object, the installed voices
// ("tokens") with identifiers and descriptions, volume, rate and asynchronous speaking.

#include <QList>
#include <QString>
#include <cstdint>
#include <exception>
#include <optional>

namespace lex {

struct VoiceToken {
    QString id;            // category + "/Tokens/" + name
    QString description;   // what the settings dialog lists
    QString accent;        // "UK", "US" or empty: the English the voice speaks, when it is English
};

// What an engine throws for a failure it cannot report as a result: a code and, when the system
// has one, its text.
class SpeechError : public std::exception {
public:
    SpeechError(uint32_t code, QString systemText = {}) : code_(code), text_(std::move(systemText)) {}
    uint32_t code() const { return code_; }
    const QString& systemText() const { return text_; }
    const char* what() const noexcept override { return "speech engine error"; }

private:
    uint32_t code_;
    QString text_;
};

class TtsEngine {
public:
    virtual ~TtsEngine() = default;

    // The prefix of every token identifier; Config.INI stores only what follows its last '/'.
    virtual QString voicesCategory() const = 0;

    virtual bool createVoice() = 0;     // false: no voice object
    virtual bool hasVoice() const = 0;
    virtual void releaseVoice() = 0;    // drops queued words

    virtual QList<VoiceToken> voices() = 0;
    virtual std::optional<QString> defaultToken() = 0;
    // The identifier when such a token exists; nothing for an unknown identifier.
    virtual std::optional<QString> openToken(const QString& id) = 0;
    // Nothing selects the engine's default voice. False when the voice cannot be set.
    virtual bool setVoice(const std::optional<QString>& tokenId) = 0;
    virtual bool setVolume(int volume) = 0;   // 0..100
    virtual bool setRate(int rate) = 0;       // -10..10
    // Queues the word as plain text (never markup) behind those still being spoken; false when
    // the engine refuses it.
    virtual bool speakAsync(const QString& text) = 0;
};

// The part of a token identifier after its last separator: what "TTSEngineMale" holds.
QString voiceTokenName(const QString& id);

// The text shown for an engine error: the system's text without its trailing line break, else
// "IDispatch error #%d" for codes 0x80040200..0x8004FFFF (low 16 bits minus 0x200, when not 0),
// else "Unknown error 0x%0lX".
QString speechErrorText(uint32_t code, const QString& systemText);

} // namespace lex
