#pragma once
// The outer window over a program folder made for the test, with scripted answers and a link
// that records the words sent to the companion.
#include "app_test_support.h"

#include "common/config/profile.h"
#include "common/platform/window_link.h"
#include "lexora/app/lexora_dlg.h"
#include "lexora/app/main_dialog.h"

#include <gtest/gtest.h>
#include <memory>

namespace apptest {

using namespace lex;

struct RecordingLink : WindowLink {
    QStringList words;
    bool find(const QString&) override { return true; }
    bool raise(const QString&) override { return true; }
    bool requestClose(const QString&) override { return false; }
    LinkDelivery deliverWord(const QString&, const QString& word, uint32_t flag, QDeadlineTimer) override
    {
        words << QStringLiteral("%1/%2").arg(word).arg(flag);
        return LinkDelivery::Answered;
    }
};

class Session {
public:
    explicit Session(int count, const QString& extraIni = {})
    {
        pf = apptest::makeProgramFolder(dir, count, extraIni);
        open();
    }
    void open()
    {
        AppServices s = apptest::testServices(&ui);
        s.link = &link;
        w = std::make_unique<CMainDialog>(s, pf.folder);
        EXPECT_TRUE(w->initialise());
        // The sample dictionary may not have been built: its two messages are no failure here.
        for (const QString& m : ui.messages())
            EXPECT_TRUE(m.startsWith(QStringLiteral("不能打开词典文件"))) << m.toStdString();
        ui.base.clear();
    }
    CLexoraDlg* book() const { return w->wordBook(); }
    CMyListCtrl* list() const { return w->wordBook()->list(); }
    void select(std::initializer_list<int> rows) const
    {
        list()->clearSelection();
        for (int r : rows)
            list()->selectionModel()->select(list()->model()->index(r, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QStringList words() const
    {
        QStringList out;
        for (const WordEntry* e : book()->book().view())
            out << e->word().toString();
        return out;
    }
    Profile profile() const { return Profile(pf.folder + QStringLiteral("/Config.INI")); }
    QByteArray file(const QString& name) const { return dir.read(QStringLiteral("home/Book/") + name); }

    lextest::TempDir dir;
    apptest::ProgramFolder pf;
    CheckingServices ui;
    RecordingLink link;
    std::unique_ptr<CMainDialog> w;
};

// Plays the delete confirmation (202): records its question, ticks "本次运行不再确认" when `tick`,
// then presses "确定" (`ok`) or "取消".
std::function<int(QDialog*)> answerDelete(bool ok, bool tick, QStringList* asked = nullptr);

} // namespace apptest
