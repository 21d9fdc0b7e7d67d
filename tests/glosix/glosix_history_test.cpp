// Glosix's look-up history (counting, its file, a damaged file), the word taken from a selection
// or a copy, and the history's words added to the Book once only.
#include "glosix/glosix_dlg.h"
#include "glosix/history_dlg.h"
#include "glosix/look_up_history.h"
#include "glosix/selection_word.h"

#include "common/dictionary/dict_builder.h"
#include "common/platform/sources.h"
#include "resources/resource_ids.h"
#include "lexora/book/book_file.h"
#include "fake_link.h"
#include "mem_env.h"
#include "scripted_services.h"
#include "temp_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QTableView>

#include <gtest/gtest.h>

using namespace lex;
namespace id = lex::res::glosix;

namespace {

const QDateTime kStart(QDate(2026, 3, 14), QTime(9, 26), Qt::UTC);
const QString kPath = QStringLiteral("/data/lexora/glosix-history.txt");

} // namespace

TEST(LookUpHistory, CountsEachLookUpAndReadsBackWhatItWrote)
{
    lextest::MemEnv env;
    FixedClock clock(kStart);
    LookUpHistory h(&env, kPath, &clock);
    ASSERT_EQ(h.open(), LookUpHistory::Opened::New);
    // Seconds later, word: blanks around a word are not part of it; an empty or over-long text is no word.
    const struct {
        int later;
        QString word;
    } steps[] = {{0, QStringLiteral("go")},  {60, QStringLiteral("went")}, {60, QStringLiteral(" go ")},
                 {60, QStringLiteral("go")}, {0, QStringLiteral("  ")},    {0, QString(65, QLatin1Char('x'))}};
    for (const auto& s : steps) {
        clock.advanceMs(s.later * 1000);
        ASSERT_TRUE(h.record(s.word));
    }
    const qint64 t0 = kStart.toSecsSinceEpoch();
    ASSERT_EQ(h.records().size(), 2u);
    const HistoryRecord& go = h.records()[0];   // most recent first
    const HistoryRecord& went = h.records()[1];
    EXPECT_EQ(go.word, QStringLiteral("go"));
    EXPECT_EQ(std::tuple(go.count, go.first, go.last), std::tuple(3, t0, t0 + 180));
    EXPECT_EQ(std::tuple(went.word, went.count, went.first, went.last), std::tuple(QStringLiteral("went"), 1, t0 + 60, t0 + 60));
    EXPECT_TRUE(LookUpHistory::isOften(go));
    EXPECT_FALSE(LookUpHistory::isOften(went));
    ASSERT_EQ(h.filtered(u"E").size(), 1u);
    EXPECT_EQ(h.filtered(u"E")[0]->word, QStringLiteral("went"));

    LookUpHistory again(&env, kPath, &clock);
    ASSERT_EQ(again.open(), LookUpHistory::Opened::Read);
    EXPECT_EQ(serializeHistory(again.records()), serializeHistory(h.records()));
}

TEST(LookUpHistory, ADamagedFileIsSetAsideAndANewHistoryStarts)
{
    const struct {
        QByteArray file;
        bool damaged;
    } cases[] = {
        {"", false},
        {"Glosix history 1\n", false},
        {"Glosix history 1\ngo\t2\t5\t9\n", false},
        {"Glosix history 2\ngo\t2\t5\t9\n", true},     // another version
        {"Glosix history 1\ngo\t2\t5\t9", true},       // cut inside its last line
        {"Glosix history 1\ngo\t2\t5\n", true},        // a field missing
        {"Glosix history 1\ngo\t0\t5\t9\n", true},     // never looked up
        {"Glosix history 1\ngo\t2\t9\t5\n", true},     // last before first
        {"Glosix history 1\ngo\t-2\t5\t9\n", true},
        {"Glosix history 1\ngo\t2\t5\t9\ngo\t1\t5\t9\n", true},   // the same word twice
        {"Glosix history 1\n\xff\xfe\t2\t5\t9\n", true},          // not UTF-8
        {QByteArray("\x00\x01\x02", 3), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        lextest::MemEnv env;
        FixedClock clock(kStart);
        env.files[kPath] = c.file;
        LookUpHistory h(&env, kPath, &clock);
        EXPECT_EQ(h.open(), c.damaged ? LookUpHistory::Opened::SetAside : LookUpHistory::Opened::Read);
        if (c.damaged) {
            EXPECT_TRUE(h.records().empty());
            EXPECT_EQ(env.files[h.setAsidePath()], c.file);   // kept as it was, for the learner
            EXPECT_FALSE(env.fileExists(kPath));
        }
        ASSERT_TRUE(h.record(QStringLiteral("apple")));
        std::vector<HistoryRecord> read;
        ASSERT_TRUE(parseHistory(env.files[kPath], &read));
        EXPECT_EQ(read.size(), c.damaged || c.file.count('\n') < 2 ? 1u : 2u);
    }
}

TEST(SelectionWord, TheSelectionGivesItsFirstWordTrimmed)
{
    const struct {
        const char16_t* text;
        const char16_t* word;
    } cases[] = {
        {u"  went \n", u"went"},   {u"“went,” he said", u"went"}, {u"well-known", u"well-known"},
        {u"don’t", u"don't"},      {u"-'went'-", u"went"},        {u"went--home", u"went"},
        {u"苹果 apple", u"apple"}, {u"苹果", u""},                {u"", u""},
        {u"42 café", u"café"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wordInSelection(QStringView(c.text)), QStringView(c.word)) << QString::fromUtf16(c.text).toStdString();
    // A word beyond the first 200 characters is not looked for.
    EXPECT_EQ(wordInSelection(QString(200, QLatin1Char(' ')) + QStringLiteral("went")), QString());
}

TEST(SelectionWord, TheClipboardWatchTakesOnlyOneCopiedEnglishWord)
{
    const struct {
        const char16_t* text;
        bool own;
        const char16_t* word;
    } cases[] = {
        {u" went\n", false, u"went"},
        {u"mother-in-law", false, u"mother-in-law"},
        {u"went", true, u""},           // copied from Glosix itself
        {u"went home", false, u""},     // more than one word
        {u"went.", false, u""},
        {u"café", false, u""},          // not English
        {u"3d", false, u""},
        {u"pneumonoultramicroscopicsilicovolcanoconiosis", false, u""},   // 45 letters: a long text
    };
    for (const auto& c : cases)
        EXPECT_EQ(copiedWord(QStringView(c.text), c.own), QStringView(c.word)) << QString::fromUtf16(c.text).toStdString();
}

namespace {

// A program folder: the companion dictionary (apple, pear, plum), the Book "English" holding
// "pear", the history in its own data folder; no voice.
struct HistoryRig {
    lextest::TempDir dir;
    lextest::ScriptedServices ui;
    lextest::FakeWindowLink link;
    FixedClock clock{kStart};
    std::unique_ptr<CGlosixDlg> w;

    explicit HistoryRig(const QByteArray& history = {})
    {
        QDir().mkpath(dir.path(QStringLiteral("Dict")));
        QDir().mkpath(dir.path(QStringLiteral("Book")));
        QDir().mkpath(dir.path(QStringLiteral("data")));
        QDir().mkpath(dir.path(QStringLiteral("Voice")));
        dir.write(QStringLiteral("Config.INI"), "[INIT]\nIsDisableTTS=1\nBookPath=" + dir.path(QStringLiteral("Book")).toUtf8()
                                                    + "/\nBookName=English\n");
        std::vector<DictSourceEntry> entries;
        for (const char* word : {"apple", "pear", "plum"})
            entries.push_back({QString::fromLatin1(word), {}, {}, QStringLiteral("`1`") + QString::fromLatin1(word)});
        QByteArray idx, dic;
        DictBuildOptions o;
        o.variant = DictVariant::Companion;
        EXPECT_TRUE(encodeDictionary(entries, o, &idx, &dic, nullptr));
        dir.write(QStringLiteral("Dict/21ct.idx"), idx);
        dir.write(QStringLiteral("Dict/21ct.dic"), dic);
        Book b;
        b.path = dir.path(QStringLiteral("Book")) + QLatin1Char('/');
        b.name = QStringLiteral("English");
        auto e = std::make_unique<WordEntry>();
        e->setWord(QStringLiteral("pear"));
        b.AddEntry(std::move(e), AddMode::Interactive);
        EXPECT_TRUE(saveBook(b).ok());
        if (!history.isEmpty())
            dir.write(QStringLiteral("data/glosix-history.txt"), history);
        w = start();
    }
    std::unique_ptr<CGlosixDlg> start()
    {
        GlosixServices s;
        s.ui = &ui;
        s.link = &link;
        s.clock = &clock;
        s.runtimeDir = dir.path(QStringLiteral("run"));
        s.historyPath = dir.path(QStringLiteral("data/glosix-history.txt"));
        auto window = std::make_unique<CGlosixDlg>(s, dir.path());
        window->initialise();
        QCoreApplication::processEvents();
        return window;
    }
    void type(const QString& word)
    {
        w->input()->setText(word);
        w->onCommand(id::IDC_LOOKUP, 0);
    }
    int count(const QString& word) const
    {
        for (const HistoryRecord& r : w->history().records())
            if (r.word == word)
                return r.count;
        return 0;
    }
    QStringList bookWords() const
    {
        Book b;
        inspectBook(dir.path(QStringLiteral("Book")) + QLatin1Char('/'), QStringLiteral("English"), Env::defaultEnv(), &b);
        QStringList out;
        for (const WordEntry* e : b.full())
            out << e->word().toString();
        return out;
    }
};

} // namespace

TEST(GlosixHistory, CountsTheLookUpsTheLearnerAskedFor)
{
    HistoryRig rig;
    rig.type(QStringLiteral("apple"));
    rig.type(QStringLiteral("apple"));
    rig.type(QStringLiteral("appel"));              // no dictionary has it
    rig.w->receiveWord(QStringLiteral("plum"), 0);  // a double-click in Lexora, or the selection
    rig.w->receiveWord(QStringLiteral("pear"), 1);  // the practice window following along
    EXPECT_FALSE(rig.w->clipboardChanged(QStringLiteral("plum"), true));   // our own copy
    EXPECT_TRUE(rig.w->clipboardChanged(QStringLiteral("apple"), false));
    EXPECT_FALSE(rig.w->clipboardChanged(QStringLiteral("apple"), false)); // the word on screen
    EXPECT_EQ(std::tuple(rig.count(QStringLiteral("apple")), rig.count(QStringLiteral("plum")),
                         rig.count(QStringLiteral("pear")), rig.count(QStringLiteral("appel"))),
              std::tuple(3, 1, 0, 0));

    CHistoryDlg* h = rig.w->historyWindow();
    EXPECT_EQ(h->shownWords(), (QStringList{QStringLiteral("apple"), QStringLiteral("plum")}));
    const QAbstractItemModel* m = h->list()->model();
    EXPECT_TRUE(m->index(0, HistoryModel::Count).data().toString().endsWith(HistoryModel::kOftenMark));
    EXPECT_FALSE(m->index(1, HistoryModel::Count).data().toString().contains(HistoryModel::kOftenMark));
    h->filterBox()->setText(QStringLiteral("UM"));
    EXPECT_EQ(h->shownWords(), QStringList{QStringLiteral("plum")});
    // Reading a word again from the history is no new look-up.
    Q_EMIT h->wordChosen(QStringLiteral("plum"));
    EXPECT_EQ(rig.w->input()->text(), QStringLiteral("plum"));
    EXPECT_EQ(rig.count(QStringLiteral("plum")), 1);
}

TEST(GlosixHistory, AddsEachSelectedWordToTheBookOnce)
{
    HistoryRig rig;
    for (const char* w : {"pear", "apple", "plum"})
        rig.type(QString::fromLatin1(w));
    CHistoryDlg* h = rig.w->historyWindow();
    h->selectWords({QStringLiteral("pear"), QStringLiteral("apple")});

    // No Lexora: into the Book's files; "pear" is there already.
    AddAllResult r = h->addSelected();
    EXPECT_EQ(std::tuple(r.added, r.already, r.stopped.has_value()), std::tuple(1, 1, false));
    r = h->addSelected();
    EXPECT_EQ(std::tuple(r.added, r.already), std::tuple(0, 2));
    EXPECT_EQ(rig.bookWords(), (QStringList{QStringLiteral("pear"), QStringLiteral("apple")}));

    // Lexora running: each word asked for once, even when given twice; a refusal stops the step.
    rig.link.present = true;
    GlosixAddTo::Deps d;
    d.link = &rig.link;
    d.programFolder = rig.dir.path();
    GlosixAddTo adder(d);
    r = adder.addAll({QStringLiteral("plum"), QStringLiteral(" plum"), QStringLiteral("apple")});
    EXPECT_EQ(rig.link.arrived, (QStringList{QStringLiteral("addto Tessaly plum"), QStringLiteral("addto Tessaly apple")}));
    EXPECT_EQ(r.added, 2);
    rig.link.arrived.clear();
    rig.link.addReply.outcome = LinkAddOutcome::Refused;
    r = adder.addAll({QStringLiteral("plum"), QStringLiteral("apple")});
    EXPECT_EQ(rig.link.arrived, QStringList{QStringLiteral("addto Tessaly plum")});
    ASSERT_TRUE(r.stopped.has_value());
    EXPECT_EQ(r.stopped->kind, AddToResult::Kind::Refused);
}

TEST(GlosixHistory, ExportsTheWordsAsAWordList)
{
    HistoryRig rig;
    rig.type(QStringLiteral("apple"));
    rig.type(QStringLiteral("plum"));
    const QString out = rig.dir.path(QStringLiteral("list.txt"));
    rig.ui.queueFileName(out);
    rig.w->historyWindow()->exportWords();   // none selected: every word listed
    EXPECT_EQ(rig.ui.messages(), QStringList{QStringLiteral("导出完成，导出单词数:2")});
    const QByteArray bytes = rig.dir.read(QStringLiteral("list.txt"));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2),
              QStringLiteral("plum\r\napple\r\n"));
}

TEST(GlosixHistory, ADamagedFileIsToldOnceAndSetAside)
{
    HistoryRig rig("not a history");
    ASSERT_EQ(rig.ui.messages().size(), 1);
    EXPECT_TRUE(rig.ui.messages()[0].startsWith(QStringLiteral("查词记录文件已损坏")));
    rig.type(QStringLiteral("apple"));
    rig.ui.clear();
    rig.w = rig.start();
    EXPECT_TRUE(rig.ui.messages().isEmpty());
    EXPECT_EQ(rig.count(QStringLiteral("apple")), 1);
}
