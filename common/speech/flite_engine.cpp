#include "common/speech/flite_engine.h"

#include <flite/flite.h>

#include <algorithm>
#include <cmath>
#include <mutex>

// Debian's flite ships each voice as a library of its own without a header.
extern "C" {
cst_voice* register_cmu_us_slt(const char* voxdir);
cst_voice* register_cmu_us_rms(const char* voxdir);
cst_voice* register_cmu_us_awb(const char* voxdir);
}

namespace lex {

namespace {

struct FliteVoice {
    const char* name;
    const char* description;
    cst_voice* (*reg)(const char*);
};

const FliteVoice kVoices[] = {
    {"slt", "flite slt (US English, female)", register_cmu_us_slt},
    {"rms", "flite rms (US English, male)", register_cmu_us_rms},
    {"awb", "flite awb (US English, male)", register_cmu_us_awb},
};

// flite keeps shared state (the lexicon, the voices' features): one lock for every call, each
// voice registered once per process.
std::mutex& fliteMutex()
{
    static std::mutex m;
    return m;
}
cst_voice* g_voices[std::size(kVoices)] = {};   // guarded by fliteMutex()

const FliteVoice* findVoice(const QString& name, size_t* index = nullptr)
{
    for (size_t i = 0; i < std::size(kVoices); ++i)
        if (name == QLatin1String(kVoices[i].name)) {
            if (index)
                *index = i;
            return &kVoices[i];
        }
    return nullptr;
}

} // namespace

FliteEngine::FliteEngine(AudioOutput* output) : SynthEngine(output) {}

FliteEngine::~FliteEngine() { releaseVoice(); }

QString FliteEngine::voicesCategory() const { return QString::fromLatin1(kCategory); }

float FliteEngine::durationStretch(int rate)
{
    const double factor = std::pow(3.0, std::clamp(rate, -10, 10) / 10.0);
    return float(1.0 / std::clamp(factor, 80.0 / 175.0, 450.0 / 175.0));
}

bool FliteEngine::createVoice()
{
    if (voiceCreated_)
        return true;
    {
        std::lock_guard<std::mutex> lock(fliteMutex());
        static const bool initialised = (flite_init(), true);
        (void)initialised;
    }
    sampleRate_ = 16000;   // all three voices; checked against each wave when it is made
    startWorker();
    return true;
}

QList<VoiceToken> FliteEngine::voices()
{
    QList<VoiceToken> list;
    for (const FliteVoice& v : kVoices)
        list.append(VoiceToken{voicesCategory() + QStringLiteral("/Tokens/") + QLatin1String(v.name), QString::fromLatin1(v.description),
                               QStringLiteral("US")});
    return list;
}

std::optional<QString> FliteEngine::defaultToken() { return voicesCategory() + QStringLiteral("/Tokens/slt"); }

std::optional<QString> FliteEngine::openToken(const QString& id)
{
    if (id.startsWith(voicesCategory() + QStringLiteral("/Tokens/")) && findVoice(voiceTokenName(id)))
        return id;
    return std::nullopt;
}

bool FliteEngine::setVoice(const std::optional<QString>& tokenId)
{
    if (!voiceCreated_)
        return false;
    if (!tokenId) {
        voice_ = QStringLiteral("slt");
        return true;
    }
    if (!openToken(*tokenId))
        return false;
    std::lock_guard<std::mutex> lock(fliteMutex());
    voice_ = voiceTokenName(*tokenId);
    return true;
}

bool FliteEngine::setVolume(int volume)
{
    std::lock_guard<std::mutex> lock(fliteMutex());
    volume_ = std::clamp(volume, 0, 100);
    return true;
}

bool FliteEngine::setRate(int rate)
{
    std::lock_guard<std::mutex> lock(fliteMutex());
    rate_ = std::clamp(rate, -10, 10);
    return true;
}

std::vector<int16_t> FliteEngine::synthesize(const QString& text)
{
    std::vector<int16_t> samples;
    if (!voiceCreated_ || text.isEmpty())
        return samples;
    std::lock_guard<std::mutex> lock(fliteMutex());
    size_t index = 0;
    const FliteVoice* v = findVoice(voice_, &index);
    if (!v)
        return samples;
    if (!g_voices[index])
        g_voices[index] = v->reg(nullptr);
    cst_voice* voice = g_voices[index];
    if (!voice)
        return samples;
    // Settings are applied per word: the voice object is shared by every engine object.
    flite_feat_set_float(voice->features, "duration_stretch", durationStretch(rate_));
    const QByteArray utf8 = text.toUtf8();
    cst_wave* wave = flite_text_to_wave(utf8.constData(), voice);
    if (!wave)
        return samples;
    if (wave->num_channels == 1 && wave->sample_rate == sampleRate_ && wave->num_samples > 0) {
        samples.assign(wave->samples, wave->samples + wave->num_samples);
        if (volume_ != 100)
            for (int16_t& s : samples)
                s = int16_t(s * volume_ / 100);
    }
    delete_wave(wave);
    return samples;
}

} // namespace lex
