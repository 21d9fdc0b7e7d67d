#include "lexora/stats/statistics_window.h"

#include "common/platform/env.h"
#include "common/platform/user_services.h"
#include "common/ui/template_builder.h"
#include "lexora/stats/statistics_charts.h"
#include "lexora/texts/lexora_texts.h"

#include <QBuffer>
#include <QChartView>

#include "lexora/stats/check_in_calendar.h"
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace lex {

using Page = StudyStatistics::Page;

namespace {

template <class W> W* numbered(W* w, int id)
{
    w->setProperty(ui::kControlIdProperty, id);
    return w;
}

QLabel* centredText(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    return l;
}

} // namespace

StatisticsWindow::StatisticsWindow(StudyStatistics::Source source, Deps deps, QWidget* parent)
    : CommandDialog(parent), deps_(std::move(deps))
{
    setWindowTitle(QStringLiteral("学习统计"));
    setSizeGripEnabled(true);
    resize(960, 720);

    auto* layout = new QVBoxLayout(this);
    notice_ = numbered(new QLabel(this), kNotice);
    notice_->setWordWrap(true);
    notice_->setTextFormat(Qt::PlainText);
    notice_->setStyleSheet(QStringLiteral("QLabel { background: #FFF6D5; border: 1px solid #E0C060; padding: 6px; }"));
    layout->addWidget(notice_);

    tabs_ = numbered(new QTabWidget(this), kPages);
    for (int i = 0; i < StudyStatistics::kPageCount; ++i) {
        auto* holder = new QWidget(tabs_);
        auto* l = new QVBoxLayout(holder);
        l->setContentsMargins(0, 0, 0, 0);
        holders_.push_back(holder);
        tabs_->addTab(holder, StudyStatistics::pageTitle(Page(i)));
    }
    layout->addWidget(tabs_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto addButton = [&](int id, const QString& text) {
        auto* b = numbered(new QPushButton(text, this), id);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, id] { onCommand(id, 0); });
        buttons->addWidget(b);
    };
    addButton(kSaveImage, QStringLiteral("保存图片(&P)..."));
    addButton(kSaveData, QStringLiteral("导出数据(&D)..."));
    addButton(ui::IDCANCEL, QStringLiteral("关闭"));
    layout->addLayout(buttons);

    statistics_.start(std::move(source));
    connect(&statistics_, &StudyStatistics::recordReady, this, &StatisticsWindow::fillPages);
    connect(tabs_, &QTabWidget::currentChanged, this, &StatisticsWindow::enableSaving);
    fillPages();
    // A Book without a record opens where there is something to see.
    tabs_->setCurrentIndex(statistics_.hasRecord() ? int(Page::AnswersMonth) : int(Page::Degrees));
    enableSaving();
    tabs_->tabBar()->setFocus();
}

StudyStatistics::Page StatisticsWindow::currentPage() const { return Page(tabs_->currentIndex()); }

QWidget* StatisticsWindow::pageContent(Page page) const
{
    QLayout* l = holders_[size_t(page)]->layout();
    return l->count() ? l->itemAt(0)->widget() : nullptr;
}

QString StatisticsWindow::noticeText() const
{
    if (!statistics_.recordError().isEmpty())
        return texts::statisticsUnreadNotice(statistics_.recordError());
    if (!statistics_.hasRecord())
        return texts::statisticsNoRecordNotice();
    return {};
}

// Book pages are drawn at once; the record's pages once it has been read (a placeholder until
// then), or a plain sentence when there is no record.
void StatisticsWindow::fillPages()
{
    const bool loaded = statistics_.recordLoaded();
    const bool usable = statistics_.hasRecord() && statistics_.recordError().isEmpty();
    auto setContent = [this](int i, QWidget* content) {
        QLayout* l = holders_[size_t(i)]->layout();
        while (QLayoutItem* item = l->takeAt(0)) {
            delete item->widget();
            delete item;
        }
        l->addWidget(content);
    };
    for (int i = 0; i < StudyStatistics::kPageCount; ++i) {
        const Page page = Page(i);
        QWidget* holder = holders_[size_t(i)];
        const bool fromRecord = StudyStatistics::needsRecord(page) || page == Page::Due;
        if (!fromRecord) {
            if (!pageContent(page))
                setContent(i, stats_charts::makePage(page, statistics_, holder));
        } else if (!loaded) {
            if (!pageContent(page))
                setContent(i, centredText(texts::statisticsReadingPlaceholder(), holder));
        } else if (!recordDrawn_) {
            setContent(i, StudyStatistics::needsRecord(page) && !usable
                              ? centredText(texts::statisticsNoRecordPlaceholder(), holder)
                              : stats_charts::makePage(page, statistics_, holder));
        }
    }
    recordDrawn_ = loaded;
    enableSaving();
    const QString notice = noticeText();
    notice_->setText(notice);
    notice_->setVisible(!notice.isEmpty());
}

namespace {
// Only a page with charts (or the calendar) has a picture and figures to save.
bool hasFigures(const QWidget* content)
{
    return content && (content->findChild<QChartView*>() || content->findChild<CheckInCalendar*>());
}
} // namespace

void StatisticsWindow::enableSaving()
{
    const bool charted = hasFigures(pageContent(currentPage()));
    for (int id : {kSaveImage, kSaveData})
        if (QWidget* b = ui::findControl(this, id))
            b->setEnabled(charted);
}

bool StatisticsWindow::onCommand(int id, qintptr param)
{
    switch (id) {
    case kSaveImage:
        save(true);
        return true;
    case kSaveData:
        save(false);
        return true;
    case ui::IDCANCEL:
        statistics_.cancel(); // closed before the record was in: it is not read to the end
        return CommandDialog::onCommand(id, param);
    default:
        return CommandDialog::onCommand(id, param);
    }
}

void StatisticsWindow::save(bool image)
{
    if (!deps_.ui)
        return;
    const Page page = currentPage();
    QWidget* content = pageContent(page);
    if (!hasFigures(content))
        return;
    const QString suffix = image ? QStringLiteral(".png") : QStringLiteral(".csv");
    const QString suggested = deps_.saveFolder + deps_.bookName + QLatin1Char('-') + StudyStatistics::pageTitle(page) + suffix;
    QString path = deps_.ui->saveFileName(this, suggested,
                                          image ? QStringLiteral("PNG图片 (*.png)|*.png||")
                                                : QStringLiteral("CSV表格 (*.csv)|*.csv||"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += suffix;

    QByteArray bytes;
    if (image) {
        // A window never shown (a test, a script) has no size yet: give the page the window's.
        if (content->size().isEmpty() || !content->isVisible())
            content->resize(tabs_->size().isEmpty() ? QSize(900, 600) : tabs_->size());
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        content->grab().toImage().save(&buffer, "PNG");
    } else {
        // The byte-order mark lets spreadsheet programs read the Chinese headers as UTF-8.
        bytes = QByteArray("\xEF\xBB\xBF") + statistics_.csv(page).toUtf8();
    }
    Env* env = orDefault(deps_.env);
    if (const Status s = writeFileAtomically(env, path, bytes); !s)
        deps_.ui->messageBox(this, texts::statisticsSaveFailure(path, s));
}

} // namespace lex
