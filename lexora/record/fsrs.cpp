#include "lexora/record/fsrs.h"

#include <algorithm>
#include <cmath>

namespace lex {
namespace {

using W = std::array<double, 21>;
constexpr const W& w = FsrsScheduler::kDefaultWeights;
constexpr double kMinStability = 0.001;
constexpr double kMaxStability = 36500.0;

// JavaScript's Math.round (halves toward +infinity), which the reference uses throughout.
double jsRound(double x) { return std::floor(x + 0.5); }
double round8(double x) { return jsRound(x * 1e8) / 1e8; }

double initialDifficulty(int g) { return round8(w[4] - std::exp((g - 1) * w[5]) + 1); }
double initialStability(int g) { return std::max(w[size_t(g - 1)], 0.1); }

double nextDifficulty(double d, int g)
{
    const double delta = -w[6] * (g - 3);
    const double damped = d + round8(delta * (10 - d) / 9);
    // Mean reversion towards the initial difficulty of an easy first answer.
    const double reverted = round8(w[7] * initialDifficulty(4) + (1 - w[7]) * damped);
    return std::clamp(reverted, 1.0, 10.0);
}

double recallStability(double d, double s, double r, int g)
{
    const double hardPenalty = g == 2 ? w[15] : 1;
    const double easyBonus = g == 4 ? w[16] : 1;
    return round8(std::clamp(s * (1 + std::exp(w[8]) * (11 - d) * std::pow(s, -w[9])
                                          * (std::exp((1 - r) * w[10]) - 1) * hardPenalty * easyBonus),
                             kMinStability, kMaxStability));
}

double forgetStability(double d, double s, double r)
{
    return round8(std::clamp(w[11] * std::pow(d, -w[12]) * (std::pow(s + 1, w[13]) - 1) * std::exp((1 - r) * w[14]),
                             kMinStability, kMaxStability));
}

} // namespace

FsrsScheduler::FsrsScheduler(double retention)
    : retention_(validRetention(retention) ? retention : (retention >= 1 ? 0.99 : 0.5))
{
    decay_ = -w[20];
    factor_ = round8(std::exp(std::log(0.9) / decay_) - 1.0);
    intervalModifier_ = round8((std::pow(retention_, 1 / decay_) - 1) / factor_);
}

double FsrsScheduler::retrievability(int elapsedDays, double stability) const
{
    if (stability <= 0)
        return 0;
    return round8(std::pow(1 + factor_ * std::max(elapsedDays, 0) / stability, decay_));
}

int FsrsScheduler::interval(double stability) const
{
    const double days = std::max(1.0, jsRound(stability * intervalModifier_));
    return int(std::min(days, double(kMaximumInterval)));
}

double FsrsScheduler::nextState(const MemoryState& s, double r, FsrsGrade grade, double* difficulty) const
{
    const int g = int(grade);
    if (s.isNew()) {
        *difficulty = std::clamp(initialDifficulty(g), 1.0, 10.0);
        return initialStability(g);
    }
    // A damaged state (from outside) is mended rather than carried on.
    const double d = std::clamp(s.difficulty, 1.0, 10.0);
    const double st = std::max(s.stability, kMinStability);
    *difficulty = nextDifficulty(d, g);
    if (g == 1) // a fail never raises the stability
        return std::clamp(round8(st), kMinStability, forgetStability(d, st, r));
    return recallStability(d, st, r, g);
}

MemoryState FsrsScheduler::next(const MemoryState& before, int elapsedDays, FsrsGrade grade) const
{
    const double r = before.isNew() ? 1 : retrievability(std::max(elapsedDays, 0), before.stability);
    MemoryState n;
    n.stability = nextState(before, r, grade, &n.difficulty);
    return n;
}

FsrsScheduler::Step FsrsScheduler::review(const MemoryState& before, int elapsedDays, FsrsGrade grade) const
{
    Step step;
    const int days = before.isNew() ? 0 : std::max(elapsedDays, 0);
    double r = 1;
    if (!before.isNew()) {
        r = retrievability(days, before.stability);
        step.retrievability = r;
    }
    // The interval of each grade, so that a harder grade never waits longer than an easier one.
    std::array<MemoryState, 4> next;
    std::array<int, 4> ivl{};
    for (int g = 1; g <= 4; ++g) {
        MemoryState& n = next[size_t(g - 1)];
        n.stability = nextState(before, r, FsrsGrade(g), &n.difficulty);
        ivl[size_t(g - 1)] = interval(n.stability);
    }
    ivl[0] = std::min(ivl[0], ivl[1]);
    ivl[1] = std::max(ivl[1], ivl[0] + 1);
    ivl[2] = std::max(ivl[2], ivl[1] + 1);
    ivl[3] = std::max(ivl[3], ivl[2] + 1);
    const size_t i = size_t(int(grade) - 1);
    step.after = next[i];
    step.interval = ivl[i];
    return step;
}

} // namespace lex
