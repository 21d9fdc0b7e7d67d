#pragma once
// Playing a recorded voice file (".mp3" or ".wav") on the calling worker thread, for at most a
// given time, stoppable at any moment.

#include <QString>
#include <atomic>

namespace lex {

class AudioOutput;
class Clock;

class VoicePlayer {
public:
    virtual ~VoicePlayer() = default;
    // Returns when the file has been played, `maxMs` have passed, `stop` became true, or the file
    // cannot be decoded or played (silently: the caller has nothing to show for it).
    virtual void play(const QString& path, int maxMs, const std::atomic<bool>& stop) = 0;
};

// Decodes with libsndfile (wav, and mp3 with libsndfile 1.1 or later) and writes to `output` in
// short chunks, checking the steady clock and the stop flag between them.
class SndfilePlayer final : public VoicePlayer {
public:
    SndfilePlayer(AudioOutput* output, Clock* clock);
    void play(const QString& path, int maxMs, const std::atomic<bool>& stop) override;

private:
    AudioOutput* output_;
    Clock* clock_;
};

} // namespace lex
