#pragma once
// TodayReviewDialog (今日复习): how many entries are due today for recognition, spelling and
// listening, and a button for each that closes the dialog with that degree chosen. The caller
// selects the due rows and starts the matching practice through the usual set-up.

#include "common/frame/my_base_dialog.h"
#include "lexora/practice/practice_engine.h"
#include "lexora/record/review_plan.h"

#include <array>
#include <optional>

namespace lex {

class TodayReviewDialog : public CMyBaseDialog {
    Q_OBJECT
public:
    TodayReviewDialog(const std::array<int, kSkillCount>& counts, QWidget* parent = nullptr);

    bool onCommand(int id, qintptr param) override;

    // The degree whose button closed the dialog; empty after 关闭 or Esc.
    std::optional<Skill> chosen() const { return chosen_; }

    // The practice that reviews a degree: recognition → 初记, spelling → 听写, listening → 听辩.
    static PracticeMode practiceFor(Skill d);
    // The button of a degree, and the degree of a button.
    static int startButton(Skill d);
    static std::optional<Skill> degreeOfButton(int id);

private:
    std::optional<Skill> chosen_;
};

} // namespace lex
