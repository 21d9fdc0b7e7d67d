// The spelling grade: the labelled table of learners' misspellings, with an injected word list and
// with the system's Hunspell dictionaries when they are there; distances, the differing letters,
// the grade without a dictionary, syllables from patterns, and lexbook grade.

#include "common/spell/hunspell_checker.h"
#include "common/text/hyphenator.h"
#include "lexora/practice/spelling_grade.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <gtest/gtest.h>

using namespace lex;

namespace {

struct LabelledAnswer {
    QString target, typed;
    SpellingVerdict verdict;
};

std::vector<LabelledAnswer> labelledTable()
{
    QFile f(lextest::sourceDir() + QStringLiteral("/tests/practice/data/spelling_grades.tsv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    std::vector<LabelledAnswer> rows;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        if (raw.isEmpty() || raw.startsWith('#'))
            continue;
        const QStringList cols = QString::fromUtf8(raw).split(u'\t');
        EXPECT_EQ(cols.size(), 3) << raw.constData();
        if (cols.size() != 3)
            continue;
        const QString v = cols[2];
        const SpellingVerdict verdict = v == u"right"        ? SpellingVerdict::Right
                                        : v == u"typo"       ? SpellingVerdict::Typo
                                        : v == u"other-word" ? SpellingVerdict::OtherWord
                                                             : SpellingVerdict::Wrong;
        EXPECT_EQ(spellingVerdictName(verdict), v) << raw.constData();
        rows.push_back({cols[0], cols[1], verdict});
    }
    return rows;
}

// English is what the list holds, folded to lower case.
class ListChecker final : public WordChecker {
public:
    explicit ListChecker(QSet<QString> words) : words_(std::move(words)) {}
    bool isWord(QStringView w) const override { return words_.contains(w.toString().toLower()); }

private:
    QSet<QString> words_;
};

// Grades every row and returns how many agree with their label, printing those that do not.
int agreeing(const std::vector<LabelledAnswer>& rows, const WordChecker& checker)
{
    int agree = 0;
    for (const LabelledAnswer& r : rows) {
        const SpellingGrade g = gradeSpelling(r.target, r.typed, &checker);
        if (g.verdict == r.verdict)
            ++agree;
        else
            ADD_FAILURE() << r.target.toStdString() << " / " << r.typed.toStdString() << ": graded "
                          << spellingVerdictName(g.verdict).toStdString();
    }
    return agree;
}

} // namespace

TEST(SpellingGrade, TheLabelledTableWithAWordListOfItsOwnWords)
{
    const std::vector<LabelledAnswer> rows = labelledTable();
    ASSERT_GE(rows.size(), 200u);
    // The English words of the table: every target, and what was typed where the label says a
    // word was typed (another word, or the other national spelling).
    QSet<QString> words;
    for (const LabelledAnswer& r : rows) {
        words.insert(r.target.toLower());
        if (r.verdict == SpellingVerdict::OtherWord || r.verdict == SpellingVerdict::Right)
            words.insert(r.typed.toLower());
    }
    const ListChecker checker(words);
    EXPECT_EQ(agreeing(rows, checker), int(rows.size()));
}

TEST(SpellingGrade, TheLabelledTableWithTheSystemHunspellDictionaries)
{
    const QStringList folders = systemHunspellFolders();
    bool present = false;
    for (const QString& f : folders)
        present = present || QFileInfo::exists(f + QStringLiteral("/en_US.aff"));
    if (!present)
        GTEST_SKIP() << "no en_US Hunspell dictionary on this machine";
    QString message;
    const std::unique_ptr<WordChecker> checker = openHunspellChecker(folders, &message);
    ASSERT_TRUE(checker) << message.toStdString();
    const std::vector<LabelledAnswer> rows = labelledTable();
    const int agree = agreeing(rows, *checker);
    EXPECT_GE(agree * 100, int(rows.size()) * 95) << agree << " of " << rows.size() << " agree";
}

TEST(SpellingGrade, DistanceAndItsAllowance)
{
    const struct { const char16_t *a, *b; int distance; } cases[] = {
        {u"receive", u"recieve", 1},   // an adjacent swap is one step
        {u"kitten", u"sitting", 3},
        {u"Apple", u"aPPLE", 0},       // ASCII case does not count
        {u"ca", u"abc", 3},            // the restricted distance: no edit inside a swapped pair
        {u"", u"abc", 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(damerauLevenshtein(c.a, c.b), c.distance) << QString::fromUtf16(c.a).toStdString();
    const std::pair<int, int> allowances[] = {{1, 1}, {4, 1}, {5, 2}, {8, 2}, {9, 3}, {20, 3}};
    for (const auto& [letters, allowed] : allowances)
        EXPECT_EQ(typoAllowance(letters), allowed) << letters;
    // The allowance follows the target's length: a 4-letter word's typo is one step away.
    const ListChecker none({});
    EXPECT_EQ(gradeSpelling(u"busy", u"bizy", &none).verdict, SpellingVerdict::Wrong);
    EXPECT_EQ(gradeSpelling(u"busy", u"buzy", &none).verdict, SpellingVerdict::Typo);
    EXPECT_EQ(gradeSpelling(u"necessary", u"nesesery", &none).verdict, SpellingVerdict::Typo);
    // A pasted page is not compared letter by letter.
    EXPECT_EQ(gradeSpelling(u"word", QString(100000, u'x'), &none).verdict, SpellingVerdict::Wrong);
}

TEST(SpellingGrade, TheDifferingLetters)
{
    const struct { const char16_t *typed, *wanted, *marked; } cases[] = {
        {u"recieve", u"receive", u"rec[ei]ve"},     // swapped
        {u"adress", u"address", u"a[d]dress"},      // missing: the first of equal places
        {u"accross", u"across", u"a[]cross"},      // one too many
        {u"seperate", u"separate", u"sep[a]rate"},  // another letter
        {u"", u"cat", u"[cat]"},
        {u"dog", u"dog", u"dog"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(markedSpelling(c.wanted, spellingEdits(c.typed, c.wanted)), QString::fromUtf16(c.marked))
            << QString::fromUtf16(c.typed).toStdString();
    const std::vector<SpellingEdit> swap = spellingEdits(u"recieve", u"receive");
    ASSERT_EQ(swap.size(), 1u);
    EXPECT_EQ(swap[0], (SpellingEdit{3, QStringLiteral("ie"), QStringLiteral("ei")}));
}

TEST(SpellingGrade, WithoutADictionaryRightOrWrongOnly)
{
    const struct { const char16_t *target, *typed; SpellingVerdict verdict; } cases[] = {
        {u"receive", u"receive", SpellingVerdict::Right},
        {u"organise", u"organize", SpellingVerdict::Right},   // the reliable rules still hold
        {u"colour", u"color", SpellingVerdict::Right},
        {u"centre", u"center", SpellingVerdict::Right},
        {u"grey", u"gray", SpellingVerdict::Right},
        {u"receive", u"recieve", SpellingVerdict::Wrong},
        {u"quiet", u"quite", SpellingVerdict::Wrong},
        {u"actor", u"actour", SpellingVerdict::Wrong},        // a rule's other direction needs a dictionary
    };
    for (const auto& c : cases) {
        const SpellingGrade g = gradeSpelling(c.target, c.typed, nullptr);
        EXPECT_EQ(g.verdict, c.verdict) << QString::fromUtf16(c.typed).toStdString();
        EXPECT_FALSE(g.checked);
    }
}

TEST(SpellingGrade, SyllablesFromPatternsAndWithout)
{
    Hyphenator plain;
    EXPECT_FALSE(plain.hasPatterns());
    EXPECT_EQ(plain.syllables(u"banana"), (QStringList{"ba", "na", "na"}));
    EXPECT_EQ(plain.syllables(u"cake"), QStringList{"cake"});   // a silent final e makes no syllable
    EXPECT_EQ(plain.syllables(u"look after"), QStringList{"look after"});

    const struct { const char* patterns; QStringList syllables; } cases[] = {
        {"UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 3\ne1c\n", {"re", "ceive"}},
        {"UTF-8\ne1c\nre2c\n", {"receive"}},                       // the higher digit wins; even: no cut
        {"UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 3\n1ve\n", {"receive"}},   // too near the end
        {"ISO8859-1\n% a comment\nNEXTLEVEL\n.r1e\n", {"receive"}},  // too near the start
    };
    for (const auto& c : cases) {
        Hyphenator h;
        EXPECT_TRUE(h.load(c.patterns));
        EXPECT_EQ(h.syllables(u"Receive").join(u'|').toLower(), c.syllables.join(u'|')) << c.patterns;
    }
    Hyphenator h;
    h.load("UTF-8\ne1c\n");
    const SpellingHints hints = spellingHints(u"receive", h);
    EXPECT_EQ(hints.firstLetter, QStringLiteral("r"));
    EXPECT_EQ(hints.syllables, (QStringList{"re", "ceive"}));
    EXPECT_EQ(hints.length, 7);
}

TEST(SpellingGrade, LexbookGradesWithTheDictionariesItIsGivenOrSaysItHasNone)
{
    lextest::TempDir t;
    // A Hunspell dictionary of four words: libhunspell itself reads it.
    t.write(QStringLiteral("en_US.aff"), "SET UTF-8\n");
    t.write(QStringLiteral("en_US.dic"), "4\nreceive\nquiet\nquite\ncolor\n");
    t.write(QStringLiteral("hyph.dic"), "UTF-8\ne1c\n");
    const struct { const char* target; const char* typed; const char* verdict; bool checked; } cases[] = {
        {"receive", "recieve", "typo", true},
        {"quiet", "quite", "other-word", true},
        {"colour", "color", "right", true},
        {"receive", "recieve", "wrong", false},
        {"quiet", "quite", "wrong", false},
    };
    for (const auto& c : cases) {
        const lextest::ToolRun r = lextest::lexbook({QStringLiteral("grade"), QString::fromUtf8(c.target), QString::fromUtf8(c.typed),
                                                     QStringLiteral("--hunspell"), c.checked ? t.path() : t.path(QStringLiteral("none")),
                                                     QStringLiteral("--hyphen"), t.path(QStringLiteral("hyph.dic"))});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        EXPECT_EQ(o.value(QStringLiteral("verdict")).toString(), QString::fromUtf8(c.verdict)) << c.typed;
        EXPECT_EQ(o.value(QStringLiteral("checked")).toBool(), c.checked) << c.typed;
        // Without the dictionaries: one line that says so.
        EXPECT_EQ(r.err.count(u'\n'), c.checked ? 0 : 1) << r.err.toStdString();
        if (QString::fromUtf8(c.target) == u"receive")
            EXPECT_EQ(o.value(QStringLiteral("hints")).toObject().value(QStringLiteral("syllables")).toVariant().toStringList(),
                      (QStringList{"re", "ceive"}));
    }
    const lextest::ToolRun bad = lextest::lexbook({QStringLiteral("grade"), QStringLiteral("one")});
    EXPECT_EQ(bad.code, 2);
}
