#include "lexora/practice/today_review_dialog.h"

#include "common/ui/template_builder.h"
#include "resources/resources.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>

namespace lex {

using namespace res::review_dlg;

namespace {

int countLabel(ReviewDegree d)
{
    switch (d) {
    case ReviewDegree::Recognition: return kRecognitionCount;
    case ReviewDegree::Spelling: return kSpellingCount;
    case ReviewDegree::Listening: return kListeningCount;
    }
    return kRecognitionCount;
}

} // namespace

TodayReviewDialog::TodayReviewDialog(const std::array<int, kReviewDegreeCount>& counts, QWidget* parent)
    : CMyBaseDialog(parent)
{
    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_TODAY_REVIEW));
    builder.routeTo(this);
    const QRect client(QPoint(kClientLeft, captionHeight()), builder.clientSize(font()));
    builder.build(this, client.topLeft());
    setFixedSize(client.right() + 1 + 4, client.bottom() + 1 + 4);

    // A degree with nothing due has nothing to practise; the focus starts on the first that has.
    QPushButton* first = nullptr;
    for (ReviewDegree d : kReviewDegrees) {
        const int n = counts[size_t(d)];
        ui::control<QLabel>(this, countLabel(d))->setText(QString::number(n));
        auto* b = ui::control<QPushButton>(this, startButton(d));
        b->setEnabled(n > 0);
        b->setDefault(false);
        if (n > 0 && !first)
            first = b;
    }
    if (first) {
        first->setDefault(true);
        first->setFocus();
    } else if (auto* close = ui::control<QPushButton>(this, ui::IDCANCEL)) {
        close->setDefault(true);
        close->setFocus();
    }
}

PracticeMode TodayReviewDialog::practiceFor(ReviewDegree d)
{
    switch (d) {
    case ReviewDegree::Recognition: return PracticeMode::Learn;
    case ReviewDegree::Spelling: return PracticeMode::Dictate;
    case ReviewDegree::Listening: return PracticeMode::Listen;
    }
    return PracticeMode::Learn;
}

int TodayReviewDialog::startButton(ReviewDegree d)
{
    switch (d) {
    case ReviewDegree::Recognition: return kRecognitionStart;
    case ReviewDegree::Spelling: return kSpellingStart;
    case ReviewDegree::Listening: return kListeningStart;
    }
    return kRecognitionStart;
}

std::optional<ReviewDegree> TodayReviewDialog::degreeOfButton(int id)
{
    for (ReviewDegree d : kReviewDegrees)
        if (startButton(d) == id)
            return d;
    return std::nullopt;
}

bool TodayReviewDialog::onCommand(int id, qintptr param)
{
    if (const std::optional<ReviewDegree> d = degreeOfButton(id)) {
        // Enter reaches here as the default button's command; a disabled one does nothing.
        if (!ui::control<QAbstractButton>(this, id)->isEnabled())
            return true;
        chosen_ = d;
        endDialog(QDialog::Accepted);
        return true;
    }
    if (id == ui::IDOK)
        return true;   // Enter with no button to press closes nothing
    return CMyBaseDialog::onCommand(id, param);
}

} // namespace lex
