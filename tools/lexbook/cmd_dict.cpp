#include "commands.h"

#include "common/dictionary/dict_builder.h"
#include "common/dictionary/dictionary.h"
#include "common/dictionary/ecdict_convert.h"
#include "common/dictionary/word_info.h"
#include "common/platform/env.h"

#include <cstdio>

namespace lexbook {
int cmdLookup(const QStringList& argsIn)
{
    QStringList args = argsIn;
    const bool companion = takeFlag(args, QStringLiteral("--companion"));
    if (args.size() != 2)
        return fail(QStringLiteral("usage: lexbook lookup DICTFOLDER WORD [--companion]"));
    lex::Dictionary dict(companion ? lex::DictVariant::Companion : lex::DictVariant::Main);
    const QStringList failed = dict.openFolder(args[0]);
    if (!failed.isEmpty()) {
        for (const QString& path : failed)
            std::fprintf(stderr, "lexbook: %s\n",
                         (QStringLiteral("不能打开词典文件，请确认此文件是否存在\n") + path).toUtf8().constData());
        return 2;
    }
    const QString& word = args[1];
    QString result;
    if (companion) {
        if (!dict.LookUpEntryText(word, result))
            return fail(QStringLiteral("'%1' is not in the dictionary").arg(word), 1);
    } else {
        QString explanation, phonetic;
        if (!dict.LookUpWord(word, explanation, phonetic))
            return fail(QStringLiteral("'%1' is not in the dictionary").arg(word), 1);
        result = phonetic + QLatin1Char('\n') + explanation;
    }
    // Line breaks come back as CR LF; a terminal and a script want LF.
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out(result + QLatin1Char('\n'));
    return 0;
}

int cmdDictBuild(const QStringList& argsIn)
{
    QStringList args = argsIn;
    const bool companion = takeFlag(args, QStringLiteral("--companion"));
    const bool fromMain = takeFlag(args, QStringLiteral("--from-main"));
    lex::DictBuildOptions options;
    options.variant = companion ? lex::DictVariant::Companion : lex::DictVariant::Main;
    QString error;
    if (!takeIntOption(args, QStringLiteral("--block"), 1, &options.blockSize, &error))
        return fail(error);
    std::optional<QString> infoCsv;
    if (!takeValue(args, QStringLiteral("--info"), &infoCsv, &error))
        return fail(error);
    if (args.size() != 2 || (fromMain && !companion) || (infoCsv && companion))
        return fail(QStringLiteral("usage: lexbook dict-build SOURCE OUTFOLDER [--companion [--from-main]] [--block N] [--info CSV]"));
    lex::Env* env = lex::Env::defaultEnv();
    if (infoCsv) {
        // The word lists and ranks, from a CSV with the word list's columns (word, tag, collins,
        // oxford, bnc, frq; only word is required).
        QByteArray csv;
        lex::Status read = env->readFile(*infoCsv, &csv);
        lex::ecdict::ReadResult records;
        if (read)
            read = lex::ecdict::readCsv(csv, &records);
        if (!read)
            return fail(QStringLiteral("%1: %2").arg(*infoCsv, read.message()));
        for (qsizetype line : records.badLines)
            std::fprintf(stderr, "lexbook: %s:%lld: malformed record, left out\n", infoCsv->toUtf8().constData(),
                         static_cast<long long>(line));
        options.blocks.push_back({{'L', 'X', 'W', 'I', 0}, lex::encodeWordInfoBlock(lex::ecdict::wordInfoRecords(records.records))});
    }
    QByteArray source;
    lex::Status s = env->readFile(args[0], &source);
    if (!s)
        return fail(s.message());

    lex::DictSourceParse parsed;
    s = lex::parseDictSource(source, fromMain || !companion ? lex::DictVariant::Main : lex::DictVariant::Companion,
                             &parsed);
    if (!s)
        return fail(QStringLiteral("%1: %2").arg(args[0], s.message()));
    for (int line : parsed.malformedLines)
        std::fprintf(stderr, "lexbook: %s:%d: wrong number of fields, line left out\n",
                     args[0].toUtf8().constData(), line);
    if (fromMain)
        for (lex::DictSourceEntry& e : parsed.entries)
            e.text = lex::companionTextFromMain(e);

    const QString folder = args[1];
    s = lex::createDirs(env, folder);
    if (!s)
        return fail(s.message());
    const QString stem = folder + (companion ? QStringLiteral("/21ct") : QStringLiteral("/Dict"));
    lex::DictBuildStats st;
    s = lex::buildDictionary(env, stem + QStringLiteral(".idx"), stem + QStringLiteral(".dic"), parsed.entries,
                             options, &st);
    if (!s)
        return fail(s.message());
    out(QStringLiteral("%1.idx, %1.dic: %2 entries in, %3 written in %4 blocks of up to %5\n")
            .arg(stem).arg(st.in).arg(st.written).arg(st.blocks).arg(options.blockSize));
    out(QStringLiteral("left out: %1 duplicates, %2 not in code page 936, %3 keys of 128 bytes or more, "
                       "%4 empty or NUL keys, %5 texts with separator characters; %6 malformed lines\n")
            .arg(st.duplicates).arg(st.notInCodePage).arg(st.keyTooLong).arg(st.badKey).arg(st.badText)
            .arg(parsed.malformedLines.size()));
    if (st.textReplaced)
        out(QStringLiteral("%1 texts had characters outside code page 936, written as '?'\n").arg(st.textReplaced));
    return 0;
}

} // namespace lexbook
