#include "lexora/practice/today_plan_dialog.h"

#include "common/ui/template_builder.h"
#include "lexora/texts/lexora_texts.h"
#include "resources/resources.h"

#include <QComboBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lex {

using namespace res::plan_dlg;

TodayPlanDialog::TodayPlanDialog(const StudyState& state, bool planSet, QWidget* parent)
    : CMyBaseDialog(parent), plan_(state.plan)
{
    ui::TemplateBuilder builder(res::dialogTemplate(res::IDD_TODAY_PLAN));
    builder.routeTo(this);
    const QRect client(QPoint(kClientLeft, captionHeight()), builder.clientSize(font()));
    builder.build(this, client.topLeft());
    setFixedSize(client.right() + 1 + 4, client.bottom() + 1 + 4);

    const StudyDay& t = state.history.plan.today;
    const QDate today = QDate::fromJulianDay(t.day);
    ui::control<QLabel>(this, kNewCount)->setText(QStringLiteral("%1/%2").arg(t.doneNew).arg(t.plannedNew));
    ui::control<QLabel>(this, kReviewCount)
        ->setText(QStringLiteral("%1/%2 (到期 %3)").arg(t.doneReviews).arg(t.plannedReviews).arg(state.history.plan.reviewsDue));
    ui::control<QLabel>(this, kForecast)->setText(texts::forecastText(state.forecast, today));
    ui::control<QLabel>(this, kStreak)
        ->setText(planSet ? texts::streakText(state.streaks.current, state.streaks.longest)
                          : QStringLiteral("尚未设定计划：保存计划后开始打卡"));
    auto* fresh = ui::control<QLineEdit>(this, kNewPerDay);
    auto* cap = ui::control<QLineEdit>(this, kReviewCap);
    fresh->setValidator(new QIntValidator(0, PlanSettings::kMaxNewPerDay, fresh));
    cap->setValidator(new QIntValidator(0, PlanSettings::kMaxReviewCap, cap));
    fresh->setText(QString::number(plan_.newPerDay));
    cap->setText(QString::number(plan_.reviewCap));
    auto* modes = ui::control<QComboBox>(this, kMode);
    const QSignalBlocker quiet(modes);
    modes->setCurrentIndex(0);
    auto* start = ui::control<QPushButton>(this, kStart);
    start->setEnabled(!state.history.plan.rowsToDo().empty());
    if (start->isEnabled())
        start->setFocus();
}

PracticeMode TodayPlanDialog::modeAt(int index)
{
    switch (index) {
    case 1: return PracticeMode::Drill;
    case 2: return PracticeMode::Listen;
    case 3: return PracticeMode::Dictate;
    default: return PracticeMode::Learn;
    }
}

std::optional<PlanSettings> TodayPlanDialog::readPlan() const
{
    bool okNew = false, okCap = false;
    PlanSettings p = plan_;
    p.newPerDay = ui::control<QLineEdit>(this, kNewPerDay)->text().toInt(&okNew);
    p.reviewCap = ui::control<QLineEdit>(this, kReviewCap)->text().toInt(&okCap);
    if (!okNew || !okCap || p.newPerDay < 0 || p.reviewCap < 0 || p.newPerDay > PlanSettings::kMaxNewPerDay
        || p.reviewCap > PlanSettings::kMaxReviewCap)
        return std::nullopt;
    return p;
}

bool TodayPlanDialog::onCommand(int id, qintptr param)
{
    switch (id) {
    case kSavePlan:
        // Kept at once; the owner opens the plan again with what the new numbers give.
        if (const std::optional<PlanSettings> p = readPlan()) {
            saved_ = plan_ = *p;
            endDialog(QDialog::Accepted);
        }
        return true;
    case kStart:
    case ui::IDOK:
        if (!ui::control<QPushButton>(this, kStart)->isEnabled())
            return true;
        chosen_ = modeAt(ui::control<QComboBox>(this, kMode)->currentIndex());
        endDialog(QDialog::Accepted);
        return true;
    default:
        return CMyBaseDialog::onCommand(id, param);
    }
}

} // namespace lex
