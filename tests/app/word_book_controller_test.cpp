// The word-book page's logic without a widget: commands by number against a recording view and
// scripted dialogs.
#include "session_probe.h"
#include "wordnet_files.h"
#include "app_test_support.h"

#include "common/config/profile.h"
#include "lexora/app/word_book_controller.h"
#include "lexora/book/book.h"
#include "common/dictionary/dict_builder.h"
#include "lexora/texts/lexora_texts.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <map>

using namespace lex;

namespace {

struct RecordingView : WordBookView {
    std::vector<int> selected;
    int focused = -1;
    std::map<int, bool> toggles{{cmd::kToggleWord, true}, {cmd::kToggleExplanation, true}};
    QString panes[4];
    QStringList calls;

    std::vector<int> selectedRows() const override { return selected; }
    int focusedRow() const override { return focused; }
    void showRow(int row, bool keyboardFocus) override
    {
        focused = row;
        selected = {row};
        calls << QStringLiteral("show %1%2").arg(row).arg(keyboardFocus ? " focus" : "");
    }
    void scrollToRow(int row) override { calls << QStringLiteral("scroll %1").arg(row); }
    void selectRows(const std::vector<int>& rows) override
    {
        selected = rows;
        calls << QStringLiteral("select %1").arg(rows.size());
    }
    void narrowSelection(const std::function<bool(int)>& keep) override
    {
        std::erase_if(selected, [&](int r) { return !keep(r); });
    }
    void focusList() override {}
    bool isToggleChecked(int id) const override { return toggles.count(id) && toggles.at(id); }
    void setToggleChecked(int id, bool on) override { toggles[id] = on; }
    void redrawList() override {}
    void setPaneText(int pane, const QString& text) override { panes[pane] = text; }
};

// Each dialog records that it opened and answers as the case says.
struct ScriptedDialogs : WordBookDialogs {
    QStringList opened;
    bool yes = true;   // 确定 rather than 取消, in every dialog
    QString name = QStringLiteral("noun");
    GroupChoice group{QStringLiteral("Other")};

    bool confirmDelete(const QString&, bool* dontAsk) override
    {
        opened << QStringLiteral("confirm");
        *dontAsk = false;
        return yes;
    }
    bool addOrModify(int row, const std::function<void(int)>&) override
    {
        opened << QStringLiteral("edit %1").arg(row);
        return yes;
    }
    std::optional<QString> className() override
    {
        opened << QStringLiteral("class");
        return yes ? std::optional(name) : std::nullopt;
    }
    std::function<bool(int)> strangenessFilter() override
    {
        opened << QStringLiteral("filter");
        return yes ? std::function<bool(int)>([](int t) { return t > 0; }) : nullptr;
    }
    std::optional<GroupChoice> groups(const QString&, const QString&, bool moveMode) override
    {
        opened << (moveMode ? QStringLiteral("move") : QStringLiteral("groups"));
        return yes ? std::optional(group) : std::nullopt;
    }
    void openFind() override { opened << QStringLiteral("find"); }
    void importExport(bool importMode) override { opened << (importMode ? QStringLiteral("import") : QStringLiteral("export")); }
    bool practice(PracticeMode mode, int) override
    {
        opened << QStringLiteral("practice %1").arg(int(mode));
        return yes;
    }
    std::optional<ReviewChoice> todayReview(const std::array<int, kSkillCount>&) override
    {
        opened << QStringLiteral("review");
        return yes ? std::optional(ReviewChoice{Skill::Spelling, PracticeMode::Dictate}) : std::nullopt;
    }
    void settings() override { opened << QStringLiteral("settings"); }
    std::optional<QString> bookFromList(const QString&, const WordInfoTable& lists) override
    {
        opened << QStringLiteral("lists %1").arg(lists.count());
        return yes ? std::optional(QStringLiteral("Listed")) : std::nullopt;
    }
    std::optional<QString> vocabularyTest(const QString&, const WordInfoTable& lists) override
    {
        opened << QStringLiteral("vocabulary %1").arg(lists.count());
        return std::nullopt;
    }
};

struct Rig {
    lextest::TempDir dir;
    apptest::ProgramFolder pf;
    lextest::ScriptedServices ui;
    RecordingView view;
    ScriptedDialogs dialogs;
    std::unique_ptr<WordBookController> c;
    QStringList startCalls;   // what the start-up asked of the view

    explicit Rig(const QString& extraIni = {})
    {
        pf = apptest::makeProgramFolder(dir, 10, extraIni);
        c = std::make_unique<WordBookController>(apptest::testServices(&ui), &view, &dialogs);
        Profile profile(pf.folder + QStringLiteral("/Config.INI"));
        c->initialise(pf.folder, profile, nullptr, nullptr);
        ui.clear();   // the sample dictionary's messages when it has not been built
        startCalls = view.calls;
        view.calls.clear();
    }
};

} // namespace

TEST(WordBookController, CommandsByNumber)
{
    const QString exportFirst = QStringLiteral("请选择单词再导出.要导出全部可按Ctrl-A");
    const QString filterTwo = QStringLiteral("必须有多个选择项才有意义，此过滤器用于练习过后\n方便通过临时陌生度改变其它陌生度");
    struct Case {
        const char* what;
        int id;
        qintptr param;
        std::vector<int> selected;
        int focused;
        bool yes;
        QStringList opened;
        QStringList messages;
        int rows;              // the Book's rows afterwards
        QStringList viewCalls;
    };
    const std::vector<Case> cases = {
        {"export needs a selection", cmd::kExport, 0, {}, -1, true, {}, {exportFirst}, 10, {}},
        {"export", cmd::kExport, 0, {1}, 1, true, {"export"}, {}, 10, {}},
        {"import", cmd::kImport, 0, {}, -1, true, {"import"}, {}, 10, {}},
        {"modify needs a focused row", cmd::kModify, 0, {2}, -1, true, {}, {}, 10, {}},
        {"modify selects its row", cmd::kModify, 0, {}, 2, true, {"edit 2"}, {}, 10, {"show 2"}},
        {"cancelled modify", cmd::kModify, 0, {}, 2, false, {"edit 2"}, {}, 10, {}},
        {"add", cmd::kAdd, 0, {}, -1, true, {"edit -1"}, {}, 10, {}},
        {"delete asks", cmd::kDelete, 0, {3, 5}, 3, true, {"confirm"}, {}, 8, {"show 2 focus"}},
        {"delete cancelled", cmd::kDelete, 0, {3, 5}, 3, false, {"confirm"}, {}, 10, {}},
        {"delete with param 1 asks nothing", cmd::kDelete, 1, {0}, 0, true, {}, {}, 9, {"show 0 focus"}},
        {"delete with nothing selected", cmd::kDelete, 0, {}, -1, true, {}, {}, 10, {}},
        {"class name needs a selection", cmd::kClassName, 0, {}, -1, true, {}, {}, 10, {}},
        {"filter needs two rows", cmd::kStrangenessFilter, 0, {1}, 1, true, {}, {filterTwo}, 10, {}},
        {"move needs a selection", cmd::kMoveCopy, 0, {}, -1, true, {}, {}, 10, {}},
        {"find", cmd::kFind, 0, {}, -1, true, {"find"}, {}, 10, {}},
        {"settings", cmd::kSettings, 0, {}, -1, true, {"settings"}, {}, 10, {}},
        {"listen", cmd::kListen, 0, {}, -1, true, {"practice 0"}, {}, 10, {}},
        {"learn", cmd::kLearn, 0, {}, -1, true, {"practice 1"}, {}, 10, {}},
        {"drill", cmd::kDrill, 0, {}, -1, true, {"practice 2"}, {}, 10, {}},
        {"dictate", cmd::kDictate, 0, {}, -1, true, {"practice 3"}, {}, 10, {}},
        {"today's review selects the due rows", cmd::kTodayReview, 0, {}, -1, true, {"review", "practice 3"}, {}, 10,
         {"select 10"}},
        {"check duplicates does nothing", cmd::kCheckDuplicates, 0, {}, -1, true, {}, {}, 10, {}},
        {"Enter closes nothing", 1, 0, {}, -1, true, {}, {}, 10, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Rig rig;
        rig.view.selected = k.selected;
        rig.view.focused = k.focused;
        rig.dialogs.yes = k.yes;
        EXPECT_TRUE(rig.c->onCommand(k.id, k.param));
        EXPECT_EQ(rig.dialogs.opened, k.opened);
        EXPECT_EQ(rig.ui.messages(), k.messages);
        EXPECT_EQ(rig.c->session().rowCount(), k.rows);
        EXPECT_EQ(rig.view.calls, k.viewCalls);
    }
    Rig rig;
    EXPECT_FALSE(rig.c->onCommand(12345, 0)) << "not a word-book command";
    EXPECT_TRUE(QApplication::allWidgets().isEmpty()) << "no window was made";
}

TEST(WordBookController, DialogsResultsReachTheBookAndTheStatusBar)
{
    Rig rig;
    rig.view.selected = {0, 1};
    rig.c->onCommand(cmd::kClassName, 0);
    EXPECT_EQ(rig.c->book().atView(1)->className(), QStringLiteral("noun"));
    EXPECT_EQ(rig.c->book().atView(2)->className(), QString());
    rig.c->onCommand(cmd::kUndo, 0);
    EXPECT_EQ(rig.c->book().atView(1)->className(), QString());

    // The scripted filter keeps the rows with a temporary degree above 0.
    lextest::writableBook(rig.c->session()).atView(2)->temporary = 3;
    rig.view.selected = {1, 2, 3};
    rig.c->onCommand(cmd::kStrangenessFilter, 0);
    EXPECT_EQ(rig.view.selected, std::vector<int>{2});

    // The Book chosen in the groups dialog is opened and named in pane 0.
    rig.c->onCommand(cmd::kGroups, 0);
    EXPECT_EQ(rig.c->book().name, QStringLiteral("Other"));
    EXPECT_EQ(rig.view.panes[0], QStringLiteral("Book:Other"));
    const QString text = QStringLiteral("from elsewhere");
    rig.c->onCommand(cmd::kStatusText, reinterpret_cast<qintptr>(&text));
    EXPECT_EQ(rig.view.panes[0], text);

    // Unchecking both columns' toggles brings the other one back; the reveal flags follow.
    rig.view.toggles[cmd::kToggleWord] = false;
    rig.view.toggles[cmd::kToggleExplanation] = false;
    rig.c->onCommand(cmd::kToggleWord, 0);
    EXPECT_TRUE(rig.view.toggles[cmd::kToggleExplanation]);
}

TEST(WordBookController, TheRememberedRowIsShownNotFocusedAndCarriesOn)
{
    Rig rig(QStringLiteral("[MAINLISTCTRL]\nFocusedItem=4\n"));
    EXPECT_EQ(rig.startCalls, QStringList{QStringLiteral("scroll 4")}) << "neither focused nor selected";
    Profile profile(rig.pf.folder + QStringLiteral("/Config.INI"));
    rig.c->shutDown(profile, WordBookExitState{});
    EXPECT_EQ(profile.readInt(QStringLiteral("MAINLISTCTRL"), QStringLiteral("FocusedItem"), -9), 4);
}

TEST(WordBookController, ABookFromListsIsOpenedAndAnOldDictionaryOffersNone)
{
    {
        Rig rig;
        rig.c->onCommand(cmd::kNewBookFromList, 0);
        ASSERT_EQ(rig.dialogs.opened.size(), 1);
        EXPECT_TRUE(rig.dialogs.opened[0].startsWith(QStringLiteral("lists ")));
        EXPECT_GT(rig.dialogs.opened[0].mid(6).toInt(), 500) << "the sample dictionary's tagged words";
        EXPECT_EQ(rig.c->book().name, QStringLiteral("Listed"));
        EXPECT_EQ(rig.view.panes[0], QStringLiteral("Book:Listed"));
        rig.c->onCommand(cmd::kVocabularyTest, 0);
        EXPECT_EQ(rig.dialogs.opened.value(1).left(11), QStringLiteral("vocabulary "));
        EXPECT_EQ(rig.c->book().name, QStringLiteral("Listed")) << "no Book made: none opened";
    }
    // A dictionary of an older build, without lists and ranks.
    lextest::TempDir dir;
    apptest::ProgramFolder pf = apptest::makeProgramFolder(dir, 3);
    QByteArray index, text;
    ASSERT_TRUE(encodeDictionary({{QStringLiteral("able"), {}, {QStringLiteral("adj.")}, {}}}, {}, &index, &text, nullptr));
    dir.write(QStringLiteral("home/Dict/Dict.idx"), index);
    dir.write(QStringLiteral("home/Dict/Dict.dic"), text);
    lextest::ScriptedServices ui;
    RecordingView view;
    ScriptedDialogs dialogs;
    WordBookController c(apptest::testServices(&ui), &view, &dialogs);
    Profile profile(pf.folder + QStringLiteral("/Config.INI"));
    c.initialise(pf.folder, profile, nullptr, nullptr);
    ui.clear();
    const QString before = c.book().name;
    for (int command : {cmd::kNewBookFromList, cmd::kVocabularyTest}) {
        c.onCommand(command, 0);
        EXPECT_EQ(ui.messages().value(0), texts::noWordLists()) << command;
        ui.clear();
    }
    EXPECT_TRUE(dialogs.opened.isEmpty());
    EXPECT_EQ(c.book().name, before);
}

// The list's tip example: the first WordNet example in which the word stands, else its first one;
// none once the settings turn it off, and none for a word WordNet lacks.
TEST(WordBookController, TheTipExampleComesFromWordNetUnlessTurnedOff)
{
    lextest::TempDir wnDir;
    lextest::WordNetFiles wn;
    const WordNetPos n = WordNetPos::Noun, v = WordNetPos::Verb;
    wn.lemma(n, "w1", {wn.synset(n, {"w1", "other"}, "a thing; \"the other one\""),
                       wn.synset(n, {"w1"}, "a second thing; \"no match here\"; \"a W1, at last\"")});
    wn.lemma(v, "w2", {wn.synset(v, {"w2", "do"}, "to act; \"do it now\"; \"do it later\"")});
    wn.lemma(n, "w3", {wn.synset(n, {"w3"}, "without an example")});
    wn.writeTo(wnDir.path(QStringLiteral("wn")));
    const struct {
        const char* ini;
        QStringList examples;   // of w0 to w3
    } rows[] = {
        {"", {"", "a W1, at last", "do it now", ""}},
        {"[ENGLISH]\nTipExample=1\n", {"", "a W1, at last", "do it now", ""}},
        {"[ENGLISH]\nTipExample=0\n", {"", "", "", ""}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.ini);
        qputenv(kWordNetPathVariable, wnDir.path(QStringLiteral("wn")).toLocal8Bit());
        Rig rig(QString::fromUtf8(r.ini));
        QStringList got;
        for (int i = 0; i < 4; ++i)
            got << rig.c->exampleText(*rig.c->book().atView(i));
        qputenv(kWordNetPathVariable, "");
        EXPECT_EQ(got, r.examples);
    }
}

