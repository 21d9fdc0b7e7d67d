// The WordNet reader over small databases written by the test, its morphology as a table, damaged
// files, and (where Debian's WordNet and its `wn` are installed) `lexbook senses` against `wn -over`.
#include "common/dictionary/wordnet.h"
#include "temp_dir.h"
#include "tool_run.h"
#include "wordnet_files.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <random>

namespace {

using lex::WordNet;
using lex::WordNetPos;
using N = WordNetPos;

// One small database with what each rule needs.
lextest::WordNetFiles smallDatabase()
{
    lextest::WordNetFiles f;
    auto one = [&f](N pos, const QByteArray& lemma) {
        f.lemma(pos, lemma, {f.synset(pos, {lemma}, "a " + lemma)});
    };
    for (const char* w : {"dog", "box", "church", "fireman", "berry", "glass", "as", "boxful", "leaf", "leave",
                          "ice_cream", "bus", "e-mail"})
        one(N::Noun, w);
    for (const char* w : {"hope", "walk", "try", "see", "run_away", "look_up", "leave", "run", "fix"})
        one(N::Verb, w);
    for (const char* w : {"big", "nice", "tall", "good"})
        one(N::Adj, w);
    for (const char* w : {"well", "quickly"})
        one(N::Adv, w);
    f.exception(N::Noun, "leaves", {"leaf", "leave"});
    f.exception(N::Verb, "saw", {"see"});
    f.exception(N::Verb, "ran", {"run"});
    f.exception(N::Verb, "left", {"leave"});
    f.exception(N::Adj, "bigger", {"big"});
    f.exception(N::Adj, "better", {"good", "well"});
    f.exception(N::Adv, "better", {"well"});
    return f;
}

class WordNetReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        smallDatabase().writeTo(dir.path(QStringLiteral("wn")));
        ASSERT_TRUE(wn.open(dir.path(QStringLiteral("wn"))));
    }
    lextest::TempDir dir;
    WordNet wn;
};

TEST_F(WordNetReader, MorphologyFollowsTheExceptionListsThenTheSuffixRules)
{
    struct Row {
        const char* word;
        N pos;
        QStringList bases;
    };
    const Row rows[] = {
        {"dogs", N::Noun, {"dog"}},
        {"Dogs", N::Noun, {"dog"}},             // looked up in lower case
        {"boxes", N::Noun, {"box"}},
        {"churches", N::Noun, {"church"}},
        {"firemen", N::Noun, {"fireman"}},
        {"berries", N::Noun, {"berry"}},
        {"buses", N::Noun, {"bus"}},            // "s" would give "buse", not a lemma
        {"glass", N::Noun, {}},                 // nouns in "ss" are not plurals
        {"as", N::Noun, {}},                    // nor are words of two letters
        {"boxesful", N::Noun, {"boxful"}},      // the rule applies before "ful"
        {"leaves", N::Noun, {"leaf", "leave"}}, // every base the exception line names
        {"ice_creams", N::Noun, {"ice cream"}},
        {"ice creams", N::Noun, {"ice cream"}},
        {"hoping", N::Verb, {"hope"}},
        {"walked", N::Verb, {"walk"}},
        {"tries", N::Verb, {"try"}},
        {"fixes", N::Verb, {"fix"}},
        {"saw", N::Verb, {"see"}},
        {"ran away", N::Verb, {"run away"}},    // only the verb of a phrasal verb is inflected
        {"looked_up", N::Verb, {"look up"}},
        {"cats", N::Verb, {}},                  // a rule's result must be a lemma
        {"bigger", N::Adj, {"big"}},
        {"nicer", N::Adj, {"nice"}},
        {"taller", N::Adj, {"tall"}},
        {"better", N::Adj, {"good", "well"}},
        {"better", N::Adv, {"well"}},
        {"quicklier", N::Adv, {}},              // adverbs have the exception list only
    };
    for (const Row& r : rows)
        EXPECT_EQ(wn.baseForms(QString::fromLatin1(r.word), r.pos), r.bases) << r.word << " " << lex::wordNetPosName(r.pos);
}

TEST_F(WordNetReader, SensesComePerPartOfSpeechTheWordBeforeItsBases)
{
    struct Row {
        const char* word;
        QStringList found;   // pos:lemma of each sense, in order
    };
    const Row rows[] = {
        {"leaves", {"noun:leaf", "noun:leave", "verb:leave"}},
        {"better", {"adj:good", "adv:well"}},
        {"left", {"verb:leave"}},
        {"email", {}},                          // not a spelling WordNet tries
        {"e_mail", {"noun:e-mail"}},
        {"nothing", {}},
    };
    for (const Row& r : rows) {
        QStringList got;
        for (const lex::WordSense& s : wn.senses(QString::fromLatin1(r.word)))
            got << QString::fromLatin1(lex::wordNetPosName(s.pos)) + QLatin1Char(':') + s.lemma;
        EXPECT_EQ(got, r.found) << r.word;
    }
}

TEST(WordNetGloss, TheExamplesAreSplitFromTheDefinition)
{
    struct Row {
        const char* text;
        const char* gloss;
        QStringList examples;
    };
    const Row rows[] = {
        {"someone who bets  ", "someone who bets", {}},
        {"flee; take to one's heels; cut and run; \"If you see this man, run!\"; \"The burglars escaped\"",
         "flee; take to one's heels; cut and run", {"If you see this man, run!", "The burglars escaped"}},
        {"sparing; \"never of much consequence\"- John Galsworthy", "sparing",
         {"\"never of much consequence\"- John Galsworthy"}},   // the author stays with his quote
        {"of a ball: \"a ball out of play is dead\"", "of a ball: \"a ball out of play is dead\"", {}},
        {"capable of taking; \"an assimilative substance", "capable of taking", {"\"an assimilative substance"}},
    };
    for (const Row& r : rows) {
        QString gloss;
        QStringList examples;
        lex::splitWordNetGloss(QString::fromLatin1(r.text), &gloss, &examples);
        EXPECT_EQ(gloss, QString::fromLatin1(r.gloss)) << r.text;
        EXPECT_EQ(examples, r.examples) << r.text;
    }
}

TEST(WordNetSynsets, WordsAreShownWithSpacesAndWithoutTheirAdjectiveMarks)
{
    lextest::WordNetFiles f;
    f.lemma(N::Adj, "galore", {f.synset(N::Adj, {"galore(ip)"}, "in great numbers; \"daffodils galore\""),
                               f.synset(N::Adj, {"abounding", "galore(ip)"}, "existing in abundance")});
    f.lemma(N::Noun, "dog", {f.synset(N::Noun, {"dog", "domestic_dog", "Canis_familiaris"}, "a member of the genus Canis")});
    lextest::TempDir dir;
    f.writeTo(dir.path(QStringLiteral("wn")));
    WordNet wn;
    ASSERT_TRUE(wn.open(dir.path(QStringLiteral("wn"))));
    const std::vector<lex::WordSense> adj = wn.senses(u"galore");
    ASSERT_EQ(adj.size(), 2u);
    EXPECT_EQ(adj[0].words, QStringList{QStringLiteral("galore")});
    EXPECT_EQ(adj[0].examples, QStringList{QStringLiteral("daffodils galore")});
    EXPECT_EQ(adj[1].words, (QStringList{QStringLiteral("abounding"), QStringLiteral("galore")}));
    const std::vector<lex::WordSense> noun = wn.senses(u"DOG");
    ASSERT_EQ(noun.size(), 1u);
    EXPECT_EQ(noun[0].words, (QStringList{QStringLiteral("dog"), QStringLiteral("domestic dog"), QStringLiteral("Canis familiaris")}));
}

TEST(WordNetDamage, DamagedFilesLoseSensesButNeverReadOutside)
{
    const lextest::WordNetFiles f = smallDatabase();
    const QByteArray index = f.index(N::Noun), data = f.data(N::Noun);
    const qsizetype dogLine = index.indexOf("\ndog ") + 1;
    auto replaced = [](QByteArray b, const QByteArray& from, const QByteArray& to) { return b.replace(from, to); };
    struct Row {
        const char* what;
        QByteArray index, data;
        bool dogFound;
    };
    const QByteArray dogIndex = index.mid(dogLine, index.indexOf('\n', dogLine) - dogLine);
    const QByteArray dogOffset = dogIndex.split(' ').at(7);
    const Row rows[] = {
        {"intact", index, data, true},
        {"data cut short", index, data.left(data.indexOf(dogOffset)), false},
        {"offset past the end", replaced(index, dogIndex, "dog n 1 1 @ 1 0 99999999"), data, false},
        {"offset inside a line", replaced(index, dogIndex, "dog n 1 1 @ 1 0 00000010"), data, false},
        {"more synsets than offsets", replaced(index, dogIndex, "dog n 9 1 @ 9 0 " + dogOffset), data, false},
        {"count not a number", replaced(index, dogIndex, "dog n x 1 @ 1 0 " + dogOffset), data, false},
        {"pointer count too large", replaced(index, dogIndex, "dog n 1 99 @ 1 0 " + dogOffset), data, false},
        {"word count too large", index, replaced(data, dogOffset + " 05 n 01", dogOffset + " 05 n ff"), false},
        {"no newline at all", QByteArray(4096, 'x'), data, false},
        {"index cut in the middle of the line", index.left(dogLine + 5), data, false},
    };
    for (const Row& r : rows) {
        // Exact-size copies, so that a sanitizer sees any read past either one.
        const QByteArray idx(r.index.constData(), r.index.size()), dat(r.data.constData(), r.data.size());
        WordNet wn;
        wn.openMemory(N::Noun, idx, dat, {});
        EXPECT_EQ(!wn.senses(u"dogs").empty(), r.dogFound) << r.what;
        wn.senses(u"boxes");
    }
}

TEST(WordNetFolder, MissingFilesMeanNoSenses)
{
    lextest::TempDir dir;
    WordNet wn;
    EXPECT_FALSE(wn.open(dir.path(QStringLiteral("none"))));
    EXPECT_TRUE(wn.senses(u"dog").empty());
    lextest::WordNetFiles f;
    f.lemma(N::Verb, "run", {f.synset(N::Verb, {"run"}, "move fast")});
    f.writeTo(dir.path(QStringLiteral("wn")));
    QFile::remove(dir.path(QStringLiteral("wn/data.noun")));
    ASSERT_TRUE(wn.open(dir.path(QStringLiteral("wn"))));   // the verbs are still there
    EXPECT_EQ(wn.senses(u"runs").size(), 1u);
}

TEST(LexbookSenses, PrintsOneLinePerSenseAndFailsWhenThereIsNone)
{
    lextest::TempDir dir;
    smallDatabase().writeTo(dir.path(QStringLiteral("wn")));
    lextest::WordNetFiles g;
    g.lemma(N::Noun, "goose", {g.synset(N::Noun, {"goose"}, "a bird; \"the goose honked\"")});
    g.writeTo(dir.path(QStringLiteral("wn2")));
    lextest::ToolRun r = lextest::lexbook({QStringLiteral("senses"), QStringLiteral("geese"), QStringLiteral("--wordnet"),
                                           dir.path(QStringLiteral("wn2"))});
    EXPECT_EQ(r.code, 1);   // no exception line for "geese" here
    g.exception(N::Noun, "geese", {"goose"});
    g.writeTo(dir.path(QStringLiteral("wn2")));
    r = lextest::lexbook({QStringLiteral("senses"), QStringLiteral("geese"), QStringLiteral("--wordnet"),
                          dir.path(QStringLiteral("wn2"))});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("{\"pos\": \"noun\", \"words\": [\"goose\"], \"gloss\": \"a bird\", "
                                    "\"examples\": [\"the goose honked\"]}\n"));
    r = lextest::lexbook({QStringLiteral("senses"), QStringLiteral("dog"), QStringLiteral("--wordnet"),
                          dir.path(QStringLiteral("none"))});
    EXPECT_EQ(r.code, 2);
}

// `wn WORD -over` parsed into one "pos|words|definition" string per sense.
QStringList wnOverview(const QString& word)
{
    QProcess p;
    p.start(QStringLiteral("wn"), {word, QStringLiteral("-over")});
    p.waitForFinished(30000);
    QStringList out;
    QString pos;
    static const QRegularExpression header(QStringLiteral("^Overview of (noun|verb|adj|adv) "));
    static const QRegularExpression sense(QStringLiteral("^\\d+\\. (?:\\(\\d+\\) )?(.*?) -- \\((.*)\\)$"));
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (const auto m = header.match(line); m.hasMatch())
            pos = m.captured(1);
        else if (const auto s = sense.match(line); s.hasMatch())
            out << pos + QLatin1Char('|') + s.captured(1) + QLatin1Char('|') + s.captured(2);
    }
    return out;
}

QStringList lexbookOverview(const QString& word, const QString& folder)
{
    QStringList out;
    for (const QJsonObject& o :
         lextest::jsonLines(lextest::lexbook({QStringLiteral("senses"), word, QStringLiteral("--wordnet"), folder}).out)) {
        QStringList words, parts;
        for (const QJsonValue& w : o[QStringLiteral("words")].toArray())
            words << w.toString();
        if (!o[QStringLiteral("gloss")].toString().isEmpty())
            parts << o[QStringLiteral("gloss")].toString();
        for (const QJsonValue& e : o[QStringLiteral("examples")].toArray())
            parts << (e.toString().startsWith(QLatin1Char('"')) ? e.toString() : QLatin1Char('"') + e.toString() + QLatin1Char('"'));
        out << o[QStringLiteral("pos")].toString() + QLatin1Char('|') + words.join(QStringLiteral(", ")) + QLatin1Char('|') +
                   parts.join(QStringLiteral("; "));
    }
    return out;
}

QByteArrayList firstFields(const QString& path)
{
    QFile f(path);
    QByteArrayList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.isEmpty() && line[0] != ' ')
            out << line.left(line.indexOf(' '));
    return out;
}

TEST(WordNetReference, SensesEqualDebiansWnForRandomLemmasAndTheirForms)
{
    // The folder Debian's `wn` reads (the tests' LEXORA_WORDNET_PATH names none).
    const QString folder = QStringLiteral("/usr/share/wordnet");
    if (!QFile::exists(folder + QStringLiteral("/index.noun")) || QStandardPaths::findExecutable(QStringLiteral("wn")).isEmpty())
        GTEST_SKIP() << "Debian's WordNet (wordnet-base, wordnet) is not installed";
    QByteArrayList lemmas, forms;
    for (const char* pos : {"noun", "verb", "adj", "adv"}) {
        lemmas << firstFields(folder + QStringLiteral("/index.") + QLatin1String(pos));
        forms << firstFields(folder + QLatin1Char('/') + QLatin1String(pos) + QStringLiteral(".exc"));
    }
    ASSERT_GT(lemmas.size(), 100000);
    std::mt19937 random(20261209);
    auto pick = [&random](const QByteArrayList& from) {
        return from[qsizetype(std::uniform_int_distribution<qsizetype>(0, from.size() - 1)(random))];
    };
    QStringList words;
    for (int i = 0; i < 300; ++i)
        words << QString::fromUtf8(pick(lemmas)).replace(QLatin1Char('_'), QLatin1Char(' '));
    static const char* suffixes[] = {"s", "es", "ed", "ing", "er", "est", "ies"};
    for (int i = 0; i < 60; ++i) {
        words << QString::fromUtf8(pick(forms));                                   // irregular forms
        words << QString::fromUtf8(pick(lemmas) + suffixes[random() % 7]);         // regular ones
    }
    int compared = 0;
    for (const QString& w : words) {
        const QStringList expected = wnOverview(w);
        EXPECT_EQ(lexbookOverview(w, folder), expected) << qPrintable(w);
        compared += int(expected.size());
    }
    EXPECT_GT(compared, 300);
}

} // namespace
