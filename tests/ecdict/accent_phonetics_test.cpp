// Both accents' IPA: the CMU dictionary's ARPAbet converted, ECDICT's British form made standard,
// the block that keeps both after the index, and lexbook dict-ecdict --cmu with lexbook ipa.

#include "common/dictionary/ecdict_convert.h"
#include "common/dictionary/index_blocks.h"
#include "common/dictionary/us_phonetics.h"
#include "temp_dir.h"
#include "tool_run.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace lex;

namespace {

QString usOf(const char* festivalLine)
{
    QString word;
    std::vector<CmuSyllable> syllables;
    EXPECT_TRUE(parseFestivalCmuLine(QString::fromLatin1(festivalLine), &word, &syllables)) << festivalLine;
    return arpabetToIpa(syllables);
}

} // namespace

TEST(AccentPhonetics, ArpabetToIpa)
{
    const struct { const char* line; const char16_t* ipa; } cases[] = {
        {R"(("tomato" nil (((t ax) 0) ((m ey) 1) ((t ow) 1))))", u"təˈmeɪˌtoʊ"},   // a later 1 is secondary
        {R"(("car" nil (((k aa r) 1))))", u"kɑr"},                                 // one syllable: no mark
        {R"(("water" nil (((w ao) 1) ((t er) 0))))", u"ˈwɔtɚ"},                     // r-coloured, unstressed
        {R"(("teacher" nil (((t iy) 1) ((ch er) 0))))", u"ˈtitʃɚ"},
        {R"(("bird" nil (((b er d) 1))))", u"bɝd"},                                // r-coloured, stressed
        {R"(("button" nil (((b ah) 1) ((t ax n) 0))))", u"ˈbʌtn̩"},                 // syllabic n after t
        {R"(("little" nil (((l ih) 1) ((t ax l) 0))))", u"ˈlɪtl̩"},                 // syllabic l
        {R"(("rhythm" nil (((r ih) 1) ((dh ax m) 0))))", u"ˈrɪðm̩"},                // syllabic m
        {R"(("common" nil (((k aa) 1) ((m ax n) 0))))", u"ˈkɑmən"},                 // no syllabic n after m
        {R"(("about" nil (((ax) 0) ((b aw t) 1))))", u"əˈbaʊt"},
        {R"(("judge" nil (((jh ah jh) 1))))", u"dʒʌdʒ"},
        {R"(("thing" nil (((th ih ng) 1))))", u"θɪŋ"},
        {R"(("measure" nil (((m eh) 1) ((zh er) 0))))", u"ˈmɛʒɚ"},
        {R"(("yellow" nil (((y eh) 1) ((l ow) 0))))", u"ˈjɛloʊ"},
        {R"(("go" nil (((g ow) 1))))", u"ɡoʊ"},
        {R"(("boy" nil (((b oy) 1))))", u"bɔɪ"},
        {R"(("shoe" nil (((sh uw) 1))))", u"ʃu"},
        {R"(("put" nil (((p uh t) 1))))", u"pʊt"},
        {R"(("the" dt (((dh ax) 0))))", u"ðə"},
        {R"(("hat" nil (((hh ae t) 1))))", u"hæt"},
        {R"(("fly" nil (((f l ay) 1))))", u"flaɪ"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(usOf(c.line), QString::fromUtf16(c.ipa)) << c.line;

    // The plain edition: stress digits on the vowels, the syllables made by the legal onsets.
    const struct { const char* line; const char* word; const char16_t* ipa; } plain[] = {
        {"TOMATO  T AH0 M EY1 T OW2", "tomato", u"təˈmeɪˌtoʊ"},
        {"UNDERSTAND  AH2 N D ER0 S T AE1 N D", "understand", u"ˌʌndɚˈstænd"},
        {"READ(1)  R EH1 D", "read", u"rɛd"},
        {"EXTRA  EH1 K S T R AH0", "extra", u"ˈɛkstrə"},
        {"BUTTON  B AH1 T AH0 N", "button", u"ˈbʌtn̩"},
    };
    for (const auto& c : plain) {
        QString word;
        std::vector<CmuSyllable> syllables;
        ASSERT_TRUE(parsePlainCmuLine(QString::fromLatin1(c.line), &word, &syllables)) << c.line;
        EXPECT_EQ(word, QString::fromLatin1(c.word));
        EXPECT_EQ(arpabetToIpa(syllables), QString::fromUtf16(c.ipa)) << c.line;
    }
    QString word;
    std::vector<CmuSyllable> syllables;
    EXPECT_FALSE(parsePlainCmuLine(u";;; a comment", &word, &syllables));
    EXPECT_FALSE(parseFestivalCmuLine(u"MNCL", &word, &syllables));
}

TEST(AccentPhonetics, EcdictsBritishFormMadeStandard)
{
    using namespace lex::ecdict;
    const struct { const char16_t* field; QStringList variants; unsigned mends; } cases[] = {
        {u"'æpl", {"ˈæpl"}, kMendAsciiStress},
        {u"ˈæpl", {"ˈæpl"}, 0},
        {u"kɑ:", {"kɑː"}, kMendColon},
        {u"'wɔ:tә", {"ˈwɔːtə"}, kMendAsciiStress | kMendColon | kMendLookAlike},
        {u"dæns. dɑ:ns", {"dæns", "dɑːns"}, kMendRunTogether | kMendColon},
        {u"'ei,bɔm", {"ˈeɪˌbɔm"}, kMendAsciiStress | kMendOldDiphthong},
        {u"tә'mɑ:tәu", {"təˈmɑːtəʊ"}, kMendLookAlike | kMendAsciiStress | kMendColon | kMendOldDiphthong},
        {u"rai, ɔil, haus", {"raɪ", "ɔɪl", "haʊs"}, kMendOldDiphthong},
        {u"ri'i:d", {"riˈiːd"}, kMendAsciiStress | kMendColon},   // a long second vowel is a syllable of its own
        {u"təˈmɑːtəʊ; təˈmeɪtoʊ", {"təˈmɑːtəʊ", "təˈmeɪtoʊ"}, 0},
        {u"'wɔtɚ, 'wɔ:tə", {"ˈwɔːtə", "ˈwɔtɚ"}, kMendAsciiStress | kMendColon | kMendAmericanFirst},
        {u"kɑr; kɑ:", {"kɑː", "kɑr"}, kMendColon | kMendAmericanFirst},
        {u"'ɑ:ftә.mɑ:kit. 'æf-", {"ˈɑːftəˌmɑːkit", "ˈæf-"}, kMendAsciiStress | kMendColon | kMendLookAlike | kMendRunTogether},
        {u"'ei'rәjd", {"ˈeɪˈrəʊd"}, kMendAsciiStress | kMendLookAlike | kMendOldCodes | kMendOldDiphthong},
        {u"^ud", {"ɡud"}, kMendOldCodes},
        {u"gud", {"ɡud"}, kMendAsciiG},
        {u"ˈɒnə(r)d", {"ˈɒnə(r)d"}, 0},                     // the optional r of British dictionaries
        {u"", {}, 0},
    };
    for (const auto& c : cases) {
        const UkIpa r = standardUkIpa(c.field);
        EXPECT_EQ(r.variants, c.variants) << QString::fromUtf16(c.field).toStdString();
        EXPECT_EQ(r.mends, c.mends) << QString::fromUtf16(c.field).toStdString();
    }
}

TEST(AccentPhonetics, TheBlockKeepsBothAccentsAndAReaderSurvivesDamage)
{
    QMap<QString, AccentIpa> words;
    words.insert(QStringLiteral("tomato"), {QStringLiteral("təˈmɑːtəʊ"), QStringLiteral("təˈmeɪˌtoʊ")});
    words.insert(QStringLiteral("Car"), {QStringLiteral("kɑː"), QStringLiteral("kɑr")});
    words.insert(QStringLiteral("café"), {QStringLiteral("ˈkæfeɪ"), QString()});
    words.insert(QStringLiteral("none"), {});
    QByteArray index("the index itself");
    appendIndexBlock(&index, "LXUS", buildPhoneticBlock(words));
    AccentPhonetics p;
    p.openMemory(index);
    EXPECT_EQ(p.size(), 3);
    EXPECT_EQ(p.find(u"TOMATO", Accent::US), QStringLiteral("təˈmeɪˌtoʊ"));
    EXPECT_EQ(p.find(u"tomato", Accent::UK), QStringLiteral("təˈmɑːtəʊ"));
    EXPECT_EQ(p.find(u"car", Accent::US), QStringLiteral("kɑr"));
    EXPECT_EQ(p.find(u"café", Accent::UK), QStringLiteral("ˈkæfeɪ"));
    EXPECT_EQ(p.find(u"café", Accent::US), QString());
    EXPECT_EQ(p.find(u"none", Accent::UK), QString());
    EXPECT_EQ(p.find(u"zebra", Accent::UK), QString());

    // Cut anywhere or of another version: no crash, and nothing found or no block at all.
    const QByteArray block = buildPhoneticBlock(words);
    for (qsizetype cut = 0; cut < block.size(); ++cut) {
        QByteArray damaged("x");
        appendIndexBlock(&damaged, "LXUS", block.left(cut));
        AccentPhonetics d;
        d.openMemory(damaged);
        const QString found = d.find(u"tomato", Accent::US);
        EXPECT_TRUE(found.isEmpty() || found == QStringLiteral("təˈmeɪˌtoʊ")) << cut;
    }
    QByteArray newer = block;
    newer[4] = 2;
    QByteArray other("x");
    appendIndexBlock(&other, "LXUS", newer);
    AccentPhonetics v2;
    v2.openMemory(other);
    EXPECT_EQ(v2.size(), 0) << "an unknown version is ignored like no block";
}

TEST(AccentPhonetics, LexbookBuildsTheBlockAndPrintsEitherAccent)
{
    lextest::TempDir t;
    t.write(QStringLiteral("ecdict.csv"),
            "word,phonetic,definition,translation,pos,collins,oxford,tag,bnc,frq,exchange,detail,audio\n"
            "tomato,tә'mɑ:tәu,n. fruit,n. 西红柿,,0,1,,1,1,,,\n"
            "car,kɑ:,n. vehicle,n. 汽车,,0,1,,1,1,,,\n"
            "teacher,'ti:tʃә,n. one who teaches,n. 教师,,0,1,,1,1,,,\n"
            "zebra,'zi:brә,n. animal,n. 斑马,,0,1,,1,1,,,\n"
            "centre,'sentә,n. middle,n. 中心,,0,1,,1,1,,,\n"
            "father-in-law,'fɑ:ðәrinlɔ:,n. spouse's father,n. 岳父,,0,1,,1,1,,,\n");
    t.write(QStringLiteral("cmu.out"),
            "MNCL\n"
            "(\"car\" nil (((k aa r) 1)))\n"
            "(\"center\" nil (((s eh n) 1) ((t er) 0)))\n"
            "(\"father\" nil (((f aa) 1) ((dh er) 0)))\n"
            "(\"in\" nil (((ih n) 0)))\n"
            "(\"law\" nil (((l ao) 1)))\n"
            "(\"teacher\" nil (((t iy) 1) ((ch er) 0)))\n"
            "(\"tomato\" nil (((t ax) 0) ((m ey) 1) ((t ow) 1)))\n");
    lextest::ToolRun r = lextest::lexbook({QStringLiteral("dict-ecdict"), t.path(QStringLiteral("ecdict.csv")),
                                           t.path(QStringLiteral("Dict")), QStringLiteral("--cmu"), t.path(QStringLiteral("cmu.out"))});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("both accents: 6 headwords, British IPA for 6, American for 5"))) << r.out.toStdString();
    const struct { const char* word; const char* accent; int code; const char16_t* ipa; } cases[] = {
        {"tomato", "uk", 0, u"təˈmɑːtəʊ"}, {"tomato", "us", 0, u"təˈmeɪˌtoʊ"},
        {"car", "uk", 0, u"kɑː"},          {"car", "us", 0, u"kɑr"},
        {"teacher", "uk", 0, u"ˈtiːtʃə"},  {"teacher", "us", 0, u"ˈtitʃɚ"},
        {"zebra", "us", 1, u""},           {"absent", "uk", 1, u""},
        {"centre", "us", 0, u"ˈsɛntɚ"},                      // by its American spelling
        {"father-in-law", "us", 0, u"ˈfɑðɚ ɪn lɔ"},          // by its parts
    };
    for (const auto& c : cases) {
        r = lextest::lexbook({QStringLiteral("ipa"), QString::fromLatin1(c.word), QStringLiteral("--accent"),
                              QString::fromLatin1(c.accent), QStringLiteral("--dict"), t.path(QStringLiteral("Dict"))});
        EXPECT_EQ(r.code, c.code) << c.word << ' ' << c.accent << r.err.toStdString();
        EXPECT_EQ(r.out.trimmed(), QString::fromUtf16(c.ipa)) << c.word << ' ' << c.accent;
    }
    // A dictionary built without the CMU file has no block: exit 1 with a reason.
    r = lextest::lexbook({QStringLiteral("dict-ecdict"), t.path(QStringLiteral("ecdict.csv")), t.path(QStringLiteral("Plain"))});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = lextest::lexbook({QStringLiteral("ipa"), QStringLiteral("car"), QStringLiteral("--dict"), t.path(QStringLiteral("Plain"))});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("dict-ecdict --cmu")));
}

TEST(AccentPhonetics, TheSystemCmuDictionaryCoversTheWordsThatShow)
{
    const QString file = QStringLiteral("/usr/share/festival/dicts/cmu/cmudict-0.4.out");
    if (!QFileInfo::exists(file))
        GTEST_SKIP() << "festlex-cmu is not installed";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QMap<QString, QStringList> us = readCmuDictionary(f.readAll());
    EXPECT_GT(us.size(), 100000);
    // Rhotic only in the American form; tomato's vowel differs from the British təˈmɑːtəʊ.
    EXPECT_EQ(us.value(QStringLiteral("car")).value(0), QStringLiteral("kɑr"));
    EXPECT_EQ(us.value(QStringLiteral("water")).value(0), QStringLiteral("ˈwɔtɚ"));
    EXPECT_EQ(us.value(QStringLiteral("teacher")).value(0), QStringLiteral("ˈtitʃɚ"));
    EXPECT_EQ(us.value(QStringLiteral("tomato")).value(0), QStringLiteral("təˈmeɪˌtoʊ"));
}

TEST(AccentPhonetics, TheAccentDecidesThePhoneticAddFillsIn)
{
    const struct { const char16_t *ipa, *codes; } codes[] = {
        {u"ˈwɔtɚ", u"5wCtL"},       // ɚ has its code
        {u"bɝd", u"b[d"},
        {u"ˈbʌtn̩", u"5bQtn"},       // the syllabic mark has none: left out
        {u"təˈmeɪˌtoʊ", u"tE5meI7toJ"},
        {u"ɡoʊ", u"^oJ"},
        {u"ˈbʌɾɚ", u"5bQtL"},       // a flap is written t
    };
    for (const auto& c : codes)
        EXPECT_EQ(phoneticCodesFromIpa(c.ipa), QString::fromUtf16(c.codes)) << QString::fromUtf16(c.ipa).toStdString();

    QMap<QString, AccentIpa> words;
    words.insert(QStringLiteral("water"), {QStringLiteral("ˈwɔːtə"), QStringLiteral("ˈwɔtɚ; ˈwɑtɚ")});
    QByteArray index("idx");
    appendIndexBlock(&index, "LXUS", buildPhoneticBlock(words));
    AccentPhonetics block;
    block.openMemory(index);
    const QString own = QStringLiteral("5wC:tE");   // the dictionary's British phonetic, in codes
    EXPECT_EQ(phoneticToFill(Accent::UK, own, block, u"water"), own);
    EXPECT_EQ(phoneticToFill(Accent::US, own, block, u"Water"), QStringLiteral("5wCtL"));   // the first American form
    EXPECT_EQ(phoneticToFill(Accent::US, own, block, u"apple"), own) << "no American form: the dictionary's own";
    EXPECT_EQ(phoneticToFill(Accent::US, own, AccentPhonetics(), u"water"), own) << "no block at all";
    EXPECT_EQ(accentFromSetting(u"us"), Accent::US);
    EXPECT_EQ(accentFromSetting(u""), Accent::UK);
    EXPECT_EQ(accentFromSetting(accentSetting(Accent::US)), Accent::US);
}
