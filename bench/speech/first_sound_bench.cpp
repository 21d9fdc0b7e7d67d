// The first sound after a click with each engine resident, against the engine's call alone, in
// the same run: what the program adds to synthesis before the first samples reach the device.
// The device is a sink that signals its first write, so no sound server is needed.
#include "common/speech/audio_output.h"
#include "common/speech/espeak_engine.h"
#include "common/speech/synth_engine.h"

#include <QString>
#include <benchmark/benchmark.h>
#include <condition_variable>
#include <mutex>

namespace {

const QString kWords[] = {QStringLiteral("tomato"), QStringLiteral("water"), QStringLiteral("necessary"),
                          QStringLiteral("pronunciation"), QStringLiteral("car")};

class FirstWrite final : public lex::AudioOutput {
public:
    class Sink final : public lex::AudioSink {
    public:
        explicit Sink(FirstWrite& o) : o_(o) {}
        // Only a word's first samples count: the rest of the one before must not end the wait.
        bool write(const int16_t*, size_t) override
        {
            if (!first_)
                return true;
            first_ = false;
            std::lock_guard<std::mutex> lock(o_.m_);
            o_.written_ = true;
            o_.cv_.notify_all();
            return true;
        }
        void drain() override {}

    private:
        FirstWrite& o_;
        bool first_ = true;
    };
    std::unique_ptr<lex::AudioSink> open(const lex::AudioFormat&) override { return std::make_unique<Sink>(*this); }
    void reset()
    {
        std::lock_guard<std::mutex> lock(m_);
        written_ = false;
    }
    void waitFirst()
    {
        std::unique_lock<std::mutex> lock(m_);
        cv_.wait(lock, [this] { return written_; });
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool written_ = false;
};

void setAccent(lex::EspeakEngine& e, bool us)
{
    const QString base = QString::fromLatin1(lex::EspeakEngine::kCategory) + QStringLiteral("/Tokens/");
    std::optional<QString> t = e.openToken(base + (us ? QStringLiteral("en-US") : QStringLiteral("en-GB")));
    if (!t && !us)
        t = e.openToken(base + QStringLiteral("en"));
    e.setVoice(t);
}

void BM_EspeakCallAlone(benchmark::State& state)
{
    lex::EspeakEngine engine(nullptr);
    if (!engine.createVoice()) {
        state.SkipWithError("espeak-ng could not start");
        return;
    }
    setAccent(engine, state.range(0) == 1);
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.synthesize(kWords[i++ % std::size(kWords)]));
}
BENCHMARK(BM_EspeakCallAlone)->Arg(0)->Arg(1)->ArgName("us")->Unit(benchmark::kMillisecond);

void BM_EspeakFirstSoundAfterAClick(benchmark::State& state)
{
    FirstWrite device;
    lex::EspeakEngine engine(&device);
    if (!engine.createVoice()) {
        state.SkipWithError("espeak-ng could not start");
        return;
    }
    setAccent(engine, state.range(0) == 1);
    size_t i = 0;
    for (auto _ : state) {
        device.reset();
        engine.speakAsync(kWords[i++ % std::size(kWords)]);
        device.waitFirst();
    }
    engine.releaseVoice();
}
BENCHMARK(BM_EspeakFirstSoundAfterAClick)->Arg(0)->Arg(1)->ArgName("us")->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef LEXORA_HAVE_FLITE
// flite's voices are American: slt, the default, in the same two rows.
void BM_FliteCallAlone(benchmark::State& state)
{
    const std::unique_ptr<lex::SynthEngine> engine = lex::makeSpeechEngine(QStringLiteral("flite"), nullptr);
    if (!engine || !engine->createVoice()) {
        state.SkipWithError("flite could not start");
        return;
    }
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(engine->synthesize(kWords[i++ % std::size(kWords)]));
}
BENCHMARK(BM_FliteCallAlone)->Unit(benchmark::kMillisecond);

void BM_FliteFirstSoundAfterAClick(benchmark::State& state)
{
    FirstWrite device;
    const std::unique_ptr<lex::SynthEngine> engine = lex::makeSpeechEngine(QStringLiteral("flite"), &device);
    if (!engine || !engine->createVoice()) {
        state.SkipWithError("flite could not start");
        return;
    }
    size_t i = 0;
    for (auto _ : state) {
        device.reset();
        engine->speakAsync(kWords[i++ % std::size(kWords)]);
        device.waitFirst();
    }
    engine->releaseVoice();
}
BENCHMARK(BM_FliteFirstSoundAfterAClick)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

} // namespace

BENCHMARK_MAIN();
