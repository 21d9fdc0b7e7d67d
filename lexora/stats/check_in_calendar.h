#pragma once
// The calendar page of 学习统计: the last 12 months as a heat map of answers, a square a day in
// week columns, the days checked in framed (made up ones in another colour), missed days dotted,
// and the current and the longest streak above.

#include "lexora/record/check_in.h"

#include <QDate>
#include <QWidget>
#include <map>
#include <vector>

namespace lex {

class CheckInCalendar final : public QWidget {
    Q_OBJECT
public:
    // `answers`: per day, oldest first, the last one `today`.
    CheckInCalendar(QDate today, std::vector<int> answers, const Streaks& streaks, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // The state of `day` as drawn (Nothing where no day of the streaks is).
    CheckIn stateOf(QDate day) const;
    // The shade of a day with `n` answers, 0 (none) to 4 (the busiest days).
    int shadeOf(int n) const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QRect cellRect(int index) const; // of the day answers_[index]

    QDate today_, first_;
    std::vector<int> answers_;
    std::map<int, CheckIn> states_;
    int current_ = 0, longest_ = 0, busiest_ = 0;
};

} // namespace lex
