// The word-book window's import/export and practice commands (today's review among them): they hand the window's session, list
// and services to the dialogs of the exchange and practice code.
#include "lexora/app/lexora_dlg.h"

#include "common/config/config_keys.h"
#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "common/platform/window_link.h"
#include "common/platform/user_services.h"
#include "lexora/app/word_book_session.h"
#include "lexora/exchange/import_dialog.h"
#include "lexora/link/companion_link.h"
#include "lexora/practice/practice_run.h"
#include "lexora/practice/practice_trace.h"
#include "lexora/practice/today_review_dialog.h"

#include <QGuiApplication>

namespace lex {

void CLexoraDlg::openImportExport(bool importMode)
{
    ImportExportHost host;
    host.session = &session_;
    host.list = list_;
    host.ui = services_.ui;
    host.env = services_.env;
    host.clock = services_.clock;
    host.lookUp = [this](QStringView word, QString& explanation, QString& phonetic) {
        return dict_.LookUpWord(word, explanation, phonetic);
    };
    host.programFolder = programFolder_;
    host.previewFont = dialogFont_;
    CMyImportDialog dialog(importMode, host, this);
    services_.ui->runModal(&dialog);
}

void CLexoraDlg::runPracticeCommand(int id)
{
    PracticeMode mode = PracticeMode::Learn;
    switch (id) {
    case cmd::kListen: mode = PracticeMode::Listen; break;
    case cmd::kLearn: mode = PracticeMode::Learn; break;
    case cmd::kDrill: mode = PracticeMode::Drill; break;
    case cmd::kDictate: mode = PracticeMode::Dictate; break;
    default: return;
    }
    PracticeRunHost host;
    host.session = &session_;
    host.list = list_;
    host.owner = this;
    host.outerWindow = window() != this ? window() : nullptr;
    PracticeWindowDeps& d = host.window;
    d.ui = services_.ui;
    d.random = services_.random;
    d.clock = services_.clock;
    d.speak = [this](QStringView word) { SpeakWord(word.toString()); };
    // 例句: the run's words go to the companion dictionary through the window's own link.
    if (companion_) {
        PracticeSinks sinks;
        companion_->connectPracticeSinks(sinks);
        d.sendToCompanion = std::move(sinks.sendToCompanion);
        d.closeCompanion = std::move(sinks.closeCompanion);
    }
    d.configPath = programFolder_ + QLatin1Char('/') + config::kFileName;
    d.env = services_.env;
    d.phoneticFont = phoneticFont_;
    d.upperCase = isToggleChecked(cmd::kToggleCase);
    d.trace = PracticeTrace::fromEnvironment(services_.env ? services_.env : Env::defaultEnv());
    host.lookUp = [this](QStringView word, QString& explanation, QString& phonetic) {
        return dict_.LookUpWord(word, explanation, phonetic);
    };
    if (runPractice(mode, host))
        startStatusAnimation();
}

void CLexoraDlg::openTodayReview()
{
    const Clock& clock = services_.clock ? *services_.clock : *Clock::system();
    const ReviewPlan plan = planReview(session_.book().view(), reviewDay(clock));
    TodayReviewDialog dialog(plan.counts, this);
    if (services_.ui->runModal(&dialog) != QDialog::Accepted || !dialog.chosen())
        return;
    const ReviewDegree degree = *dialog.chosen();
    {
        // Selecting tens of thousands of scattered rows takes the list a moment.
        const std::vector<int> rows = plan.rows(degree);
        const bool slow = rows.size() > 20000;
        if (slow)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        list_->selectRows(rows);
        if (slow)
            QGuiApplication::restoreOverrideCursor();
    }
    int command = cmd::kLearn;
    switch (TodayReviewDialog::practiceFor(degree)) {
    case PracticeMode::Listen: command = cmd::kListen; break;
    case PracticeMode::Dictate: command = cmd::kDictate; break;
    case PracticeMode::Drill: command = cmd::kDrill; break;
    case PracticeMode::Learn: command = cmd::kLearn; break;
    }
    runPracticeCommand(command);
}

} // namespace lex
