// lexbook speak: what the program would say for a word, written to a WAV file.
#include "commands.h"

#include "common/platform/env.h"
#include "common/speech/synth_engine.h"
#include "common/speech/word_sound.h"

namespace lexbook {

const char kSpeakHelp[] =
    "Synthesises WORD as the program speaks it and writes it to FILE as a WAV file (16-bit mono).\n"
    "--engine espeak (the default) or flite (when built in). --accent uk (the default) speaks with\n"
    "espeak-ng's en-GB voice, us with en-US; flite's voices are American (slt, the default, rms,\n"
    "awb), so it has no uk voice. --voice NAME names another voice of the engine (its last name,\n"
    "e.g. en-GB-x-rp or rms).\n";

int cmdSpeak(const QStringList& argsIn)
{
    QStringList args = argsIn;
    std::optional<QString> accent, engineName, voice, outFile;
    QString error;
    if (!takeValue(args, QStringLiteral("--accent"), &accent, &error) || !takeValue(args, QStringLiteral("--engine"), &engineName, &error)
        || !takeValue(args, QStringLiteral("--voice"), &voice, &error) || !takeValue(args, QStringLiteral("--out"), &outFile, &error))
        return fail(error);
    if (args.size() != 1 || !outFile || (accent && *accent != u"uk" && *accent != u"us"))
        return fail(QStringLiteral("usage: lexbook speak WORD [--accent uk|us] [--engine espeak|flite] [--voice NAME] --out FILE.wav"));
    const QString name = engineName.value_or(QStringLiteral("espeak"));
    std::unique_ptr<lex::SynthEngine> engine = lex::makeSpeechEngine(name, nullptr);
    if (!engine)
        return fail(QStringLiteral("no engine '%1' (built in: %2)").arg(name, lex::speechEngineNames().join(QStringLiteral(", "))));
    if (!engine->createVoice())
        return fail(QStringLiteral("%1 could not start").arg(name), 1);
    // The accent's voice: espeak-ng names its British English voice "en" in some versions.
    QStringList names;
    if (voice)
        names = {*voice};
    else if (name == u"flite")
        names = accent == u"uk" ? QStringList{} : QStringList{QStringLiteral("slt")};
    else
        names = accent == u"us" ? QStringList{QStringLiteral("en-US")} : QStringList{QStringLiteral("en-GB"), QStringLiteral("en")};
    if (names.isEmpty())
        return fail(QStringLiteral("%1 has no uk voice").arg(name), 1);
    std::optional<QString> token;
    for (const QString& n : names)
        if ((token = engine->openToken(engine->voicesCategory() + QStringLiteral("/Tokens/") + n)))
            break;
    if (!token || !engine->setVoice(token))
        return fail(QStringLiteral("%1 has no voice '%2'").arg(name, names.first()), 1);
    const std::vector<int16_t> samples = engine->synthesize(args[0]);
    engine->releaseVoice();
    if (samples.empty())
        return fail(QStringLiteral("nothing was synthesised for '%1'").arg(args[0]), 1);
    if (const lex::Status s = lex::writeFileAtomically(lex::Env::defaultEnv(), *outFile, lex::wavFile(samples, engine->sampleRate())); !s)
        return fail(s.message());
    return 0;
}

} // namespace lexbook
