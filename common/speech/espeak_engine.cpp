#include "common/speech/espeak_engine.h"

#include "common/speech/audio_output.h"

#include <QFile>

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>

namespace lex {

namespace {

// espeak-ng keeps its state in globals: one lock for every call, one initialisation per process.
std::mutex& espeakMutex()
{
    static std::mutex m;
    return m;
}
int g_sampleRate = 0;                   // guarded by espeakMutex()
std::vector<int16_t>* g_collect = nullptr;

int collect(short* wav, int samples, espeak_EVENT*)
{
    if (wav && samples > 0 && g_collect)
        g_collect->insert(g_collect->end(), wav, wav + samples);
    return 0;
}

} // namespace

QString espeakVoiceAccent(const QString& identifier)
{
    // espeak-ng's plain "en" is British English, as are en-GB and its regional variants.
    const QString name = voiceTokenName(identifier).toLower();
    if (name == u"en-us")
        return QStringLiteral("US");
    if (name == u"en" || name.startsWith(u"en-gb"))
        return QStringLiteral("UK");
    return {};
}

QString voiceTokenName(const QString& id)
{
    const qsizetype slash = std::max(id.lastIndexOf(QLatin1Char('/')), id.lastIndexOf(QLatin1Char('\\')));
    return slash < 0 ? id : id.mid(slash + 1);
}

QString speechErrorText(uint32_t code, const QString& systemText)
{
    QString text = systemText;
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    if (!text.isEmpty())
        return text;
    if (code >= 0x80040200u && code <= 0x8004FFFFu) {
        const int n = int(code & 0xFFFFu) - 0x200;
        if (n != 0)
            return QStringLiteral("IDispatch error #%1").arg(n);
    }
    return QStringLiteral("Unknown error 0x") + QString::number(code, 16).toUpper();
}

EspeakEngine::EspeakEngine(AudioOutput* output, QString dataPath) : SynthEngine(output), dataPath_(std::move(dataPath)) {}

EspeakEngine::~EspeakEngine() { releaseVoice(); }

QString EspeakEngine::voicesCategory() const { return QString::fromLatin1(kCategory); }

int EspeakEngine::espeakVolume(int volume) { return std::clamp(volume, 0, 100); }

int EspeakEngine::espeakRate(int rate)
{
    const double wpm = 175.0 * std::pow(3.0, std::clamp(rate, -10, 10) / 10.0);
    return std::clamp(int(std::lround(wpm)), 80, 450);
}

bool EspeakEngine::createVoice()
{
    if (voiceCreated_)
        return true;
    {
        std::lock_guard<std::mutex> lock(espeakMutex());
        if (g_sampleRate <= 0) {
            const QByteArray path = QFile::encodeName(dataPath_);
            const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 200, path.isEmpty() ? nullptr : path.constData(), 0);
            if (rate <= 0)
                return false;
            g_sampleRate = rate;
            espeak_SetSynthCallback(collect);
        }
        sampleRate_ = g_sampleRate;
    }
    loadVoices();
    startWorker();
    return true;
}

void EspeakEngine::loadVoices()
{
    std::lock_guard<std::mutex> lock(espeakMutex());
    tokens_.clear();
    voiceList_.clear();
    const espeak_VOICE** list = espeak_ListVoices(nullptr);
    for (int i = 0; list && list[i]; ++i) {
        const QString identifier = QString::fromUtf8(list[i]->identifier ? list[i]->identifier : "");
        if (identifier.isEmpty())
            continue;
        const QString id = voicesCategory() + QStringLiteral("/Tokens/") + voiceTokenName(identifier);
        if (tokens_.contains(id))
            continue;   // two voices with the same last component: the first one keeps the name
        tokens_.insert(id, identifier);
        voiceList_.append(VoiceToken{id, QString::fromUtf8(list[i]->name ? list[i]->name : ""), espeakVoiceAccent(identifier)});
    }
}

QList<VoiceToken> EspeakEngine::voices()
{
    std::lock_guard<std::mutex> lock(espeakMutex());
    return voiceList_;
}

std::optional<QString> EspeakEngine::defaultToken()
{
    // The words are English: the plain English voice is the default one.
    const QString en = voicesCategory() + QStringLiteral("/Tokens/en");
    std::lock_guard<std::mutex> lock(espeakMutex());
    if (tokens_.contains(en))
        return en;
    if (!voiceList_.isEmpty())
        return voiceList_.first().id;
    return std::nullopt;
}

std::optional<QString> EspeakEngine::openToken(const QString& id)
{
    std::lock_guard<std::mutex> lock(espeakMutex());
    if (tokens_.contains(id))
        return id;
    return std::nullopt;
}

bool EspeakEngine::setVoice(const std::optional<QString>& tokenId)
{
    if (!voiceCreated_)
        return false;
    std::lock_guard<std::mutex> lock(espeakMutex());
    QString identifier;
    if (tokenId) {
        auto it = tokens_.constFind(*tokenId);
        if (it == tokens_.constEnd())
            return false;
        identifier = *it;
    }
    const QByteArray name = (identifier.isEmpty() ? QStringLiteral("en") : identifier).toUtf8();
    if (espeak_SetVoiceByName(name.constData()) != EE_OK)
        return false;
    voice_ = identifier;
    return true;
}

bool EspeakEngine::setVolume(int volume)
{
    std::lock_guard<std::mutex> lock(espeakMutex());
    volume_ = std::clamp(volume, 0, 100);
    return true;
}

bool EspeakEngine::setRate(int rate)
{
    std::lock_guard<std::mutex> lock(espeakMutex());
    rate_ = std::clamp(rate, -10, 10);
    return true;
}

std::vector<int16_t> EspeakEngine::synthesize(const QString& text)
{
    std::vector<int16_t> samples;
    if (!voiceCreated_ || text.isEmpty())
        return samples;
    std::lock_guard<std::mutex> lock(espeakMutex());
    // Settings are applied per word: another engine object may have changed the globals.
    const QByteArray name = (voice_.isEmpty() ? QStringLiteral("en") : voice_).toUtf8();
    espeak_SetVoiceByName(name.constData());
    espeak_SetParameter(espeakVOLUME, espeakVolume(volume_), 0);
    espeak_SetParameter(espeakRATE, espeakRate(rate_), 0);
    const QByteArray utf8 = text.toUtf8();
    g_collect = &samples;
    // Plain text: no markup, no phoneme input.
    espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    g_collect = nullptr;
    return samples;
}

} // namespace lex
