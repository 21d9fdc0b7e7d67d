#pragma once
// Helpers of the main program's window tests: scripted answers that can also tick the check box
// of a question, and a program folder with a Book built through the core.

#include "common/platform/user_services.h"
#include "lexora/app/app_services.h"
#include "scripted_services.h"
#include "temp_dir.h"

#include <QString>
#include <deque>
#include <map>

namespace apptest {

// ScriptedServices plus the state of the check box under a question.
class CheckingServices final : public lex::UserServices {
public:
    lextest::ScriptedServices base;

    void queueAnswer(lex::MessageAnswer a) { base.queueAnswer(a); }
    // The state the user leaves the next question's check box in.
    void queueCheck(bool ticked) { checks_.push_back(ticked); }
    QStringList messages() const { return base.messages(); }
    QStringList checkTexts() const { return checkTexts_; }

    lex::MessageAnswer messageBox(QWidget* owner, const QString& text, const QString& caption = {},
                                  lex::MessageButtons buttons = lex::MessageButtons::Ok,
                                  lex::MessageIcon icon = lex::MessageIcon::None) override
    {
        return base.messageBox(owner, text, caption, buttons, icon);
    }
    lex::MessageAnswer messageBoxWithCheck(QWidget* owner, const QString& text, const QString& checkText,
                                           bool* checked, const QString& caption = {},
                                           lex::MessageButtons buttons = lex::MessageButtons::OkCancel) override
    {
        checkTexts_ << checkText;
        const lex::MessageAnswer a = base.messageBox(owner, text, caption, buttons);
        if (!checks_.empty()) {
            *checked = checks_.front();
            checks_.pop_front();
        }
        return a;
    }
    QString openFileName(QWidget* o, const QString& p, const QString& f) override { return base.openFileName(o, p, f); }
    QString saveFileName(QWidget* o, const QString& p, const QString& f) override { return base.saveFileName(o, p, f); }
    QString folder(QWidget* o, const QString& t, const QString& p) override { return base.folder(o, t, p); }
    QColor color(QWidget* o, const QColor& c) override { return base.color(o, c); }
    bool openExternally(const QString& p) override { return base.openExternally(p); }
    // Every modal dialog goes to `modalHook` when a test set one, else to the queued scripts.
    std::function<int(QDialog&)> modalHook;
    int runModal(QDialog* d) override { return modalHook ? modalHook(*d) : base.runModal(d); }
    void queueDialog(std::function<int(QDialog*)> script) { base.queueDialog(std::move(script)); }

private:
    std::deque<bool> checks_;
    QStringList checkTexts_;
};

// Writes a Book of `count` entries ("w0", "w1", ... with explanation "e0", ...) through the core.
// Entry i has recognition strangeness i % 11.
void writeBook(const QString& folder, const QString& name, int count);

// A program folder in `dir`: Book/ with a Book "English" of `count` entries, Voice/, the sample
// dictionary when it has been built, and a Config.INI that names the Book, switches speech off
// and is not a first start, plus `extra` lines.
struct ProgramFolder {
    QString folder;
    QString bookPath;   // folder + "/Book/"
};
ProgramFolder makeProgramFolder(const lextest::TempDir& dir, int count, const QString& extraIni = {});

// Services for a window test: the answers of `ui`, a link that finds nobody, modal dialogs
// closed at once unless the test answers them, a recording browser.
lex::AppServices testServices(lex::UserServices* ui);

} // namespace apptest
