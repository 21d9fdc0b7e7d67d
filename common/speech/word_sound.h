#pragma once
// A word's sound as the bytes of a file, for media that leave the program (an Anki package): the
// recorded file from the voice folder when there is one, else the text-to-speech rendering as a
// WAV file. Nothing is played, so no sound device is needed.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace lex {

class SynthEngine;
class Env;
class SpeechOutput;

// 16-bit PCM mono samples as a RIFF/WAVE file.
QByteArray wavFile(const std::vector<int16_t>& samples, int sampleRate);

// The sound of `word`: the recorded file that SpeakWord would play (its bytes and extension, "mp3"
// or "wav"), else `engine`'s synthesis as "wav". False when there is neither (no file, no engine
// or no voice, nothing synthesised, the file unreadable). `speech` and `engine` may be null.
bool wordSoundFile(const SpeechOutput* speech, Env* env, SynthEngine* engine, const QString& word,
                   QByteArray* data, QString* extension);

} // namespace lex
