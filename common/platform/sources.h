#pragma once
// Time and randomness, injectable so that stamping, shuffling and practice runs can be tested.
// A null Clock or Random means the real one: orDefault() in env.h.

#include "common/platform/env.h"

#include <QDateTime>
#include <cstdint>

namespace lex {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime localNow() const = 0;        // wall clock, local time
    virtual int64_t secondsSinceEpoch() const = 0; // what time(nullptr) gives
    virtual int64_t steadyMs() const = 0;          // monotonic milliseconds

    static Clock* system(); // process-wide real clock; not owned by the caller
};

// A generator in the manner of srand()/rand(): next() gives 0..kMax.
class Random {
public:
    static constexpr uint32_t kMax = 0x7FFF;
    virtual ~Random() = default;
    virtual void seed(uint32_t s) = 0;
    virtual uint32_t next() = 0;

    static Random* system(); // process-wide default generator; not owned by the caller
};

// A value in 0..bound-1, every one equally likely, from as many 15-bit draws as the bound needs
// (a single draw reaches only 32,768 values).
uint32_t uniformDraw(Random& random, uint32_t bound);

// A clock that stands still until told otherwise (tests, tools).
class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime t) : t_(std::move(t)) {}
    void set(QDateTime t) { t_ = std::move(t); }
    void advanceMs(int64_t ms) { steady_ += ms; t_ = t_.addMSecs(ms); }
    QDateTime localNow() const override { return t_; }
    int64_t secondsSinceEpoch() const override { return t_.toSecsSinceEpoch(); }
    int64_t steadyMs() const override { return steady_; }

private:
    QDateTime t_;
    int64_t steady_ = 0;
};

// The classic linear congruential generator: the same seed gives the same draws everywhere.
class LcgRandom final : public Random {
public:
    explicit LcgRandom(uint32_t s = 1) : state_(s) {}
    void seed(uint32_t s) override { state_ = s; }
    uint32_t next() override
    {
        state_ = state_ * 214013u + 2531011u;
        return (state_ >> 16) & kMax;
    }

private:
    uint32_t state_;
};

} // namespace lex
