#pragma once
// A word list over a Book built in memory, with a host that records what the list asks of it.

#include "session_probe.h"
#include "common/platform/sources.h"
#include "lexora/book/book.h"
#include "lexora/book/book_session.h"
#include "lexora/book/list_ops.h"
#include "lexora/wordlist/my_list_ctrl.h"

#include <QApplication>
#include <QHash>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace wltest {

struct FakeHost : lex::ListHost {
    std::map<int, bool> toggles{{1017, true}, {1018, true}, {1019, false}, {1027, false}};
    std::vector<int> commands;
    QStringList statusTexts;
    QStringList spoken;
    QHash<QString, QString> dictionary;   // word -> explanation
    QHash<QString, QString> recall;       // word -> the tip's lines of its learning record
    QHash<QString, QString> examples;     // word -> its English example

    bool isToggleChecked(int id) const override
    {
        const auto it = toggles.find(id);
        return it != toggles.end() && it->second;
    }
    void setSelectionText(const QString& text) override { statusTexts << text; }
    void SpeakWord(const QString& word) override { spoken << word; }
    bool lookUpWord(QStringView word, QString& explanation, QString& phonetic) override
    {
        const auto it = dictionary.constFind(word.toString());
        if (it == dictionary.constEnd())
            return false;
        explanation = *it;
        phonetic = QStringLiteral("x");
        return true;
    }
    QString recallText(const lex::WordEntry& e) override { return recall.value(e.word().toString()); }
    QString exampleText(const lex::WordEntry& e) override { return examples.value(e.word().toString()); }
    bool onCommand(int id, qintptr) override
    {
        commands.push_back(id);
        return true;
    }
};

struct EntrySpec {
    QString word, explanation, phonetic, comment, className;
    int recognition = 0, spelling = 0, listening = 0, temporary = 0;
};

class ListTest : public ::testing::Test {
protected:
    FakeHost host;
    lex::BookSession session;
    lex::Book& book = lextest::writableBook(session);
    const lex::SortState& sort = session.sortState();
    lex::FixedClock clock{QDateTime(QDate(2009, 3, 4), QTime(5, 6))};
    std::unique_ptr<lex::CMyListCtrl> list;

    lex::WordEntry* add(const EntrySpec& s)
    {
        auto e = std::make_unique<lex::WordEntry>();
        e->setWord(s.word);
        e->setExplanation(s.explanation);
        e->setPhonetic(s.phonetic);
        e->setComment(s.comment);
        e->setClassName(s.className);
        e->stored.recognition = uint8_t(s.recognition);
        e->stored.spelling = uint8_t(s.spelling);
        e->stored.listening = uint8_t(s.listening);
        e->temporary = uint8_t(s.temporary);
        e->stored.review = lex::EntryTime{8, 1, 2, 3, 4};
        e->stored.added = lex::EntryTime{7, 11, 12, 13, 14};
        lex::WordEntry* raw = e.get();
        return book.AddEntry(std::move(e), lex::AddMode::Loaded) ? raw : nullptr;
    }
    void addWords(std::initializer_list<const char*> words)
    {
        for (const char* w : words)
            add({QString::fromUtf8(w), QStringLiteral("释义 ") + QString::fromUtf8(w)});
    }

    void makeList(QSize size = QSize(900, 400))
    {
        list = std::make_unique<lex::CMyListCtrl>(&host, &session, &clock);
        list->resize(size);
        list->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
        list->setFocus();
        QApplication::processEvents();
    }

    lex::WordEntry* at(int row) const { return book.atView(row); }
    QModelIndex cell(int row, int column) const { return list->model()->index(row, column); }
    QPoint centre(int row, int column) const { return list->visualRect(cell(row, column)).center(); }

    void click(int row, int column, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(list->viewport(), button, {}, centre(row, column));
        QApplication::processEvents();
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = {})
    {
        QTest::keyClick(list.get(), k, mods);
        QApplication::processEvents();
    }
    void hover(int row, int column, Qt::KeyboardModifiers mods = {}, QPoint offset = {})
    {
        const QPoint p = centre(row, column) + offset;
        QMouseEvent move(QEvent::MouseMove, p, list->viewport()->mapToGlobal(p), Qt::NoButton, Qt::NoButton, mods);
        QApplication::sendEvent(list->viewport(), &move);
        QApplication::processEvents();
    }
    void selectRows(std::initializer_list<int> rows)
    {
        list->clearSelection();
        for (int r : rows)
            list->selectionModel()->select(cell(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void clickHeader(int column)
    {
        QHeaderView* h = list->horizontalHeader();
        const QPoint p(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, p);
        QApplication::processEvents();
    }
    QStringList words() const
    {
        QStringList out;
        for (int r = 0; r < list->itemCount(); ++r)
            out << list->model()->index(r, 1).data().toString();
        return out;
    }
    lex::EntryTime stamped() const { return lex::toEntryTime(clock.localNow()); }
};

} // namespace wltest
