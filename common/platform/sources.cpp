#include "common/platform/sources.h"

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

Random* Random::system()
{
    static LcgRandom r;
    return &r;
}

} // namespace lex
