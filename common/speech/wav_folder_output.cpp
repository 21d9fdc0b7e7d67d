#include "common/speech/audio_output.h"

#include "common/platform/env.h"
#include "common/speech/word_sound.h"

#include <QDir>
#include <mutex>
#include <vector>

namespace lex {

namespace {

std::mutex& namesMutex()
{
    static std::mutex m;
    return m;
}

class WavFileSink final : public AudioSink {
public:
    WavFileSink(Env* env, QString folder, QString name, std::shared_ptr<int> next, AudioFormat format)
        : env_(env), folder_(std::move(folder)), name_(std::move(name)), next_(std::move(next)), format_(format)
    {
    }
    ~WavFileSink() override
    {
        if (!written_)
            drain();
    }

    bool write(const int16_t* samples, size_t frames) override
    {
        const int channels = format_.channels;
        for (size_t f = 0; f < frames; ++f) {
            int sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += samples[f * size_t(channels) + size_t(c)];
            mono_.push_back(int16_t(sum / channels));
        }
        return true;
    }

    void drain() override
    {
        if (written_ || mono_.empty())
            return;
        written_ = true;
        QString path;
        {
            // Two programs may share the folder: the first free number is taken.
            std::lock_guard<std::mutex> lock(namesMutex());
            do
                path = QDir(folder_).filePath(QStringLiteral("%1-%2.wav").arg(name_).arg(++*next_, 4, 10, QLatin1Char('0')));
            while (env_->fileExists(path));
            writeFileAtomically(env_, path, wavFile(mono_, format_.sampleRate));
        }
    }

private:
    Env* env_;
    QString folder_, name_;
    std::shared_ptr<int> next_;
    AudioFormat format_;
    std::vector<int16_t> mono_;
    bool written_ = false;
};

} // namespace

WavFolderOutput::WavFolderOutput(Env* env, QString folder, QString name)
    : env_(orDefault(env)), folder_(std::move(folder)), name_(std::move(name)), next_(std::make_shared<int>(0))
{
}

std::unique_ptr<AudioSink> WavFolderOutput::open(const AudioFormat& format)
{
    if (format.sampleRate <= 0 || format.channels <= 0 || format.channels > 8)
        return nullptr;
    return std::make_unique<WavFileSink>(env_, folder_, name_, next_, format);
}

std::unique_ptr<AudioOutput> programAudioOutput(const QString& programName, Env* env)
{
    const QString folder = qEnvironmentVariable(kSoundFolderVariable);
    if (!folder.isEmpty())
        return std::make_unique<WavFolderOutput>(env, folder, programName);
    return std::make_unique<PulseOutput>(programName);
}

} // namespace lex
