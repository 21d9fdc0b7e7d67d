#include "lexora/exchange/text_format.h"

#include "common/platform/sources.h"
#include "lexora/book/book.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <map>

using lex::Book;
using lex::ImportSettings;
using lex::TextEncoding;
using lex::WordEntry;

namespace {

const QString CRLF = QStringLiteral("\r\n");

// A small dictionary that records what it was asked.
struct FakeDict {
    std::map<QString, std::pair<QString, QString>> words{
        {QStringLiteral("English"), {QStringLiteral("adj.英文的"), QStringLiteral("5iN^liF")}},
        {QStringLiteral("Chinese"), {QStringLiteral("adj.中国的"), QStringLiteral("5tFai5ni:z")}},
        {QStringLiteral("go"), {QStringLiteral("v.去"), QStringLiteral("^Eu")}},
    };
    QStringList asked;
    lex::LookUpFn fn()
    {
        return [this](QStringView w, QString& e, QString& p) {
            asked << w.toString();
            auto it = words.find(w.toString());
            if (it == words.end()) {
                // Leave rubbish behind: a failed look-up must not leak into the entry.
                e = QStringLiteral("junk");
                p = QStringLiteral("junk");
                return false;
            }
            e = it->second.first;
            p = it->second.second;
            return true;
        };
    }
};

struct Fixture : ::testing::Test {
    Book book;
    FakeDict dict;
    lex::FixedClock clock{QDateTime(QDate(2024, 3, 5), QTime(9, 7))};

    lex::ImportResult run(const QString& text, int style, uint8_t r = 10, uint8_t s = 10, uint8_t l = 10)
    {
        ImportSettings st;
        st.style = style;
        st.recognition = r;
        st.spelling = s;
        st.listening = l;
        st.lookUp = dict.fn();
        return lex::importWordList(book, text, st, clock);
    }
    const WordEntry& at(int row) const { return *book.view().at(size_t(row)); }
    QStringList words() const
    {
        QStringList w;
        for (const WordEntry* e : book.view())
            w << e->word().toString();
        return w;
    }
};

using ExchangeStyle1 = Fixture;
using ExchangeStyle2 = Fixture;
using ExchangeStyle3 = Fixture;
using ExchangeImport = Fixture;
using ExchangeExport = Fixture;

} // namespace

TEST_F(ExchangeStyle1, PartOfSpeechStaysInTheWordUnlessATabSeparatesIt)
{
    EXPECT_EQ(run(QStringLiteral("go vi.离去") + CRLF + QStringLiteral("go\tvi.离去"), 1).added, 2);
    EXPECT_EQ(at(0).word(), u"go vi.");
    EXPECT_EQ(at(0).explanation(), u"离去");
    EXPECT_EQ(at(0).phonetic(), u""); // "go vi." is not in the dictionary
    EXPECT_EQ(at(1).word(), u"go");
    EXPECT_EQ(at(1).explanation(), u"vi.离去"); // the given explanation wins
    EXPECT_EQ(at(1).phonetic(), u"^Eu");      // the phonetic is always the dictionary's
}

TEST_F(ExchangeStyle1, DialogSamplesAndDictionaryFill)
{
    const QString text = QStringLiteral("English") + CRLF + QStringLiteral("Chinese中国的//注释行1//注释行2") + CRLF +
                         QStringLiteral("Russian俄国人, 俄语") + CRLF + QStringLiteral("Unknown");
    EXPECT_EQ(run(text, 1).added, 4);
    EXPECT_EQ(at(0).explanation(), u"adj.英文的");
    EXPECT_EQ(at(0).phonetic(), u"5iN^liF");
    EXPECT_EQ(at(1).word(), u"Chinese");
    EXPECT_EQ(at(1).explanation(), u"中国的");
    EXPECT_EQ(at(1).comment(), u"注释行1\r\n注释行2");
    EXPECT_EQ(at(1).commentFirstLine(), 4);
    EXPECT_EQ(at(2).word(), u"Russian");
    EXPECT_EQ(at(2).explanation(), u"俄国人, 俄语");
    // Not in the dictionary: added with both fields empty, not with what the look-up left behind.
    EXPECT_EQ(at(3).word(), u"Unknown");
    EXPECT_EQ(at(3).explanation(), u"");
    EXPECT_EQ(at(3).phonetic(), u"");
}

TEST_F(ExchangeStyle1, LinesCharactersAndTrimming)
{
    // Lines without a word, an empty last line, a lone LF or CR inside a line.
    const QString text = QStringLiteral("中文") + CRLF + CRLF + QStringLiteral("take off, ") + CRLF +
                         QStringLiteral("café") + CRLF + QStringLiteral("a//b") + CRLF + QStringLiteral("c\t//note") + CRLF;
    EXPECT_EQ(run(text, 1).added, 4);
    EXPECT_EQ(words(), (QStringList{"take off", "caf", "a//b", "c"}));
    EXPECT_EQ(at(1).explanation(), u"é"); // accented letters switch to the explanation
    EXPECT_EQ(at(3).comment(), u"note");
    EXPECT_EQ(at(3).explanation(), u""); // "c" is not in the dictionary
    // The word is looked up as read; AddEntry trims it afterwards.
    EXPECT_TRUE(dict.asked.contains(QStringLiteral("take off, ")));

    book.clear();
    EXPECT_EQ(run(QStringLiteral("one\ntwo\nthree"), 1).added, 1);
    EXPECT_EQ(at(0).word(), u"one\ntwo\nthree");
    book.clear();
    EXPECT_EQ(run(QStringLiteral("one\rtwo\r"), 1).added, 1);
    EXPECT_EQ(at(0).word(), u"one\rtwo\r");
}

TEST_F(ExchangeStyle2, PairsAndTheirEdges)
{
    const QString text = QStringLiteral("English") + CRLF + QStringLiteral("adj.英国人//注释行1//注释行2") + CRLF +
                         QStringLiteral("Chinese") + CRLF + QStringLiteral("\tadj.中国的") + CRLF + QStringLiteral("go");
    EXPECT_EQ(run(text, 2).added, 2); // the trailing word line is not imported
    EXPECT_EQ(at(0).explanation(), u"adj.英国人");
    EXPECT_EQ(at(0).comment(), u"注释行1\r\n注释行2");
    EXPECT_EQ(at(0).phonetic(), u"5iN^liF");
    EXPECT_EQ(at(1).explanation(), u"\tadj.中国的"); // no TAB removal in style 2
    EXPECT_FALSE(dict.asked.contains(QStringLiteral("go")));

    // An empty explanation line takes the dictionary's; an empty word line shifts the pairing.
    book.clear();
    const QString shifted = QStringLiteral("go") + CRLF + CRLF + CRLF + QStringLiteral("English") + CRLF +
                            QStringLiteral("英语") + CRLF + QStringLiteral("Chinese") + CRLF + QStringLiteral("中文");
    const lex::ImportResult r = run(shifted, 2);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(r.rejected, 1);
    EXPECT_EQ(words(), (QStringList{"go", "英语"}));
    EXPECT_EQ(at(0).explanation(), u"v.去");
    EXPECT_EQ(at(1).explanation(), u"Chinese");

    // LF line ends: one long word line, no pair.
    book.clear();
    EXPECT_EQ(run(QStringLiteral("English\nadj.英文的\n"), 2).added, 0);
    // End of text ends an explanation line.
    EXPECT_EQ(run(QStringLiteral("English") + CRLF + QStringLiteral("英语"), 2).added, 1);
}

TEST_F(ExchangeStyle3, DialogSample)
{
    const QString text = QStringLiteral("+English\r\n\\adj.英文的, 英国人的, 英格兰的\r\n\\n.英国人, 英语\r\n&5iN^liF\r\n"
                                        "@类名\r\n//注释第一行\r\n//注释第二行\r\n");
    EXPECT_EQ(run(text, 3).added, 1);
    EXPECT_EQ(at(0).word(), u"English");
    EXPECT_EQ(at(0).explanation(), u"adj.英文的, 英国人的, 英格兰的\r\nn.英国人, 英语");
    EXPECT_EQ(at(0).phonetic(), u"5iN^liF");
    EXPECT_EQ(at(0).className(), u"类名");
    EXPECT_EQ(at(0).comment(), u"注释第一行\r\n注释第二行");
    EXPECT_TRUE(dict.asked.isEmpty()); // explanation and phonetic given: no look-up
}

TEST_F(ExchangeStyle3, FlushingTagsAndSeparators)
{
    // Explanation before the first "+" is dropped; "&" without "\" takes the dictionary's
    // explanation and keeps its own phonetic; lone CR, lone LF and NUL end lines; a single "/"
    // and unknown tags are ignored; the last record is flushed without a final line end.
    QString text = QStringLiteral("\\stray\n+English\r&own\r/not a comment\n#x\n+Chinese");
    text += QChar(0);
    text += QStringLiteral("\\中国的\r\n\r\n+go\n//c1\n//c2");
    EXPECT_EQ(run(text, 3).added, 3);
    EXPECT_EQ(words(), (QStringList{"English", "Chinese", "go"}));
    EXPECT_EQ(at(0).explanation(), u"adj.英文的");
    EXPECT_EQ(at(0).phonetic(), u"own");
    EXPECT_EQ(at(0).comment(), u"");
    EXPECT_EQ(at(1).explanation(), u"中国的");
    EXPECT_EQ(at(1).phonetic(), u"5tFai5ni:z"); // only the empty field is filled
    EXPECT_EQ(at(2).comment(), u"c1\r\nc2");
    EXPECT_EQ(at(2).explanation(), u"v.去");

    // A "+" line without a word does not flush; its explanation goes at the next "+".
    book.clear();
    EXPECT_EQ(run(QStringLiteral("+\n\\lost\n+English\n\\kept\n"), 3).added, 1);
    EXPECT_EQ(at(0).explanation(), u"kept");
}

TEST_F(ExchangeImport, EveryEntryGetsTheDialogValuesAndOneTime)
{
    book.AddEntry(std::make_unique<WordEntry>(), lex::AddMode::Interactive); // rejected: empty word
    auto first = std::make_unique<WordEntry>();
    first->setWord(QStringLiteral("existing"));
    ASSERT_TRUE(book.AddEntry(std::move(first), lex::AddMode::Interactive));

    const QString text = QStringLiteral("English") + CRLF + QStringLiteral("English");
    EXPECT_EQ(run(text, 1, 5, 6, 7).added, 2); // no duplicate check
    EXPECT_EQ(run(text, 1, 5, 6, 7).added, 2);
    ASSERT_EQ(book.size(), 5);
    const lex::EntryTime t = lex::toEntryTime(clock.localNow());
    for (int row = 1; row < 5; ++row) {
        const WordEntry& e = at(row);
        EXPECT_EQ(e.word(), u"English");
        EXPECT_EQ(e.stored.recognition, 5);
        EXPECT_EQ(e.stored.spelling, 6);
        EXPECT_EQ(e.stored.listening, 7);
        EXPECT_EQ(e.temporary, 0);
        EXPECT_EQ(e.stored.review, t);
        EXPECT_EQ(e.stored.added, t);
        EXPECT_EQ(e.seq, row);
    }
    EXPECT_TRUE(book.textChanged);
}

TEST_F(ExchangeImport, CancelKeepsWholeEntriesOnly)
{
    // 20,000 style-3 records of five lines each; cancel at the third progress report.
    QString text;
    for (int i = 0; i < 20000; ++i)
        text += QStringLiteral("+w%1\r\n\\e%1\r\n\\f%1\r\n//c%1\r\n@k%1\r\n").arg(i);
    for (int style : {1, 3}) {
        book.clear();
        int calls = 0;
        qsizetype last = -1;
        ImportSettings st;
        st.style = style;
        st.progress = [&](qsizetype done, qsizetype total) {
            EXPECT_EQ(total, text.size());
            EXPECT_GT(done, last);
            last = done;
            return ++calls < 3;
        };
        const lex::ImportResult r = lex::importWordList(book, text, st, clock);
        EXPECT_TRUE(r.cancelled);
        EXPECT_EQ(calls, 3);
        EXPECT_GT(r.added, 0);
        EXPECT_EQ(r.added, book.size());
        if (style == 3) {
            EXPECT_LT(r.added, 20000);
            for (int row = 0; row < book.size(); ++row) {
                const QString n = QString::number(row);
                ASSERT_EQ(at(row).word(), QStringLiteral("w") + n);
                ASSERT_EQ(at(row).explanation(), QStringLiteral("e") + n + CRLF + QStringLiteral("f") + n);
                ASSERT_EQ(at(row).comment(), QStringLiteral("c") + n);
                ASSERT_EQ(at(row).className(), QStringLiteral("k") + n);
            }
        }
    }

    // Uncancelled: the last report is the whole text.
    book.clear();
    qsizetype last = 0;
    ImportSettings st;
    st.style = 3;
    st.progress = [&](qsizetype done, qsizetype) { last = done; return true; };
    const lex::ImportResult r = lex::importWordList(book, text, st, clock);
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(r.added, 20000);
    EXPECT_EQ(last, text.size());
}

namespace {

std::unique_ptr<WordEntry> entry(const QString& w, const QString& e = {}, const QString& p = {},
                                 const QString& c = {}, const QString& k = {})
{
    auto x = std::make_unique<WordEntry>();
    x->setWord(w);
    x->setExplanation(e);
    x->setPhonetic(p);
    x->setComment(c);
    x->setClassName(k);
    return x;
}

} // namespace

TEST_F(ExchangeExport, TheThreeStyles)
{
    Book src;
    src.AddEntry(entry("English", "adj.英文的\r\nn.英语", "5iN^liF", "c1\r\nc2", "类名"), lex::AddMode::Interactive);
    src.AddEntry(entry("go"), lex::AddMode::Interactive);
    const std::vector<const WordEntry*> rows(src.view().begin(), src.view().end());

    EXPECT_EQ(lex::exportWordList(rows, 1), QStringLiteral("English\r\ngo\r\n"));
    EXPECT_EQ(lex::exportWordList(rows, 2), QStringLiteral("English\r\nadj.英文的 n.英语 //c1 c2\r\ngo\r\n\r\n"));
    EXPECT_EQ(lex::exportWordList(rows, 3), QStringLiteral("+English\r\n\\adj.英文的\r\n\\n.英语\r\n&5iN^liF\r\n"
                                                           "//c1\r\n//c2\r\n@类名\r\n+go\r\n"));

    const QByteArray u16 = lex::exportWordListBytes(rows, 1, TextEncoding::Utf16);
    EXPECT_EQ(u16, QByteArray::fromHex("fffe45006e0067006c006900730068000d000a0067006f000d000a00"));
    const QByteArray ansi = lex::exportWordListBytes(rows, 2, TextEncoding::Cp936);
    EXPECT_FALSE(ansi.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(ansi.endsWith("\r\n"));
    EXPECT_TRUE(lex::exportWordListBytes(rows, 1, TextEncoding::Utf8).startsWith("\xEF\xBB\xBF"));

    Book odd;
    odd.AddEntry(entry(QStringLiteral("한국")), lex::AddMode::Interactive);
    bool lossy = false;
    const std::vector<const WordEntry*> one(odd.view().begin(), odd.view().end());
    EXPECT_EQ(lex::exportWordListBytes(one, 1, TextEncoding::Cp936, &lossy), QByteArray("??\r\n"));
    EXPECT_TRUE(lossy);
}

TEST_F(ExchangeExport, RoundTrips)
{
    Book src;
    src.AddEntry(entry("English", "adj.英文的\r\nn.英语", "own", "c1\r\nc2", "类名"), lex::AddMode::Interactive);
    src.AddEntry(entry("Chinese", "中国的", "p"), lex::AddMode::Interactive);
    src.AddEntry(entry("go"), lex::AddMode::Interactive);
    const std::vector<const WordEntry*> rows(src.view().begin(), src.view().end());

    for (TextEncoding enc : {TextEncoding::Utf16, TextEncoding::Cp936, TextEncoding::Utf8}) {
        SCOPED_TRACE(int(enc));
        // Style 3 restores every text field.
        book.clear();
        run(lex::decodeWordList(lex::exportWordListBytes(rows, 3, enc)), 3);
        ASSERT_EQ(book.size(), 3);
        for (int i = 0; i < 2; ++i)
            for (int f = 0; f < lex::kTextFieldCount; ++f)
                EXPECT_EQ(at(i).text(lex::TextField(f)), src.view()[size_t(i)]->text(lex::TextField(f)));
        EXPECT_EQ(at(2).explanation(), u"v.去"); // nothing given: the dictionary fills it

        // Style 2: explanation and comment each joined into one line, phonetic from the dictionary.
        book.clear();
        run(lex::decodeWordList(lex::exportWordListBytes(rows, 2, enc)), 2);
        ASSERT_EQ(book.size(), 3);
        EXPECT_EQ(at(0).explanation(), u"adj.英文的 n.英语 ");
        EXPECT_EQ(at(0).comment(), u"c1 c2");
        EXPECT_EQ(at(0).phonetic(), u"5iN^liF");
        EXPECT_EQ(at(0).className(), u"");
        EXPECT_EQ(at(2).explanation(), u"v.去");

        // Style 1: the words only.
        book.clear();
        run(lex::decodeWordList(lex::exportWordListBytes(rows, 1, enc)), 1);
        EXPECT_EQ(words(), (QStringList{"English", "Chinese", "go"}));
        EXPECT_EQ(at(1).explanation(), u"adj.中国的");
    }
}
