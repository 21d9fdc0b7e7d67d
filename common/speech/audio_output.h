#pragma once
// Where decoded and synthesised sound goes: 16-bit interleaved PCM written to a sink. The real
// sink is PulseAudio; tests record what would have been heard.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace lex {

struct AudioFormat {
    int sampleRate = 22050;
    int channels = 1;
};

class AudioSink {
public:
    virtual ~AudioSink() = default;   // drops whatever has not been played yet
    // Blocks while the device's buffer is full; false when the device failed.
    virtual bool write(const int16_t* samples, size_t frames) = 0;
    // Waits until everything written has been played.
    virtual void drain() = 0;
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Null when no device can take this format (no sound server, no card): callers stay silent.
    virtual std::unique_ptr<AudioSink> open(const AudioFormat& format) = 0;
};

// PulseAudio's simple API. `server` empty means the default (PULSE_SERVER, the user's daemon).
// Never starts a daemon of its own, so a machine without sound fails at once instead of waiting.
class PulseOutput final : public AudioOutput {
public:
    explicit PulseOutput(QString applicationName, QString server = {});
    std::unique_ptr<AudioSink> open(const AudioFormat& format) override;

private:
    QByteArray name_;
    QByteArray server_;
};

class Env;

// Every sound written into a folder instead of a device, one WAV file each ("NAME-0001.wav", ...,
// mono: more channels are mixed down), written when the sound has been played to its end. For
// runs without a sound server that must show what was heard.
class WavFolderOutput final : public AudioOutput {
public:
    WavFolderOutput(Env* env, QString folder, QString name);
    std::unique_ptr<AudioSink> open(const AudioFormat& format) override;

private:
    Env* env_;
    QString folder_, name_;
    std::shared_ptr<int> next_;
};

// Where a program's sound goes: the folder LEXORA_SOUND_FOLDER names (WavFolderOutput), else
// PulseAudio under the program's name.
inline constexpr char kSoundFolderVariable[] = "LEXORA_SOUND_FOLDER";
std::unique_ptr<AudioOutput> programAudioOutput(const QString& programName, Env* env = nullptr);

} // namespace lex
