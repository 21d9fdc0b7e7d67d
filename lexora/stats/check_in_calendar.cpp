#include "lexora/stats/check_in_calendar.h"

#include "lexora/texts/lexora_texts.h"

#include <QPainter>
#include <algorithm>

namespace lex {

namespace {

constexpr int kCell = 12, kGap = 3, kLeft = 34, kTop = 52;
const QColor kShades[5] = {QColor(0xEB, 0xED, 0xF0), QColor(0xC6, 0xE4, 0x8B), QColor(0x7B, 0xC9, 0x6F),
                           QColor(0x23, 0x9A, 0x3B), QColor(0x19, 0x61, 0x27)};
const QColor kDone(0x1F, 0x5F, 0xBF), kMadeUp(0xE0, 0x8E, 0x0B), kMissed(0xD0, 0x30, 0x30);

} // namespace

CheckInCalendar::CheckInCalendar(QDate today, std::vector<int> answers, const Streaks& streaks, QWidget* parent)
    : QWidget(parent), today_(today), answers_(std::move(answers)), current_(streaks.current), longest_(streaks.longest)
{
    first_ = today_.addDays(1 - qint64(answers_.size()));
    for (const CheckInDay& d : streaks.days)
        states_[d.day] = d.state;
    for (int n : answers_)
        busiest_ = std::max(busiest_, n);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

CheckIn CheckInCalendar::stateOf(QDate day) const
{
    const auto it = states_.find(int(day.toJulianDay()));
    return it == states_.end() ? CheckIn::Nothing : it->second;
}

int CheckInCalendar::shadeOf(int n) const
{
    if (n <= 0 || busiest_ <= 0)
        return 0;
    return std::clamp(1 + (n - 1) * 4 / busiest_, 1, 4);
}

QRect CheckInCalendar::cellRect(int index) const
{
    // Weeks run Monday to Sunday down a column; the first column holds the first day's week.
    const QDate day = first_.addDays(index);
    const int offset = first_.dayOfWeek() - 1 + index;
    return QRect(kLeft + (offset / 7) * (kCell + kGap), kTop + (day.dayOfWeek() - 1) * (kCell + kGap), kCell, kCell);
}

QSize CheckInCalendar::sizeHint() const
{
    const int weeks = (first_.dayOfWeek() - 1 + int(answers_.size()) + 6) / 7;
    return QSize(kLeft + weeks * (kCell + kGap) + 16, kTop + 7 * (kCell + kGap) + 44);
}

void CheckInCalendar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRect(kLeft, 6, width() - kLeft, 20), Qt::AlignLeft | Qt::AlignVCenter, texts::streakText(current_, longest_));
    p.setFont(font());
    // Month names over the column of each month's first day; weekday names down the left.
    for (int i = 0; i < int(answers_.size()); ++i) {
        const QDate day = first_.addDays(i);
        if (day.day() == 1 || i == 0) {
            const QRect r = cellRect(i);
            p.setPen(Qt::darkGray);
            p.drawText(QRect(r.left(), kTop - 18, 40, 14), Qt::AlignLeft, QStringLiteral("%1月").arg(day.month()));
        }
    }
    const QString weekdays[7] = {QStringLiteral("一"), QString(), QStringLiteral("三"), QString(), QStringLiteral("五"), QString(), QStringLiteral("日")};
    for (int d = 0; d < 7; ++d)
        p.drawText(QRect(4, kTop + d * (kCell + kGap) - 1, kLeft - 8, kCell + 2), Qt::AlignRight | Qt::AlignVCenter, weekdays[d]);
    for (int i = 0; i < int(answers_.size()); ++i) {
        const QRect r = cellRect(i);
        p.setPen(Qt::NoPen);
        p.setBrush(kShades[shadeOf(answers_[size_t(i)])]);
        p.drawRoundedRect(r, 2, 2);
        switch (stateOf(first_.addDays(i))) {
        case CheckIn::Done:
        case CheckIn::MadeUp:
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(stateOf(first_.addDays(i)) == CheckIn::Done ? kDone : kMadeUp, 2));
            p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 2, 2);
            break;
        case CheckIn::Missed:
            p.setBrush(kMissed);
            p.drawEllipse(r.center() + QPointF(0.5, 0.5), 2.0, 2.0);
            break;
        default:
            break;
        }
    }
    // The key.
    int x = kLeft;
    const int y = kTop + 7 * (kCell + kGap) + 12;
    p.setPen(Qt::darkGray);
    p.drawText(QRect(x, y, 30, kCell), Qt::AlignVCenter, QStringLiteral("少"));
    x += 18;
    for (const QColor& c : kShades) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRect(x, y, kCell, kCell), 2, 2);
        x += kCell + kGap;
    }
    p.setPen(Qt::darkGray);
    p.drawText(QRect(x + 2, y, 30, kCell), Qt::AlignVCenter, QStringLiteral("多"));
    x += 40;
    auto key = [&](const QColor& c, const QString& text) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(c, 2));
        p.drawRoundedRect(QRect(x, y, kCell, kCell).adjusted(1, 1, -1, -1), 2, 2);
        p.setPen(Qt::darkGray);
        p.drawText(QRect(x + kCell + 4, y - 2, 60, kCell + 4), Qt::AlignVCenter, text);
        x += kCell + 70;
    };
    key(kDone, QStringLiteral("已打卡"));
    key(kMadeUp, QStringLiteral("补签"));
    p.setPen(Qt::NoPen);
    p.setBrush(kMissed);
    p.drawEllipse(QPointF(x + kCell / 2.0, y + kCell / 2.0), 2.0, 2.0);
    p.setPen(Qt::darkGray);
    p.drawText(QRect(x + kCell + 4, y - 2, 60, kCell + 4), Qt::AlignVCenter, QStringLiteral("未完成"));
}

} // namespace lex
