// lexbook speak: what the program would say for a word, written to a WAV file.
#include "commands.h"

#include "common/platform/env.h"
#include "common/speech/espeak_engine.h"
#include "common/speech/word_sound.h"

namespace lexbook {

const char kSpeakHelp[] =
    "Synthesises WORD as the program speaks it and writes it to FILE as a WAV file (16-bit mono).\n"
    "--accent uk (the default) speaks with espeak-ng's en-GB voice, us with en-US; --voice NAME\n"
    "names another espeak-ng voice (its last name, e.g. en-GB-x-rp). --engine espeak is the one\n"
    "engine built in.\n";

int cmdSpeak(const QStringList& argsIn)
{
    QStringList args = argsIn;
    std::optional<QString> accent, engineName, voice, outFile;
    QString error;
    if (!takeValue(args, QStringLiteral("--accent"), &accent, &error) || !takeValue(args, QStringLiteral("--engine"), &engineName, &error)
        || !takeValue(args, QStringLiteral("--voice"), &voice, &error) || !takeValue(args, QStringLiteral("--out"), &outFile, &error))
        return fail(error);
    if (args.size() != 1 || !outFile || (accent && *accent != u"uk" && *accent != u"us"))
        return fail(QStringLiteral("usage: lexbook speak WORD [--accent uk|us] [--engine espeak] [--voice NAME] --out FILE.wav"));
    if (engineName && *engineName != u"espeak")
        return fail(QStringLiteral("no engine '%1' (espeak is built in)").arg(*engineName));
    lex::EspeakEngine engine(nullptr);
    if (!engine.createVoice())
        return fail(QStringLiteral("espeak-ng could not start"), 1);
    // The accent's voice: espeak-ng names its British English voice "en" in some versions.
    const QStringList names = voice ? QStringList{*voice}
                              : accent == u"us" ? QStringList{QStringLiteral("en-US")}
                                                : QStringList{QStringLiteral("en-GB"), QStringLiteral("en")};
    std::optional<QString> token;
    for (const QString& name : names)
        if ((token = engine.openToken(QString::fromLatin1(lex::EspeakEngine::kCategory) + QStringLiteral("/Tokens/") + name)))
            break;
    if (!token || !engine.setVoice(token))
        return fail(QStringLiteral("espeak-ng has no voice '%1'").arg(names.first()), 1);
    const std::vector<int16_t> samples = engine.synthesize(args[0]);
    engine.releaseVoice();
    if (samples.empty())
        return fail(QStringLiteral("nothing was synthesised for '%1'").arg(args[0]), 1);
    if (const lex::Status s = lex::writeFileAtomically(lex::Env::defaultEnv(), *outFile, lex::wavFile(samples, engine.sampleRate())); !s)
        return fail(s.message());
    return 0;
}

} // namespace lexbook
