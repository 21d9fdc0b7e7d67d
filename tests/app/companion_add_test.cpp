// Glosix's "AddTo" as the word-book window takes it: added as the add dialog adds a word, shown in
// the list at once, never twice.
#include "session_probe.h"
#include "common/config/config_keys.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_session.h"
#include "word_book_fixture.h"

#include <QSignalSpy>

using namespace lex;

TEST(CompanionAdd, TheWordJoinsTheOpenBookOnceAndTheListShowsItAtOnce)
{
    apptest::Session s(5);
    s.w->show();
    s.profile().writeStruct(config::kAddModify, config::kStrangeIndex, QByteArray("\x01\x02\x03", 3));
    QAbstractItemModel* model = s.list()->model();
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    const QString existing = s.words().at(2);
    lextest::writableBook(s.book()->session()).textChanged = false;

    // Already there, also as the add dialog would store the typed form: said, nothing changes.
    EXPECT_EQ(s.book()->addFromCompanion(existing), LinkAddOutcome::AlreadyInBook);
    EXPECT_EQ(s.book()->addFromCompanion(existing + QStringLiteral(", ")), LinkAddOutcome::AlreadyInBook);
    EXPECT_EQ(s.book()->addFromCompanion(QStringLiteral(" - ")), LinkAddOutcome::Refused);
    EXPECT_EQ(model->rowCount(), 5);
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_FALSE(s.book()->book().textChanged);

    // "zoo" is in the sample dictionary: its phonetic and explanation come with it.
    QString explanation, phonetic;
    const bool known = s.book()->lookUpWord(QStringLiteral("zoo"), explanation, phonetic);
    ASSERT_EQ(s.book()->addFromCompanion(QStringLiteral("zoo/")), LinkAddOutcome::Added);
    ASSERT_EQ(model->rowCount(), 6);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(s.words().last(), QStringLiteral("zoo"));
    const WordEntry* e = s.book()->book().atView(5);
    EXPECT_EQ(e->phonetic(), known ? phonetic : QString());
    EXPECT_EQ(e->explanation(), known ? explanation : QString());
    EXPECT_EQ(e->stored.recognition, 1);
    EXPECT_EQ(e->stored.spelling, 2);
    EXPECT_EQ(e->stored.listening, 3);
    EXPECT_TRUE(s.book()->book().textChanged) << "the next save writes its text";
    EXPECT_TRUE(s.list()->selectedRows().empty()) << "the learner's selection is left alone";
    EXPECT_EQ(s.book()->addFromCompanion(QStringLiteral("zoo")), LinkAddOutcome::AlreadyInBook);
    EXPECT_EQ(s.book()->addFromCompanion(QStringLiteral("Zoo")), LinkAddOutcome::Added) << "case tells words apart";

    // Each add is a step of the window's history, as the add dialog's is.
    BookSession& h = s.book()->session();
    ASSERT_TRUE(h.history().canUndo());
    h.undo();
    EXPECT_EQ(model->rowCount(), 6);
    EXPECT_EQ(s.words().last(), QStringLiteral("zoo"));
    h.redo();
    EXPECT_EQ(model->rowCount(), 7);
    EXPECT_EQ(s.words().last(), QStringLiteral("Zoo"));

    // Saved and opened again, it is there once.
    s.book()->onCommand(cmd::kSave, 0);
    s.w.reset();
    s.open();
    EXPECT_EQ(s.words().count(QStringLiteral("zoo")), 1);
    EXPECT_EQ(s.words().size(), 7);
}

TEST(CompanionAdd, ABookThatCouldNotBeReadTakesNoWord)
{
    apptest::Session s(3);
    lextest::writableBook(s.book()->session()).loadFailed = true;
    EXPECT_EQ(s.book()->addFromCompanion(QStringLiteral("kiwi")), LinkAddOutcome::Refused);
    EXPECT_EQ(s.list()->model()->rowCount(), 3);
}
