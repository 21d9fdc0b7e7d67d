#include "common/speech/voice_player.h"

#include "common/platform/sources.h"
#include "common/speech/audio_output.h"

#include <QFile>

#include <sndfile.h>

#include <algorithm>
#include <vector>

namespace lex {

namespace {

constexpr int kChunkMs = 50;

struct SndCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

} // namespace

SndfilePlayer::SndfilePlayer(AudioOutput* output, Clock* clock) : output_(output), clock_(clock) {}

void SndfilePlayer::play(const QString& path, int maxMs, const std::atomic<bool>& stop)
{
    const int64_t deadline = clock_->steadyMs() + maxMs;
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndCloser> file(sf_open(QFile::encodeName(path).constData(), SFM_READ, &info));
    if (!file || info.samplerate <= 0 || info.channels <= 0 || info.channels > 8)
        return;
    const sf_count_t chunkFrames = std::max<sf_count_t>(1, sf_count_t(info.samplerate) * kChunkMs / 1000);
    std::vector<int16_t> buffer(size_t(chunkFrames) * size_t(info.channels));
    std::unique_ptr<AudioSink> sink;   // opened only once there is sound: a file that decodes to nothing stays silent
    for (;;) {
        if (stop.load(std::memory_order_relaxed))
            return;
        const int64_t left = deadline - clock_->steadyMs();
        if (left <= 0)
            return;   // the sink's destruction drops what is still buffered
        // The last chunk before the deadline is shortened to the time that is left.
        const sf_count_t want = std::min<sf_count_t>(chunkFrames, std::max<sf_count_t>(1, sf_count_t(info.samplerate) * left / 1000));
        const sf_count_t got = sf_readf_short(file.get(), buffer.data(), want);
        if (got <= 0)
            break;
        if (!sink && !(sink = output_->open(AudioFormat{info.samplerate, info.channels})))
            return;
        if (!sink->write(buffer.data(), size_t(got)))
            return;
    }
    if (!sink)
        return;
    if (!stop.load(std::memory_order_relaxed))
        sink->drain();
}

} // namespace lex
