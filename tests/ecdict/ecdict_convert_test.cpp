// The ECDICT converter: CSV reading, field lines, phonetic conversion of each kind of input,
// the two entry forms, and which records each variant keeps.
#include "common/dictionary/ecdict_convert.h"

#include <gtest/gtest.h>

using namespace lex;
using namespace lex::ecdict;

namespace {

struct Row {
    QList<QByteArray> fields;
    qsizetype line;
    bool ok;
};

std::vector<Row> rows(QByteArrayView csv)
{
    std::vector<Row> out;
    parseCsv(csv, [&](const QList<QByteArray>& f, qsizetype line, bool ok) {
        out.push_back({f, line, ok});
        return true;
    });
    return out;
}

const QByteArray kHeader = "word,phonetic,definition,translation,pos,collins,oxford,tag,bnc,frq,exchange,detail,audio\n";

Record rec(const char* word, int frq = 0, int bnc = 0)
{
    Record r;
    r.word = QString::fromUtf8(word);
    r.translation = QStringLiteral("n. ") + r.word;
    r.frq = frq;
    r.bnc = bnc;
    return r;
}

const DictSourceEntry* find(const std::vector<DictSourceEntry>& v, const QString& key)
{
    for (const DictSourceEntry& e : v)
        if (e.key == key)
            return &e;
    return nullptr;
}

} // namespace

TEST(EcdictCsv, QuotedFieldsCarryCommasQuotesAndLineBreaks)
{
    const auto r = rows("\xEF\xBB\xBF"
                        "a,\"b, c\",\"say \"\"hi\"\"\"\r\n"
                        "x,\"two\nlines\",\r\n"
                        "\n"
                        "last,\"\",end");
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].fields, (QList<QByteArray>{"a", "b, c", "say \"hi\""}));
    EXPECT_EQ(r[1].fields, (QList<QByteArray>{"x", "two\nlines", ""}));
    EXPECT_EQ(r[1].line, 2);
    EXPECT_EQ(r[2].fields, QList<QByteArray>{""}); // the blank line
    EXPECT_EQ(r[2].line, 4);
    EXPECT_EQ(r[3].fields, (QList<QByteArray>{"last", "", "end"}));
    for (const Row& row : r)
        EXPECT_TRUE(row.ok);
}

TEST(EcdictCsv, MalformedRecordsAreFlagged)
{
    auto r = rows("a,\"b\"junk,c\nd,e,f\n");
    ASSERT_EQ(r.size(), 2u);
    EXPECT_FALSE(r[0].ok);
    EXPECT_EQ(r[0].fields[1], "bjunk");
    EXPECT_TRUE(r[1].ok);
    r = rows("a,\"never closed\nb,c\n");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_FALSE(r[0].ok);
}

TEST(EcdictCsv, ReadsColumnsByNameAndLeavesOutBadRecords)
{
    ReadResult rr;
    const QByteArray csv = "frq,word,translation,phonetic\n"
                           "12,abandon,\"vt. 放弃, 抛弃\\nn. 放任\",ә'bændәn\n"
                           "1,short\n"
                           "x,\"open\n";
    ASSERT_TRUE(readCsv(csv, &rr));
    ASSERT_EQ(rr.records.size(), 1u);
    EXPECT_EQ(rr.records[0].word, QStringLiteral("abandon"));
    EXPECT_EQ(rr.records[0].frq, 12);
    EXPECT_EQ(rr.records[0].phonetic, QStringLiteral("ә'bændәn"));
    EXPECT_EQ(rr.badLines, (QList<qsizetype>{3, 4}));

    EXPECT_FALSE(readCsv("name,phonetic\nx,y\n", &rr));
    EXPECT_FALSE(readCsv(kHeader + "bad\xFF,,,,,,,,,,,,\n", &rr));
}

TEST(EcdictFields, EscapedLineBreaksAndBackslashes)
{
    EXPECT_EQ(fieldLines(u"vt. 放弃\\nn. 放任"), (QStringList{QStringLiteral("vt. 放弃"), QStringLiteral("n. 放任")}));
    EXPECT_EQ(fieldLines(u"one\\r\\ntwo\\rthree"), (QStringList{u"one"_qs, u"two"_qs, u"three"_qs}));
    EXPECT_EQ(fieldLines(u"a\\\\nb"), QStringList{u"a\\nb"_qs}); // an escaped backslash, then a plain n
    EXPECT_EQ(fieldLines(u"  padded \\n\\n\n\tx\u200B\\n"), (QStringList{u"padded"_qs, u"x"_qs}));
    EXPECT_TRUE(fieldLines(u"").isEmpty());
}

TEST(EcdictPhonetic, Ipa)
{
    PhoneticResult p = convertPhonetic(u"ˈæbsənt");
    EXPECT_EQ(p.codes, u"5AbsEnt"_qs);
    EXPECT_EQ(p.kinds, unsigned(kIpa));
    EXPECT_TRUE(p.clean());
    EXPECT_EQ(convertPhonetic(u"ˌæ kəˈpelə").codes, u"7A kE5pelE"_qs);
    EXPECT_EQ(convertPhonetic(u"ˈɪŋɡlɪʃ").codes, u"5IN^lIF"_qs);
    EXPECT_EQ(convertPhonetic(u"θɜːð ʒʊʌ ɛɚɝ").codes, u"W\\:T VJQ ZL["_qs);
    EXPECT_EQ(convertPhonetic(u"a\u0303 ɔ\u0303 ɛ\u0303 ʧʤ").codes, u"D S Y tFdV"_qs); // nasals, ligatures

    p = convertPhonetic(u"əˈbɒt");
    EXPECT_EQ(p.codes, u"E5bCt"_qs); // ɒ has no code: written ɔ
    EXPECT_EQ(p.approximated, u"ɒ"_qs);
    EXPECT_FALSE(p.clean());
}

TEST(EcdictPhonetic, OldFontCodes)
{
    PhoneticResult p = convertPhonetic(u"'ɔ:lbɔ:^");
    EXPECT_EQ(p.codes, u"5C:lbC:^"_qs);
    EXPECT_TRUE(p.kinds & kOldCodes);
    EXPECT_TRUE(p.clean());
    // The font's ɜ, doubled twice over in some copies of the data.
    EXPECT_EQ(convertPhonetic(u"әbajt't\\\\\\\\:n").codes, u"EbaJt5t\\:n"_qs);
    // 'j' is the font's ʊ after a vowel or before a consonant, and the IPA j before a vowel.
    EXPECT_EQ(convertPhonetic(u"ɑ: lɑ: 'mәjd").codes, u"B: lB: 5mEJd"_qs);
    EXPECT_EQ(convertPhonetic(u"ә'bju:s").codes, u"E5bju:s"_qs);
    EXPECT_EQ(convertPhonetic(u"æb'sɔljjtәri").codes, u"Ab5sCljJtEri"_qs);
    EXPECT_EQ(convertPhonetic(u"'bæ^,wjmәn").codes, u"5bA^7wJmEn"_qs);
    // Without any old-data sign a 'j' is the IPA j.
    EXPECT_EQ(convertPhonetic(u"ˈkɒmjt").codes, u"5kCmjt"_qs);
}

TEST(EcdictPhonetic, LookAlikeLetters)
{
    PhoneticResult p = convertPhonetic(u"ә'bændәn");
    EXPECT_EQ(p.codes, u"E5bAndEn"_qs);
    EXPECT_EQ(p.kinds, unsigned(kIpa | kLookAlike | kAsciiStress)); // æ is IPA, ә its look-alike
    EXPECT_TRUE(p.clean());
    EXPECT_EQ(convertPhonetic(u".eibi:si:'dєәriәn").codes, u"7eibi:si:5dZEriEn"_qs);
    EXPECT_EQ(convertPhonetic(u"'tεəriən").codes, u"5tZEriEn"_qs);   // Greek epsilon
    EXPECT_EQ(convertPhonetic(u"ˊæbәtsi").codes, u"5AbEtsi"_qs);     // a tone mark typed for stress
}

TEST(EcdictPhonetic, AsciiStressAndSeparators)
{
    PhoneticResult p = convertPhonetic(u",skrɑ:vən'hɑ:ɡə");
    EXPECT_EQ(p.codes, u"7skrB:vEn5hB:^E"_qs);
    EXPECT_TRUE(p.kinds & kAsciiStress);
    // ',' and '.' are stress marks before a symbol and separators elsewhere.
    EXPECT_EQ(convertPhonetic(u"blɑ:st, blæstik").codes, u"blB:st, blAstik"_qs);
    EXPECT_EQ(convertPhonetic(u"'ɑ:ftә.mɑ:kit. 'æf-").codes, u"5B:ftE7mB:kit. 5Af-"_qs);
    EXPECT_EQ(convertPhonetic(u"ə'kju:liət,-eitid").codes, u"E5kju:liEt,-eitid"_qs);
    EXPECT_EQ(convertPhonetic(u"lɪvd (for v.); 'laɪvd").codes, u"lIvd (for v.); 5laIvd"_qs);
}

TEST(EcdictPhonetic, VariantMarkersDelimitersAndDroppedCharacters)
{
    PhoneticResult p = convertPhonetic(u"bɔnɔ'mi:; (?@) bɔnә'mi:");
    EXPECT_EQ(p.codes, u"bCnC5mi:; bCnE5mi:"_qs);
    EXPECT_TRUE(p.kinds & kVariantMarker);
    EXPECT_TRUE(p.clean());

    p = convertPhonetic(u"/'klæsis/");
    EXPECT_EQ(p.codes, u"5klAsis"_qs);
    EXPECT_TRUE(p.clean());

    // Chinese labels, capitals and digits (both would read as the font's symbols) are dropped.
    p = convertPhonetic(u"英 [bəˈru:k] 美 [ˈbɛrək]");
    EXPECT_EQ(p.codes, u"bE5ru:k 5bZrEk"_qs);
    EXPECT_EQ(p.dropped, u"英美"_qs);
    p = convertPhonetic(u"inst Gas ә 7");
    EXPECT_EQ(p.codes, u"inst as E"_qs);
    EXPECT_EQ(p.dropped, u"G7"_qs);
    p = convertPhonetic(u"bəu'téiɡə\uE143（z）");
    EXPECT_EQ(p.codes, u"bEu5tei^E(z)"_qs);
    EXPECT_EQ(p.approximated, u"é"_qs);
    EXPECT_EQ(p.dropped, u"\uE143"_qs);

    p = convertPhonetic(u"意大利语");
    EXPECT_TRUE(p.codes.isEmpty());
    EXPECT_EQ(convertPhonetic(u"\u00A0 , kæt ;").codes, u"kAt"_qs);
}

TEST(EcdictEntries, MainEntryTakesTranslationLinesOrElseDefinitions)
{
    Record r = rec("abandon");
    r.translation = QStringLiteral("vt. 放弃, 抛弃\\nn. 放任");
    r.definition = QStringLiteral("v. forsake");
    DictSourceEntry e = mainEntry(r, u"E5bAndEn"_qs);
    EXPECT_EQ(e.key, u"abandon"_qs);
    EXPECT_EQ(e.phonetic, u"E5bAndEn"_qs);
    EXPECT_EQ(e.explanation, (QStringList{QStringLiteral("vt. 放弃, 抛弃"), QStringLiteral("n. 放任")}));
    r.translation.clear();
    EXPECT_EQ(mainEntry(r, {}).explanation, QStringList{u"v. forsake"_qs});
}

TEST(EcdictEntries, CompanionTextCarriesEverySectionInItsMarker)
{
    Record r = rec("abandon");
    r.translation = QStringLiteral("vt. 放弃\\nn. 放任");
    r.definition = QStringLiteral("v. forsake\\nv. say `no'");
    r.exchange = QStringLiteral("d:abandoned/p:abandoned/i:abandoning/3:abandons/x:odd/bad");
    r.tag = QStringLiteral("gk cet4 gre new");
    r.collins = 3;
    r.oxford = 1;
    EXPECT_EQ(companionText(r, u"E5bAndEn"_qs),
              QStringLiteral("`1`abandon`4`/E5bAndEn/`8`vt. 放弃`8`n. 放任"
                             "`7`词形变化`13`过去式：abandoned`13`过去分词：abandoned`13`现在分词：abandoning"
                             "`13`第三人称单数：abandons"
                             "`7`英文释义`9`v. forsake`9`v. say ‘no'"
                             "`14`考试：高考 / 四级 / GRE / new"
                             "`6`柯林斯★★★　牛津3000核心词"));
    // Only what is there.
    EXPECT_EQ(companionText(rec("cat"), {}), QStringLiteral("`1`cat`8`n. cat"));
}

TEST(EcdictConvert, MainKeepsEverySpellingAndLeavesOutBadKeys)
{
    std::vector<Record> in = {rec("China", 2000), rec("china", 9000), rec("CHINA"), rec("china"),
                              rec("naïve"),        // ï is not in code page 936
                              rec("café"),         // é is
                              rec(""), rec("trailing "), rec("tab\tin"),
                              rec(QByteArray(127, 'k').constData()), rec(QByteArray(128, 'l').constData()),
                              rec(QString(64, QChar(0x4E2D)).toUtf8().constData()) /* 128 bytes in code page 936 */};
    Record empty = rec("empty");
    empty.translation.clear();
    in.push_back(empty);
    ConvertStats st;
    const auto out = convert(in, DictVariant::Main, &st);
    EXPECT_EQ(st.records, 13);
    EXPECT_EQ(st.notInCodePage, 1);
    EXPECT_EQ(st.keyTooLong, 2);
    EXPECT_EQ(st.badKey, 3);
    EXPECT_EQ(st.exactDuplicates, 1);
    EXPECT_EQ(st.noText, 1);
    EXPECT_EQ(st.out, 5);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_TRUE(find(out, u"China"_qs) && find(out, u"china"_qs) && find(out, u"CHINA"_qs));
    EXPECT_TRUE(find(out, u"café"_qs) && find(out, QString(127, u'k')));
}

TEST(EcdictConvert, CompanionKeepsTheMostFrequentThenTheLowerCaseSpelling)
{
    std::vector<Record> in = {rec("China", 2000), rec("china", 9000), rec("CHINA"), // ranked: China
                              rec("Polish"), rec("polish"), rec("POLISH"),          // no ranks: polish
                              rec("May", 0, 50), rec("may", 0, 80),                 // bnc decides: May
                              rec("US"), rec("Us"),                                  // neither lower-case: the first
                              rec("dup"), rec("dup")};
    in[1].phonetic = QStringLiteral("'tʃainә");
    ConvertStats st;
    const auto out = convert(in, DictVariant::Companion, &st);
    EXPECT_EQ(st.caseDuplicates, 6);
    EXPECT_EQ(st.exactDuplicates, 1);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_TRUE(find(out, u"China"_qs));
    EXPECT_TRUE(find(out, u"polish"_qs));
    EXPECT_TRUE(find(out, u"May"_qs));
    EXPECT_TRUE(find(out, u"US"_qs));
    EXPECT_EQ(find(out, u"China"_qs)->text, u"`1`China`8`n. China"_qs);
    for (const DictSourceEntry& e : out)
        EXPECT_TRUE(e.explanation.isEmpty() && e.phonetic.isEmpty()) << "companion entries carry only their text";

    // Phonetic figures cover every record, written or not.
    EXPECT_EQ(st.withPhonetic, 1);
    EXPECT_EQ(st.phoneticClean, 1);
    EXPECT_EQ(st.kinds[2], 1); // look-alike letters
}
