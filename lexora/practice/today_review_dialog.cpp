#include "lexora/practice/today_review_dialog.h"

#include "common/ui/template_builder.h"
#include "resources/resources.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>

namespace lex {

using namespace res::review_dlg;

namespace {

int countLabel(Skill d)
{
    switch (d) {
    case Skill::Recognition: return kRecognitionCount;
    case Skill::Spelling: return kSpellingCount;
    case Skill::Listening: return kListeningCount;
    }
    return kRecognitionCount;
}

} // namespace

TodayReviewDialog::TodayReviewDialog(const std::array<int, kSkillCount>& counts, QWidget* parent)
    : CMyBaseDialog(parent)
{
    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_TODAY_REVIEW));
    builder.routeTo(this);
    const QRect client(QPoint(kClientLeft, captionHeight()), builder.clientSize(font()));
    builder.build(this, client.topLeft());
    setFixedSize(client.right() + 1 + 4, client.bottom() + 1 + 4);

    // A degree with nothing due has nothing to practise; the focus starts on the first that has.
    QPushButton* first = nullptr;
    for (Skill d : kSkills) {
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

PracticeMode TodayReviewDialog::practiceFor(Skill d)
{
    switch (d) {
    case Skill::Recognition: return PracticeMode::Learn;
    case Skill::Spelling: return PracticeMode::Dictate;
    case Skill::Listening: return PracticeMode::Listen;
    }
    return PracticeMode::Learn;
}

int TodayReviewDialog::startButton(Skill d)
{
    switch (d) {
    case Skill::Recognition: return kRecognitionStart;
    case Skill::Spelling: return kSpellingStart;
    case Skill::Listening: return kListeningStart;
    }
    return kRecognitionStart;
}

std::optional<Skill> TodayReviewDialog::degreeOfButton(int id)
{
    for (Skill d : kSkills)
        if (startButton(d) == id)
            return d;
    return std::nullopt;
}

bool TodayReviewDialog::onCommand(int id, qintptr param)
{
    if (const std::optional<Skill> d = degreeOfButton(id)) {
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
