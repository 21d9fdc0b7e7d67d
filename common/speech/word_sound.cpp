#include "common/speech/word_sound.h"

#include "common/platform/env.h"
#include "common/speech/synth_engine.h"
#include "common/speech/speech_output.h"

#include <QFileInfo>
#include <QtEndian>

namespace lex {

namespace {

void put32(QByteArray& b, quint32 v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

void put16(QByteArray& b, quint16 v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}

} // namespace

QByteArray wavFile(const std::vector<int16_t>& samples, int sampleRate)
{
    const quint32 dataBytes = quint32(samples.size() * 2);
    QByteArray b;
    b.reserve(44 + qsizetype(dataBytes));
    b.append("RIFF");
    put32(b, 36 + dataBytes);
    b.append("WAVEfmt ");
    put32(b, 16);                      // format chunk size
    put16(b, 1);                       // PCM
    put16(b, 1);                       // mono
    put32(b, quint32(sampleRate));
    put32(b, quint32(sampleRate) * 2); // bytes a second
    put16(b, 2);                       // bytes a frame
    put16(b, 16);                      // bits a sample
    b.append("data");
    put32(b, dataBytes);
    for (int16_t s : samples)
        put16(b, quint16(s));
    return b;
}

bool wordSoundFile(const SpeechOutput* speech, Env* env, SynthEngine* engine, const QString& word,
                   QByteArray* data, QString* extension)
{
    data->clear();
    if (word.isEmpty())
        return false;
    if (speech && env) {
        const QString file = speech->recordedFile(word);
        if (!file.isEmpty() && env->readFile(file, data) && !data->isEmpty()) {
            *extension = QFileInfo(file).suffix().toLower();
            return true;
        }
    }
    if (!engine || !engine->hasVoice())
        return false;
    const std::vector<int16_t> samples = engine->synthesize(word);
    if (samples.empty())
        return false;
    *data = wavFile(samples, engine->sampleRate());
    *extension = QStringLiteral("wav");
    return true;
}

} // namespace lex
