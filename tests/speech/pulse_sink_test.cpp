// Real playback through a PulseAudio server that the test starts itself with a null sink, so it
// runs on machines without a sound card (CI, as root).
#include "common/platform/sources.h"
#include "common/speech/audio_output.h"
#include "common/speech/voice_player.h"
#include "temp_dir.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <vector>

using namespace lex;

namespace {

class NullSinkServer {
public:
    explicit NullSinkServer(const lextest::TempDir& tmp) : socket_(tmp.path(QStringLiteral("native")))
    {
        const QString exe = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (exe.isEmpty()) {
            why_ = "pulseaudio is not installed";
            return;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), tmp.path());
        env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), tmp.path(QStringLiteral("rt")));
        env.insert(QStringLiteral("PULSE_STATE_PATH"), tmp.path(QStringLiteral("state")));
        env.remove(QStringLiteral("PULSE_SERVER"));
        p_.setProcessEnvironment(env);
        p_.setProcessChannelMode(QProcess::MergedChannels);
        p_.start(exe, {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                       QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
                       QStringLiteral("--log-target=stderr"),
                       QStringLiteral("--load=module-null-sink sink_name=lexora_null"),
                       QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=") + socket_});
        if (!p_.waitForStarted(5000)) {
            why_ = "pulseaudio could not be started";
            return;
        }
        PulseOutput probe(QStringLiteral("probe"), server());
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000) {
            if (QFile::exists(socket_) && probe.open(AudioFormat{8000, 1})) {
                ready_ = true;
                return;
            }
            if (p_.state() == QProcess::NotRunning)
                break;
            QThread::msleep(50);
        }
        why_ = "pulseaudio did not come up: " + p_.readAll().right(400).toStdString();
    }
    ~NullSinkServer()
    {
        if (p_.state() != QProcess::NotRunning) {
            p_.terminate();
            if (!p_.waitForFinished(3000)) {
                p_.kill();
                p_.waitForFinished(3000);
            }
        }
    }
    bool ready() const { return ready_; }
    const std::string& why() const { return why_; }
    QString server() const { return QStringLiteral("unix:") + socket_; }

private:
    QString socket_;
    QProcess p_;
    bool ready_ = false;
    std::string why_;
};

} // namespace

TEST(PulseOutput, NoServerFailsAtOnce)
{
    lextest::TempDir tmp;
    PulseOutput out(QStringLiteral("test"), QStringLiteral("unix:") + tmp.path(QStringLiteral("none")));
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(out.open(AudioFormat{22050, 1}), nullptr);
    EXPECT_LT(t.elapsed(), 2000);
}

TEST(PulseOutput, PlaysInRealTimeThroughANullSink)
{
    lextest::TempDir tmp;
    NullSinkServer server(tmp);
    if (!server.ready())
        GTEST_SKIP() << server.why();
    SF_INFO info{};
    info.samplerate = 16000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(tmp.path(QStringLiteral("t.wav"))).constData(), SFM_WRITE, &info);
    ASSERT_TRUE(f);
    std::vector<short> s(16000 * 8 / 10);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = short(6000 * std::sin(2 * M_PI * 330 * double(i) / 16000));
    sf_write_short(f, s.data(), sf_count_t(s.size()));
    sf_close(f);

    PulseOutput out(QStringLiteral("Lexora test"), server.server());
    SndfilePlayer player(&out, Clock::system());
    std::atomic<bool> stop{false};
    QElapsedTimer t;
    t.start();
    player.play(tmp.path(QStringLiteral("t.wav")), 5000, stop);
    // 0.8 s of sound is paced by the (null) device, not dumped at once.
    const qint64 full = t.elapsed();
    EXPECT_GE(full, 600);
    EXPECT_LT(full, 6000);

    // A deadline shorter than the sound cuts it. (An idle null sink holds a new stream's first
    // write for its own start-up latency, the same for both runs, so only the difference counts.)
    t.restart();
    player.play(tmp.path(QStringLiteral("t.wav")), 200, stop);
    EXPECT_LT(t.elapsed(), full - 300);
}
