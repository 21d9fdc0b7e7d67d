// senses WORD: the WordNet senses of a word, one JSON line each; words-from FILE: the words of a
// text that a Book lacks.
#include "commands.h"

#include "common/dictionary/word_forms.h"
#include "common/dictionary/word_info.h"
#include "common/dictionary/wordnet.h"
#include "lexora/book/book.h"
#include "lexora/exchange/text_words.h"

#include <QSet>
#include <cstdio>

namespace lexbook {
namespace {

QString jsonList(const QStringList& items)
{
    QString s = QStringLiteral("[");
    for (qsizetype i = 0; i < items.size(); ++i)
        s += (i ? QStringLiteral(", ") : QString()) + jsonString(items[i]);
    return s + QLatin1Char(']');
}

} // namespace

int cmdSenses(const QStringList& argsIn)
{
    QStringList args = argsIn;
    std::optional<QString> folder, dict;
    QString error;
    if (!takeValue(args, QStringLiteral("--wordnet"), &folder, &error) ||
        !takeValue(args, QStringLiteral("--dict"), &dict, &error))
        return fail(error);
    if (args.size() != 1)
        return fail(QStringLiteral("senses takes one WORD"));
    lex::WordNet wordnet;
    const QString where = folder.value_or(lex::WordNet::defaultFolder());
    if (!wordnet.open(where))
        return fail(QStringLiteral("no WordNet files in %1").arg(where));
    lex::WordForms forms;
    if (dict && !forms.openIndex(*dict + QStringLiteral("/21ct.idx")))
        forms.openIndex(*dict + QStringLiteral("/Dict.idx"));
    const std::vector<lex::WordSense> senses = wordnet.senses(args[0], dict ? &forms : nullptr);
    for (const lex::WordSense& s : senses)
        out(QStringLiteral("{\"pos\": ") + jsonString(QString::fromLatin1(lex::wordNetPosName(s.pos))) +
            QStringLiteral(", \"words\": ") + jsonList(s.words) + QStringLiteral(", \"gloss\": ") +
            jsonString(s.gloss) + QStringLiteral(", \"examples\": ") + jsonList(s.examples) +
            QStringLiteral("}\n"));
    return senses.empty() ? fail(QStringLiteral("'%1' is not in WordNet").arg(args[0]), 1) : 0;
}

int cmdWordsFrom(const QStringList& argsIn)
{
    QStringList args = argsIn;
    std::optional<QString> bookPath, wordnetFolder, dictFolder;
    QString error;
    int knownRank = 0;
    const bool names = takeFlag(args, QStringLiteral("--names"));
    const bool stats = takeFlag(args, QStringLiteral("--stats"));
    if (!takeValue(args, QStringLiteral("--book"), &bookPath, &error) ||
        !takeValue(args, QStringLiteral("--wordnet"), &wordnetFolder, &error) ||
        !takeValue(args, QStringLiteral("--dict"), &dictFolder, &error) ||
        !takeIntOption(args, QStringLiteral("--known-rank"), 0, &knownRank, &error))
        return fail(error);
    if (args.size() != 1)
        return fail(QStringLiteral("words-from takes one FILE"));
    QString text;
    if (const lex::Status s = lex::readReadingFile(lex::Env::defaultEnv(), args[0], &text); !s)
        return fail(s.message());

    lex::WordNet wordnet;
    wordnet.open(wordnetFolder.value_or(lex::WordNet::defaultFolder()));
    lex::WordForms forms;
    lex::WordInfoTable info;
    std::unique_ptr<lex::Dictionary> dict;
    if (dictFolder) {
        dict = std::make_unique<lex::Dictionary>(lex::DictVariant::Main);
        if (!dict->openFolder(*dictFolder).isEmpty())
            return fail(QStringLiteral("cannot open the dictionary in %1").arg(*dictFolder));
        forms.openIndex(*dictFolder + QStringLiteral("/Dict.idx"));
        info.openIndex(*dictFolder + QStringLiteral("/Dict.idx"));
    }
    const lex::WordResolver resolver = lex::dictionaryResolver(&forms, &wordnet, dict.get(), &info);

    QSet<QString> inBook;
    if (bookPath) {
        lex::Book book;
        int code = 0;
        if (!readEntries({*bookPath}, "words-from", &book, &code))
            return code;
        for (const lex::WordEntry* e : book.full()) {
            const QString w = e->word().toString().toLower();
            inBook.insert(w);
            if (const QString h = resolver.baseOf(w); !h.isEmpty())
                inBook.insert(h.toLower());
        }
    }
    lex::TextWordsSummary summary;
    lex::TextWordFilter filter;
    filter.knownRank = knownRank;
    filter.keepNames = names;
    filter.inBook = [&inBook](const QString& w) { return inBook.contains(w); };
    const std::vector<lex::TextWord> words = lex::filterTextWords(lex::wordsFromText(text, resolver, &summary), filter);
    QString all;
    for (const lex::TextWord& w : words) {
        all += QStringLiteral("{\"word\": ") + jsonString(w.word) + QStringLiteral(", \"count\": ") +
               QString::number(w.count) + QStringLiteral(", \"rank\": ") +
               (w.rank ? QString::number(*w.rank) : QStringLiteral("null")) + QStringLiteral(", \"exams\": ") +
               jsonList(w.exams) + QStringLiteral(", \"sentence\": ") + jsonString(w.sentence);
        if (w.name)
            all += QStringLiteral(", \"name\": true");
        if (!w.resolved)
            all += QStringLiteral(", \"unknown\": true");
        all += QStringLiteral("}\n");
    }
    out(all);
    if (stats) {
        const qsizetype counted = summary.tokens - summary.nameTokens;
        std::fprintf(stderr, "lexbook: %lld word tokens, %lld of names, %lld of the rest resolved (%.2f%%)\n",
                     qlonglong(summary.tokens), qlonglong(summary.nameTokens), qlonglong(summary.resolvedTokens),
                     counted ? 100.0 * double(summary.resolvedTokens) / double(counted) : 100.0);
    }
    return 0;
}

} // namespace lexbook
