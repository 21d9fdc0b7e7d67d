#pragma once
// TodayReviewDialog (今日复习): how many entries are due today for recognition, spelling and
// listening, and a button for each that closes the dialog with that degree chosen. The caller
// selects the due rows and starts the matching practice through the usual set-up.

#include "common/frame/my_base_dialog.h"
#include "lexora/practice/practice_engine.h"
#include "lexora/practice/review_plan.h"

#include <array>
#include <optional>

namespace lex {

class TodayReviewDialog : public CMyBaseDialog {
    Q_OBJECT
public:
    TodayReviewDialog(const std::array<int, kReviewDegreeCount>& counts, QWidget* parent = nullptr);

    bool onCommand(int id, qintptr param) override;

    // The degree whose button closed the dialog; empty after 关闭 or Esc.
    std::optional<ReviewDegree> chosen() const { return chosen_; }

    // The practice that reviews a degree: recognition → 初记, spelling → 听写, listening → 听辩.
    static PracticeMode practiceFor(ReviewDegree d);
    // The button of a degree, and the degree of a button.
    static int startButton(ReviewDegree d);
    static std::optional<ReviewDegree> degreeOfButton(int id);

private:
    std::optional<ReviewDegree> chosen_;
};

} // namespace lex
