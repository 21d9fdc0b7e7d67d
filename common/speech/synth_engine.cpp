#include "common/speech/synth_engine.h"

#include "common/speech/audio_output.h"
#include "common/speech/espeak_engine.h"
#ifdef LEXORA_HAVE_FLITE
#include "common/speech/flite_engine.h"
#endif

#include <QStringList>

#include <algorithm>

namespace lex {

namespace {
constexpr size_t kChunkFrames = 1024;
} // namespace

SynthEngine::~SynthEngine()
{
    // Normally already stopped by the derived destructor, before its members went away.
    releaseVoice();
}

void SynthEngine::startWorker()
{
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        stopping_ = false;
        queue_.clear();
    }
    worker_ = std::thread([this] { run(); });
    voiceCreated_ = true;
}

void SynthEngine::releaseVoice()
{
    if (!voiceCreated_)
        return;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
    voiceCreated_ = false;
}

bool SynthEngine::speakAsync(const QString& text)
{
    if (!voiceCreated_)
        return false;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.push_back(text);
    }
    wake_.notify_one();
    return true;
}

void SynthEngine::run()
{
    for (;;) {
        QString text;
        {
            std::unique_lock<std::mutex> lock(queueMutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            text = std::move(queue_.front());
            queue_.pop_front();
        }
        const std::vector<int16_t> samples = synthesize(text);
        if (samples.empty() || !output_)
            continue;
        std::unique_ptr<AudioSink> sink = output_->open(AudioFormat{sampleRate_, 1});
        if (!sink)
            continue;   // no sound device: silently nothing
        bool ok = true;
        for (size_t at = 0; ok && at < samples.size(); at += kChunkFrames) {
            {
                std::lock_guard<std::mutex> lock(queueMutex_);
                if (stopping_)
                    return;
            }
            ok = sink->write(samples.data() + at, std::min(kChunkFrames, samples.size() - at));
        }
        if (ok)
            sink->drain();
    }
}

QStringList speechEngineNames()
{
    QStringList names{QStringLiteral("espeak")};
#ifdef LEXORA_HAVE_FLITE
    names << QStringLiteral("flite");
#endif
    return names;
}

std::unique_ptr<SynthEngine> makeSpeechEngine(const QString& name, AudioOutput* output)
{
    if (name == u"espeak")
        return std::make_unique<EspeakEngine>(output);
#ifdef LEXORA_HAVE_FLITE
    if (name == u"flite")
        return std::make_unique<FliteEngine>(output);
#endif
    return nullptr;
}

QString engineVoiceToken(const QString& engine, const QString& voice)
{
    QString category;
    if (engine == u"espeak")
        category = QString::fromLatin1(EspeakEngine::kCategory);
#ifdef LEXORA_HAVE_FLITE
    else if (engine == u"flite")
        category = QString::fromLatin1(FliteEngine::kCategory);
#endif
    if (category.isEmpty() || voice.isEmpty())
        return {};
    return category + QStringLiteral("/Tokens/") + voice;
}

QString tokenEngineName(const QString& tokenId)
{
    for (const QString& name : speechEngineNames()) {
        const QString prefix = engineVoiceToken(name, QStringLiteral("x"));
        if (tokenId.startsWith(prefix.chopped(1)))
            return name;
    }
    return {};
}

SpeechEngines::SpeechEngines(AudioOutput* output)
{
    for (const QString& name : speechEngineNames())
        engines_.push_back(makeSpeechEngine(name, output));
    active_ = engines_.front().get();
}

SpeechEngines::~SpeechEngines() { releaseVoice(); }

QString SpeechEngines::voicesCategory() const { return engines_.front()->voicesCategory(); }

bool SpeechEngines::createVoice()
{
    if (!engines_.front()->createVoice())
        return false;
    for (size_t i = 1; i < engines_.size(); ++i)
        engines_[i]->createVoice();
    return true;
}

bool SpeechEngines::hasVoice() const { return engines_.front()->hasVoice(); }

void SpeechEngines::releaseVoice()
{
    for (const auto& e : engines_)
        e->releaseVoice();
}

QList<VoiceToken> SpeechEngines::voices()
{
    QList<VoiceToken> all;
    for (const auto& e : engines_)
        if (e->hasVoice())
            all += e->voices();
    return all;
}

std::optional<QString> SpeechEngines::defaultToken() { return engines_.front()->defaultToken(); }

SynthEngine* SpeechEngines::owner(const QString& tokenId) const
{
    for (const auto& e : engines_)
        if (e->hasVoice() && tokenId.startsWith(e->voicesCategory() + QLatin1Char('/')))
            return e.get();
    return nullptr;
}

std::optional<QString> SpeechEngines::openToken(const QString& id)
{
    SynthEngine* e = owner(id);
    return e ? e->openToken(id) : std::nullopt;
}

bool SpeechEngines::setVoice(const std::optional<QString>& tokenId)
{
    SynthEngine* e = tokenId ? owner(*tokenId) : engines_.front().get();
    if (!e || !e->setVoice(tokenId))
        return false;
    active_ = e;
    return true;
}

bool SpeechEngines::setVolume(int volume)
{
    bool ok = true;
    for (const auto& e : engines_)
        ok = e->setVolume(volume) && ok;
    return ok;
}

bool SpeechEngines::setRate(int rate)
{
    bool ok = true;
    for (const auto& e : engines_)
        ok = e->setRate(rate) && ok;
    return ok;
}

bool SpeechEngines::speakAsync(const QString& text) { return active_->speakAsync(text); }

SynthEngine* synthEngineOf(TtsEngine* engine)
{
    if (auto* all = dynamic_cast<SpeechEngines*>(engine))
        return all->active();
    return dynamic_cast<SynthEngine*>(engine);
}

} // namespace lex
