#pragma once
// TodayPlanDialog (今日计划): today's new words and reviews with what is done of them, the forecast
// day the Book will have been learned and the streak; the plan's two numbers, which 保存计划
// keeps (closing the dialog, which the owner opens again with the new figures); and one button that closes the dialog to select today's words and start the practice
// chosen beside it.

#include "common/frame/my_base_dialog.h"
#include "lexora/book/skills.h"
#include "lexora/record/study_record.h"

#include <optional>

namespace lex {

class TodayPlanDialog : public CMyBaseDialog {
    Q_OBJECT
public:
    // `planSet` false: the numbers shown are the default plan's, and 保存计划 sets it.
    TodayPlanDialog(const StudyState& state, bool planSet, QWidget* parent = nullptr);

    bool onCommand(int id, qintptr param) override;

    // The plan 保存计划 asked for; none when it was not pressed.
    const std::optional<PlanSettings>& savedPlan() const { return saved_; }
    // The practice the start button asked for; none after 关闭 or Esc.
    std::optional<PracticeMode> chosen() const { return chosen_; }

    // The practice modes in the order of the choice: 初记, 强记, 听辩, 听写.
    static PracticeMode modeAt(int index);

private:
    std::optional<PlanSettings> readPlan() const;

    PlanSettings plan_;
    std::optional<PlanSettings> saved_;
    std::optional<PracticeMode> chosen_;
};

} // namespace lex
