#include "common/speech/audio_output.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <cstdlib>

namespace lex {

namespace {

class PulseSink final : public AudioSink {
public:
    PulseSink(pa_simple* s, size_t frameBytes) : s_(s), frameBytes_(frameBytes) {}
    ~PulseSink() override
    {
        int err = 0;
        pa_simple_flush(s_, &err);
        pa_simple_free(s_);
    }

    bool write(const int16_t* samples, size_t frames) override
    {
        if (failed_)
            return false;
        int err = 0;
        failed_ = pa_simple_write(s_, samples, frames * frameBytes_, &err) < 0;
        return !failed_;
    }

    void drain() override
    {
        int err = 0;
        if (!failed_)
            pa_simple_drain(s_, &err);
    }

private:
    pa_simple* s_;
    size_t frameBytes_;
    bool failed_ = false;
};

} // namespace

PulseOutput::PulseOutput(QString applicationName, QString server)
    : name_(applicationName.toUtf8()), server_(server.toUtf8())
{
    // A client library that spawns its own daemon could hang a machine without sound; we only
    // ever talk to a server that is already there.
    ::setenv("PULSE_NO_AUTOSPAWN", "1", 0);
}

std::unique_ptr<AudioSink> PulseOutput::open(const AudioFormat& format)
{
    if (format.sampleRate <= 0 || format.channels <= 0 || format.channels > 8)
        return nullptr;
    pa_sample_spec spec;
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = uint32_t(format.sampleRate);
    spec.channels = uint8_t(format.channels);
    const size_t frameBytes = size_t(format.channels) * 2;
    // A short target buffer, so that stopping at the deadline cuts the sound promptly.
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(frameBytes * size_t(format.sampleRate) / 10);
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    int err = 0;
    pa_simple* s = pa_simple_new(server_.isEmpty() ? nullptr : server_.constData(), name_.constData(),
                                 PA_STREAM_PLAYBACK, nullptr, "word", &spec, nullptr, &attr, &err);
    if (!s)
        return nullptr;
    return std::make_unique<PulseSink>(s, frameBytes);
}

} // namespace lex
