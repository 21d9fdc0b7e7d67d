#pragma once
// 学习统计: the learner's progress in charts, a page each (answers of the last 30 days and of the
// last year, words due in the next 30 days, predicted recall, the stored degrees, words added per
// month). The pages that need the learning record fill in when it has been read; a Book without
// a record says so above the pages and still shows what the Book itself holds. Each page can be
// saved as a PNG picture and its figures as CSV, through the file chooser of the services.
// Keys: Esc closes, Ctrl+Tab / Ctrl+Shift+Tab (or the arrows on the page tabs) change the page.

#include "common/ui/command.h"
#include "lexora/stats/study_statistics.h"
#include "resources/resource_ids.h"

class QLabel;
class QTabWidget;

namespace lex {

class UserServices;

class StatisticsWindow final : public ui::CommandDialog {
    Q_OBJECT
public:
    static constexpr int kPages = res::stats_dlg::kPages, kNotice = res::stats_dlg::kNotice,
                         kSaveImage = res::stats_dlg::kSaveImage, kSaveData = res::stats_dlg::kSaveData;

    struct Deps {
        UserServices* ui = nullptr;
        Env* env = nullptr;       // where the saved files are written; null: the default
        QString saveFolder;       // the file choosers start here ('/'-terminated)
        QString bookName;         // in the suggested file names
    };

    StatisticsWindow(StudyStatistics::Source source, Deps deps, QWidget* parent = nullptr);

    // kSaveImage, kSaveData act on the page shown; IDCANCEL closes.
    bool onCommand(int id, qintptr param) override;

    StudyStatistics& statistics() { return statistics_; }
    StudyStatistics::Page currentPage() const;
    // The page's chart area (its chart views inside), for saving and for tests.
    QWidget* pageContent(StudyStatistics::Page page) const;

private:
    void fillPages();
    void save(bool image);
    void enableSaving();
    QString noticeText() const;

    Deps deps_;
    StudyStatistics statistics_;
    QTabWidget* tabs_ = nullptr;
    QLabel* notice_ = nullptr;
    std::vector<QWidget*> holders_; // one per page; its content is replaced when the record is in
    bool recordDrawn_ = false;
};

} // namespace lex
