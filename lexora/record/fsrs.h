#pragma once
// The FSRS-6 memory model with its published default parameters: how stable a memory is, how
// hard the item is, how likely it is recalled after a number of days, and when to review it next.
//
// Days are whole calendar days between the local dates of two reviews (a review at 23:59 and one
// at 00:01 are a day apart); two reviews on the same date are a same-day review. Same-day reviews
// are handled without short-term steps: a pass leaves the stability as it is (recall is certain
// on the day), a fail can only lower it, and either moves the difficulty. Intervals have no fuzz.
// Every result equals the reference scheduler ts-fsrs (enable_fuzz and enable_short_term off),
// including its rounding to 8 decimals at each step and its rule that a harder grade never gets
// a longer interval than an easier one.

#include <array>
#include <cstdint>
#include <optional>

namespace lex {

enum class FsrsGrade : uint8_t { Again = 1, Hard = 2, Good = 3, Easy = 4 };

// Stability: days until recall falls to 90 %. Difficulty: 1 (easy) to 10 (hard). Both 0 for an
// item never reviewed.
struct MemoryState {
    double stability = 0;
    double difficulty = 0;
    bool isNew() const { return stability == 0 && difficulty == 0; }
};

class FsrsScheduler {
public:
    static constexpr std::array<double, 21> kDefaultWeights{
        0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194, 0.001,  1.8722, 0.1666, 0.796,
        1.4835, 0.0614, 0.2629, 1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};
    static constexpr double kDefaultRetention = 0.9;
    static constexpr int kMaximumInterval = 36500;

    // `retention`: the recall probability at which a review falls due, in (0, 1); values outside
    // are taken as the nearest of 0.5 and 0.99 (validRetention()).
    explicit FsrsScheduler(double retention = kDefaultRetention);

    static bool validRetention(double r) { return r > 0 && r < 1; }
    double retention() const { return retention_; }

    // Predicted recall `elapsedDays` after a review that left `stability`.
    double retrievability(int elapsedDays, double stability) const;

    struct Step {
        MemoryState after;
        std::optional<double> retrievability; // just before this review; none for the first
        int interval = 1;                      // whole days to the next review, 1 .. 36500
    };
    // One review of an item in state `before`, `elapsedDays` (>= 0; less counts as 0) after the
    // previous one (ignored for a new item).
    Step review(const MemoryState& before, int elapsedDays, FsrsGrade grade) const;
    // review()'s `after` alone: a quarter of the work, for replaying many answers.
    MemoryState next(const MemoryState& before, int elapsedDays, FsrsGrade grade) const;

    // Days until recall of a memory of this stability falls to the retention; at least 1.
    int interval(double stability) const;

private:
    double nextState(const MemoryState& s, double r, FsrsGrade g, double* difficulty) const;

    double retention_;
    double decay_, factor_, intervalModifier_;
};

} // namespace lex
