#include "common/platform/sources.h"

#include "common/platform/env.h"

#include <chrono>

namespace lex {
namespace {

class SystemClock final : public Clock {
public:
    QDateTime localNow() const override { return QDateTime::currentDateTime(); }
    int64_t secondsSinceEpoch() const override { return QDateTime::currentSecsSinceEpoch(); }
    int64_t steadyMs() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

} // namespace

Clock* Clock::system()
{
    static SystemClock c;
    return &c;
}

uint32_t uniformDraw(Random& random, uint32_t bound)
{
    if (bound <= 1)
        return 0;
    // Enough 15-bit draws to cover the bound, then rejection so that every value is equally likely.
    uint64_t range = 1;
    int draws = 0;
    while (range < bound) {
        range *= uint64_t(Random::kMax) + 1;
        ++draws;
    }
    const uint64_t limit = range - range % bound;
    for (;;) {
        uint64_t v = 0;
        for (int i = 0; i < draws; ++i)
            v = v * (uint64_t(Random::kMax) + 1) + random.next();
        if (v < limit)
            return uint32_t(v % bound);
    }
}

Random* Random::system()
{
    static LcgRandom r;
    return &r;
}

Clock* orDefault(Clock* clock) { return clock ? clock : Clock::system(); }
const Clock* orDefault(const Clock* clock) { return clock ? clock : Clock::system(); }
Random* orDefault(Random* random) { return random ? random : Random::system(); }

} // namespace lex
