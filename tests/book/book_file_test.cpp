#include "book_helpers.h"

#include "common/platform/sources.h"
#include "common/text/codepage.h"
#include "lexora/book/list_ops.h"
#include "lexora/texts/lexora_texts.h"
#include "fault_env.h"
#include "temp_dir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace booktest;
using lex::Book;

namespace {

class BookFiles : public ::testing::Test {
protected:
    QString path() const { return dir.path() + QLatin1Char('/'); }
    void writeBook(const QByteArray& idx, const QByteArray& txt, const QString& name = QStringLiteral("B"))
    {
        dir.write(name + QStringLiteral(".idx"), idx);
        dir.write(name + QStringLiteral(".txt"), txt);
    }
    QByteArray idx(const QString& name = QStringLiteral("B")) const { return dir.read(name + QStringLiteral(".idx")); }
    QByteArray txt(const QString& name = QStringLiteral("B")) const { return dir.read(name + QStringLiteral(".txt")); }
    lex::LoadReport load(Book& b, const QString& name = QStringLiteral("B"), int* oldFormCalls = nullptr)
    {
        b.path = path();
        b.name = name;
        lex::BookFileHooks hooks;
        hooks.oldIndexFormRead = [oldFormCalls] { if (oldFormCalls) ++*oldFormCalls; };
        return lex::LoadBook(b, lex::Env::defaultEnv(), hooks);
    }
    // Checks that the text file holds the Book's records back to back from offset 4.
    void expectContiguous(const Book& b, const QByteArray& text)
    {
        uint32_t at = 4;
        for (const lex::WordEntry* e : b.full()) {
            EXPECT_EQ(e->stored.textStart, at);
            EXPECT_EQ(QByteArray(text.constData() + e->stored.textStart, e->stored.textEnd - e->stored.textStart),
                      buildTextRecord(*e));
            at = e->stored.textEnd;
        }
        EXPECT_EQ(qsizetype(at), text.size());
    }

    lextest::TempDir dir;
};

} // namespace

TEST_F(BookFiles, NewBookIsCreatedEmptyAndFirstSavesWriteHeaders)
{
    Book b;
    lex::LoadReport r = load(b);
    EXPECT_FALSE(r.indexExisted);
    EXPECT_TRUE(b.empty());
    ASSERT_TRUE(dir.exists(QStringLiteral("B.idx")));
    EXPECT_EQ(idx().size(), 0);
    EXPECT_EQ(txt().size(), 0);
    ASSERT_TRUE(lex::saveBook(b).ok());
    EXPECT_EQ(idx(), kMarker + QByteArray(1, 21));
    EXPECT_EQ(txt().size(), 0); // nothing changed in the texts

    b.AddEntry(entry(QStringLiteral("hello"), QStringLiteral("int. 你好\r\n喂"), QStringLiteral("hə'ləʊ"),
                     QStringLiteral("单元一"), QStringLiteral("note")), lex::AddMode::Interactive);
    ASSERT_TRUE(lex::saveBook(b).ok());
    EXPECT_FALSE(b.textChanged);
    EXPECT_EQ(txt(), kMarker + textRecord(QStringLiteral("hello"), QStringLiteral("int. 你好\r\n喂"),
                                          QStringLiteral("hə'ləʊ"), QStringLiteral("单元一"), QStringLiteral("note")));
    const QByteArray expectIdx = kMarker + QByteArray(1, 21) +
                                 indexRecord(4, uint32_t(txt().size()), 0, 0, 0, at(9, 1, 1, 0, 0), at(8, 4, 5, 9, 7));
    EXPECT_EQ(idx(), expectIdx);
    EXPECT_EQ(dir.files(), (QStringList{"B.idx", "B.txt"}));

    Book again;
    r = load(again);
    EXPECT_TRUE(r.clean());
    EXPECT_FALSE(again.textChanged);
    EXPECT_EQ(snapshot(again), snapshot(b));
    EXPECT_EQ(again.full()[0]->explanationFirstLine(), 7);
}

TEST_F(BookFiles, IndexOnlySavesLeaveTextBytesAndDeletionRewritesBoth)
{
    Book b;
    load(b);
    for (int i = 0; i < 6; ++i)
        b.AddEntry(entry(QStringLiteral("w%1").arg(i), QStringLiteral("e%1").arg(i)), lex::AddMode::Interactive);
    ASSERT_TRUE(lex::saveBook(b).ok());
    const QByteArray text = txt();

    Book c;
    load(c);
    c.SetStrangeness(2, lex::Degree::Spelling, lex::DegreeChange::to(9));
    lex::SortState sort;
    lex::LcgRandom rnd;
    lex::FixedClock clock(QDateTime::fromSecsSinceEpoch(5));
    lex::shuffleBook(c, sort, clock, rnd);
    ASSERT_TRUE(lex::saveBook(c).ok());
    EXPECT_EQ(txt(), text);
    EXPECT_EQ(idx().size(), 5 + 6 * 21);
    Book d;
    load(d);
    EXPECT_EQ(snapshot(d), snapshot(c));
    int nines = 0;
    for (const auto& e : snapshot(d))
        nines += e.spelling == 9;
    EXPECT_EQ(nines, 1);

    d.removeViewRows({0, 3});
    ASSERT_TRUE(lex::saveBook(d).ok());
    EXPECT_LT(txt().size(), text.size());
    Book e;
    load(e);
    ASSERT_EQ(e.size(), 4);
    EXPECT_EQ(snapshot(e), snapshot(d));
    expectContiguous(e, txt());
}

TEST_F(BookFiles, OlderFormsAreReadAndWrittenBackInTheCurrentForm)
{
    const QByteArray r1 = textRecord(QStringLiteral("alpha"), QStringLiteral("甲"));
    const QByteArray r2 = textRecord(QStringLiteral("beta"), QStringLiteral("乙\r\n二"), {}, QStringLiteral("类"));
    struct Case {
        const char* what;
        QByteArray idx, txt;
        bool oldestIndex;
    };
    const QByteArray body = indexRecord(4, 4 + uint32_t(r1.size())) +
                            indexRecord(4 + uint32_t(r1.size()), 4 + uint32_t(r1.size() + r2.size()));
    const QByteArray bare = indexRecord(0, uint32_t(r1.size())) +
                            indexRecord(uint32_t(r1.size()), uint32_t(r1.size() + r2.size()));
    // ANSI text of version 111: the same records in code page 936.
    const QByteArray a1 = lex::cp936::encode(QString::fromUtf16(reinterpret_cast<const char16_t*>(r1.constData()), r1.size() / 2));
    const QByteArray a2 = lex::cp936::encode(QString::fromUtf16(reinterpret_cast<const char16_t*>(r2.constData()), r2.size() / 2));
    const QByteArray ansiIdx = kMarker + QByteArray(1, 21) + indexRecord(4, 4 + uint32_t(a1.size())) +
                               indexRecord(4 + uint32_t(a1.size()), 4 + uint32_t(a1.size() + a2.size()));
    const Case cases[] = {
        {"index without header", bare.left(0) + indexRecord(4, 4 + uint32_t(r1.size())) +
                                     indexRecord(4 + uint32_t(r1.size()), 4 + uint32_t(r1.size() + r2.size())),
         kMarker + r1 + r2, true},
        {"text without header", kMarker + QByteArray(1, 21) + bare, r1 + r2, false},
        {"both without header", bare, r1 + r2, true},
        {"text version 115", kMarker + QByteArray(1, 21) + body, le32(0xFF000073) + r1 + r2, false},
        {"text version 111 (code page 936)", ansiIdx, le32(0xFF00006F) + a1 + a2, false},
        {"index of another version", le32(0xFF000070) + QByteArray(1, 21) + body, kMarker + r1 + r2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBook(c.idx, c.txt);
        Book b;
        int oldForm = 0;
        const lex::LoadReport r = load(b, QStringLiteral("B"), &oldForm);
        EXPECT_EQ(oldForm, c.oldestIndex ? 1 : 0);
        EXPECT_EQ(r.oldestIndexForm, c.oldestIndex);
        // Only the index of another version keeps the text as it is.
        EXPECT_EQ(b.textChanged, QByteArray(c.what) != "index of another version");
        ASSERT_EQ(b.size(), 2);
        EXPECT_EQ(b.full()[0]->word(), QStringLiteral("alpha"));
        EXPECT_EQ(b.full()[0]->explanation(), QStringLiteral("甲"));
        EXPECT_EQ(b.full()[1]->explanation(), QStringLiteral("乙\r\n二"));
        EXPECT_EQ(b.full()[1]->className(), QStringLiteral("类"));
        EXPECT_EQ(b.full()[1]->explanationFirstLine(), 1);
        const auto before = snapshot(b);
        ASSERT_TRUE(lex::saveBook(b).ok());
        EXPECT_TRUE(idx().startsWith(kMarker + QByteArray(1, 21)));
        EXPECT_EQ(idx().size(), 5 + 2 * 21);
        EXPECT_TRUE(txt().startsWith(kMarker));
        Book again;
        oldForm = 0;
        load(again, QStringLiteral("B"), &oldForm);
        EXPECT_EQ(oldForm, 0);
        EXPECT_FALSE(again.textChanged);
        EXPECT_EQ(snapshot(again), before);
        expectContiguous(again, txt());
    }
}

TEST_F(BookFiles, RecordSizeOf24EmptyWordsAndOddParses)
{
    const QByteArray r1 = textRecord(QStringLiteral("one"));
    const QByteArray r2 = textRecord(QString(), QStringLiteral("no word"));
    // Text before the first selector is dropped; a repeated selector appends to its field.
    const QByteArray r3 = u16(QStringLiteral("junk")) + textRecord(QStringLiteral("thr")) +
                          u16(QString(QChar(0)) + QStringLiteral("ee") + QChar(4) + QStringLiteral("c2"));
    const uint32_t s1 = 4, s2 = s1 + uint32_t(r1.size()), s3 = s2 + uint32_t(r2.size()), s4 = s3 + uint32_t(r3.size());
    writeBook(kMarker + QByteArray(1, 24) + indexRecord(s1, s2, 1, 2, 3, at(1, 2, 3, 4, 5), at(6, 7, 8, 9, 10), 3) +
                  indexRecord(s2, s3, 0, 0, 0, {}, {}, 3) + indexRecord(s3, s4, 4, 5, 6, {}, {}, 3),
              kMarker + r1 + r2 + r3);
    Book b;
    lex::LoadReport r = load(b);
    EXPECT_EQ(r.recordSize, 24);
    EXPECT_EQ(r.emptyWords, 1);
    EXPECT_TRUE(r.skipped.empty());
    EXPECT_FALSE(b.textChanged);
    ASSERT_EQ(b.size(), 2);
    EXPECT_EQ(b.full()[0]->stored.review, at(1, 2, 3, 4, 5));
    EXPECT_EQ(b.full()[0]->stored.added, at(6, 7, 8, 9, 10));
    EXPECT_EQ(b.full()[1]->word(), QStringLiteral("three"));
    EXPECT_EQ(b.full()[1]->comment(), QStringLiteral("c2"));
    EXPECT_EQ(b.full()[1]->stored.listening, 6);
    EXPECT_EQ(b.full()[1]->seq, 1);

    const auto before = snapshot(b);
    ASSERT_TRUE(lex::saveBook(b).ok()); // index only: 21-byte records
    EXPECT_EQ(idx().size(), 5 + 2 * 21);
    EXPECT_EQ(idx()[4], char(21));
    Book c;
    load(c);
    EXPECT_EQ(snapshot(c), before);
    c.textChanged = true; // the empty-word record leaves the text file with the next text save
    ASSERT_TRUE(lex::saveBook(c).ok());
    EXPECT_FALSE(txt().contains(u16(QStringLiteral("no word"))));
}

TEST_F(BookFiles, DamagedRecordsAreSkippedAndReportedAndNothingIsTruncated)
{
    const QByteArray r1 = textRecord(QStringLiteral("good"), QStringLiteral("fine"));
    const QByteArray text = kMarker + r1 + QByteArray(1, 'x') + r1; // second copy at an odd offset
    const uint32_t e1 = 4 + uint32_t(r1.size());
    const uint32_t odd = e1 + 1;
    const QByteArray head = kMarker + QByteArray(1, 21);
    struct Case {
        const char* what;
        QByteArray idx;
        int loaded;
        int skipped;
    };
    const Case cases[] = {
        {"reversed", head + indexRecord(4, e1) + indexRecord(e1, 4), 1, 1},
        {"outside", head + indexRecord(4, e1) + indexRecord(4, uint32_t(text.size()) + 2) +
                        indexRecord(0xFFFFFFF0u, 0xFFFFFFFEu), 1, 2},
        {"odd length", head + indexRecord(4, e1 + 1) + indexRecord(4, e1), 1, 1},
        {"truncated last", head + indexRecord(4, e1) + indexRecord(4, e1).left(20), 1, 1},
        {"odd offset is copied", head + indexRecord(odd, odd + uint32_t(r1.size())) + indexRecord(4, e1), 2, 0},
        {"record size 0", kMarker + QByteArray(1, 0) + indexRecord(4, e1), 0, 1},
        {"record size -3", kMarker + QByteArray(1, char(-3)) + indexRecord(4, e1), 0, 1},
        {"record size 20", kMarker + QByteArray(1, 20) + indexRecord(4, e1), 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBook(c.idx, text);
        Book b;
        const lex::LoadReport r = load(b);
        EXPECT_EQ(b.size(), c.loaded);
        EXPECT_EQ(int(r.skipped.size()), c.skipped);
        EXPECT_EQ(r.clean(), c.skipped == 0);
        for (const lex::WordEntry* e : b.full()) {
            EXPECT_EQ(e->word(), QStringLiteral("good"));
            EXPECT_EQ(e->explanation(), QStringLiteral("fine"));
        }
        EXPECT_EQ(idx(), c.idx);
        EXPECT_EQ(txt(), text);
    }
    // A padded record size whose last record lacks only its padding keeps the record.
    writeBook(kMarker + QByteArray(1, 30) + indexRecord(4, e1, 1, 1, 1, {}, {}, 9) + indexRecord(4, e1), text);
    Book b;
    const lex::LoadReport r = load(b);
    EXPECT_EQ(b.size(), 2);
    EXPECT_EQ(r.notes.size(), 1);

    // Files too short for a header: an empty Book, the files untouched.
    writeBook(QByteArray("\x74\x00", 2), QByteArray("abc"));
    Book s;
    load(s);
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(idx().size(), 2);
    EXPECT_EQ(txt(), QByteArray("abc"));
}

TEST_F(BookFiles, UnreadableFileIsNeverOverwritten)
{
    // A folder in place of the index file: it exists but cannot be read.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("B.idx")));
    dir.write(QStringLiteral("B.txt"), kMarker + textRecord(QStringLiteral("kept")));
    Book b;
    const lex::LoadReport r = load(b);
    EXPECT_FALSE(r.readError.isEmpty());
    EXPECT_TRUE(b.loadFailed);
    b.AddEntry(entry(QStringLiteral("new")), lex::AddMode::Interactive);
    const lex::SaveResult s = lex::saveBook(b);
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(txt(), kMarker + textRecord(QStringLiteral("kept")));
}

TEST_F(BookFiles, AppendRefusalsChangeNothing)
{
    Book src;
    load(src, QStringLiteral("Src"));
    src.AddEntry(entry(QStringLiteral("moved"), QStringLiteral("移动")), lex::AddMode::Interactive);
    std::vector<const lex::WordEntry*> sel(src.full().begin(), src.full().end());

    EXPECT_EQ(lex::texts::appendFailure(lex::AppendToBook(sel, path(), QStringLiteral("Nope"))),
              QStringLiteral("无法打开文件: ") + path() + QStringLiteral("Nope.idx"));
    EXPECT_FALSE(dir.exists(QStringLiteral("Nope.idx")));

    struct Case {
        QByteArray idx, txt;
        QString message;
    };
    const QString ti = path() + QStringLiteral("T.idx"), tt = path() + QStringLiteral("T.txt");
    const Case cases[] = {
        {le32(0xFF000073) + QByteArray(1, 21), kMarker, QStringLiteral("失败：目标文件版本不同。") + ti},
        {QByteArray("\x74\x00", 2), kMarker, QStringLiteral("失败：目标文件版本不同。") + ti},
        {kMarker + QByteArray(1, 24), kMarker, QStringLiteral("失败：目标文件版本不同。") + ti},
        {kMarker + QByteArray(1, 21), le32(0xFF00006F), QStringLiteral("失败：目标文件版本不同。") + tt},
    };
    for (const Case& c : cases) {
        writeBook(c.idx, c.txt, QStringLiteral("T"));
        EXPECT_EQ(lex::texts::appendFailure(lex::AppendToBook(sel, path(), QStringLiteral("T"))), c.message);
        EXPECT_EQ(idx(QStringLiteral("T")), c.idx);
        EXPECT_EQ(txt(QStringLiteral("T")), c.txt);
    }
    dir.write(QStringLiteral("U.idx"), kMarker + QByteArray(1, 21));
    EXPECT_EQ(lex::texts::appendFailure(lex::AppendToBook(sel, path(), QStringLiteral("U"))),
              QStringLiteral("无法打开文件：") + path() + QStringLiteral("U.txt"));
    EXPECT_EQ(dir.read(QStringLiteral("U.idx")), kMarker + QByteArray(1, 21));
}

TEST_F(BookFiles, AppendAddsRecordsAndAnEmptyTargetBecomesTheOldestForm)
{
    Book src;
    load(src, QStringLiteral("Src"));
    src.AddEntry(entry(QStringLiteral("one"), QStringLiteral("一")), lex::AddMode::Interactive);
    src.AddEntry(entry(QStringLiteral("two"), QStringLiteral("二"), {}, QStringLiteral("c"), QStringLiteral("x")), lex::AddMode::Interactive);
    std::vector<const lex::WordEntry*> sel(src.full().begin(), src.full().end());
    const auto srcBefore = snapshot(src);

    // Empty target: records without any header, read later as the oldest form.
    writeBook({}, {}, QStringLiteral("E"));
    ASSERT_FALSE(lex::AppendToBook(sel, path(), QStringLiteral("E")).failed());
    EXPECT_EQ(idx(QStringLiteral("E")).size(), 2 * 21);
    EXPECT_EQ(txt(QStringLiteral("E")), buildTextRecord(*sel[0]) + buildTextRecord(*sel[1]));
    Book e;
    int oldForm = 0;
    load(e, QStringLiteral("E"), &oldForm);
    EXPECT_EQ(oldForm, 1);
    EXPECT_TRUE(e.textChanged);
    EXPECT_EQ(snapshot(e), srcBefore);

    // A current target keeps its entries and gains the new ones.
    Book t;
    load(t, QStringLiteral("T"));
    t.AddEntry(entry(QStringLiteral("zero")), lex::AddMode::Interactive);
    ASSERT_TRUE(lex::saveBook(t).ok());
    ASSERT_FALSE(lex::AppendToBook(sel, path(), QStringLiteral("T")).failed());
    Book t2;
    const lex::LoadReport r = load(t2, QStringLiteral("T"));
    EXPECT_TRUE(r.clean());
    ASSERT_EQ(t2.size(), 3);
    EXPECT_EQ(t2.full()[0]->word(), QStringLiteral("zero"));
    auto got = snapshot(t2);
    got.erase(got.begin());
    EXPECT_EQ(got, srcBefore);
    EXPECT_EQ(snapshot(src), srcBefore);
}

TEST_F(BookFiles, FailedSaveAsksForAnotherNameAndSavesThere)
{
    lextest::FaultEnv env;
    Book b;
    load(b);
    b.AddEntry(entry(QStringLiteral("kept"), QStringLiteral("保留")), lex::AddMode::Interactive);
    ASSERT_TRUE(lex::saveBook(b).ok());
    const QByteArray oldIdx = idx(), oldTxt = txt();

    // The text file cannot be written: asked once, the chooser gets the path and the .txt filter.
    b.AddEntry(entry(QStringLiteral("more")), lex::AddMode::Interactive);
    QStringList questions, filters, initials;
    lex::SaveQuestions q;
    q.askSaveAs = [&](const lex::SaveAsQuestion& question) { questions << lex::texts::saveAsQuestion(question); return true; };
    q.chooseFile = [&](const QString& initial, lex::SaveFailure failed) {
        initials << initial;
        filters << lex::texts::saveAsFilter(failed);
        return dir.path() + QStringLiteral("/Other.book.txt");
    };
    env.breakAt(1, lextest::FaultEnv::Mode::Fail);
    lex::SaveResult r = lex::saveBookInteractive(b, q, &env);
    EXPECT_TRUE(r.ok());
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], QStringLiteral("保存文件失败:") + path() + QStringLiteral("B.txt\n，是否要另存为... "));
    EXPECT_EQ(initials[0], path() + QStringLiteral("B.txt"));
    EXPECT_EQ(filters[0], QStringLiteral("文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*||"));
    EXPECT_EQ(b.path, path());
    EXPECT_EQ(b.name, QStringLiteral("Other.book"));
    EXPECT_EQ(idx(), oldIdx);
    EXPECT_EQ(txt(), oldTxt);
    EXPECT_EQ(loadFresh(path(), QStringLiteral("Other.book")), snapshot(b));

    // The index file cannot be written (text unchanged): the .idx filter; No ends the save.
    Book c;
    load(c);
    c.SetStrangeness(0, lex::Degree::Recognition, lex::DegreeChange::to(4));
    questions.clear();
    filters.clear();
    q.askSaveAs = [&](const lex::SaveAsQuestion& question) {
        questions << lex::texts::saveAsQuestion(question);
        return questions.size() < 2;
    };
    q.chooseFile = [&](const QString&, lex::SaveFailure failed) {
        filters << lex::texts::saveAsFilter(failed);
        return QString();
    };
    env.breakAt(1, lextest::FaultEnv::Mode::Fail);
    r = lex::saveBookInteractive(c, q, &env);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.failure, lex::SaveFailure::IndexFile);
    EXPECT_EQ(questions[0], QStringLiteral("保存文件失败:") + path() + QStringLiteral("B.idx\n，是否要另存为... "));
    ASSERT_EQ(filters.size(), 1); // cancelled chooser
    // The index file's chooser lists index files (its label says so).
    EXPECT_EQ(filters[0], QStringLiteral("文本文件 (*.idx)|*.idx|所有文件 (*.*)|*.*||"));
    env.breakAt(1, lextest::FaultEnv::Mode::Fail);
    r = lex::saveBookInteractive(c, q, &env); // answered No
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(idx(), oldIdx);
    EXPECT_EQ(txt(), oldTxt);
    EXPECT_EQ(dir.files(), (QStringList{"B.idx", "B.txt", "Other.book.idx", "Other.book.txt"}));
}

// Loaded texts are parsed only when first asked for. Whatever is asked first (a field, a
// first-line value, an edit, a copy), the entry must read as if it had been parsed at load.
TEST_F(BookFiles, DeferredParseGivesTheSameEntryWhateverIsAskedFirst)
{
    const QString expl = QStringLiteral("a\r\nb");
    const QByteArray r1 = textRecord(QStringLiteral("word"), expl, QStringLiteral("5wE:d"), QStringLiteral("单元一"),
                                     QStringLiteral("c1\r\nc2"));
    // The word comes second here: the quick non-empty check cannot decide, the full parse must.
    const QByteArray r2 = u16(QString(QChar(1)) + QStringLiteral("x") + QChar(0) + QStringLiteral("late"));
    const uint32_t s1 = 4, s2 = s1 + uint32_t(r1.size()), s3 = s2 + uint32_t(r2.size());
    writeBook(kMarker + QByteArray(1, 21) + indexRecord(s1, s2) + indexRecord(s2, s3), kMarker + r1 + r2);

    auto expectFirst = [&](const lex::WordEntry& e) {
        EXPECT_EQ(e.word(), QStringLiteral("word"));
        EXPECT_EQ(e.explanation(), expl);
        EXPECT_EQ(e.phonetic(), QStringLiteral("5wE:d"));
        EXPECT_EQ(e.className(), QStringLiteral("单元一"));
        EXPECT_EQ(e.explanationFirstLine(), 1);
        EXPECT_EQ(e.commentFirstLine(), 2);
    };
    {
        Book b;
        load(b);
        ASSERT_EQ(b.size(), 2);
        EXPECT_EQ(b.full()[1]->word(), QStringLiteral("late"));
        EXPECT_EQ(b.full()[1]->explanation(), QStringLiteral("x"));
        EXPECT_EQ(b.full()[0]->commentFirstLine(), 2); // a derived value first
        expectFirst(*b.full()[0]);
    }
    {
        Book b;
        load(b);
        lex::WordEntry copy(*b.full()[0]); // a copy first: it owns its texts
        expectFirst(copy);
        EXPECT_TRUE(copy.ownsAllTexts());
    }
    {
        Book b;
        load(b);
        lex::WordEntry* e = b.full()[0];
        e->setComment(QStringLiteral("new")); // an edit first keeps every other field
        EXPECT_EQ(e->word(), QStringLiteral("word"));
        EXPECT_EQ(e->explanation(), expl);
        EXPECT_EQ(e->commentFirstLine(), -1);
        b.textChanged = true;
        ASSERT_TRUE(lex::saveBook(b).ok());
        Book c;
        load(c);
        EXPECT_EQ(c.full()[0]->comment(), QStringLiteral("new"));
        EXPECT_EQ(c.full()[0]->phonetic(), QStringLiteral("5wE:d"));
        EXPECT_EQ(c.full()[1]->word(), QStringLiteral("late"));
    }
}
