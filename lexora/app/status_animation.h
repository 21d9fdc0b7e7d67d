#pragma once
// The status line after a practice run: a second's pause, then the advice appears one character
// at a time, blinks a few times and stays until the status text comes back 20 seconds later.
// Timer ids and periods are those of the word-book window; onTimer() is public so a test can
// step the animation tick by tick.

#include <QBasicTimer>
#include <QObject>
#include <QString>
#include <functional>

namespace lex {

class StatusAnimation : public QObject {
public:
    static constexpr int kRestoreTimer = 0, kStartTimer = 1, kTypeTimer = 2, kBlinkTimer = 3;
    static constexpr int kRestoreMs = 20000, kStartMs = 1000, kTypeMs = 200, kBlinkMs = 400;
    static constexpr int kBlinkTicks = 7;
    static inline const QString kText = QStringLiteral("每天点击一次广告，支持本软件持续发展");

    // `show` puts a text into pane 0; `statusText` gives the pane's usual text ("Book:" + name).
    StatusAnimation(std::function<void(const QString&)> show, std::function<QString()> statusText,
                    QObject* parent = nullptr);

    // Starts timer 1 (after a practice run). A running animation starts over.
    void start();
    // Stops every timer and shows the status text.
    void stop();

    bool isActive(int timerId) const;
    void onTimer(int timerId);

protected:
    void timerEvent(QTimerEvent* e) override;

private:
    void armTimer(int id);
    void disarmTimer(int id);

    std::function<void(const QString&)> show_;
    std::function<QString()> statusText_;
    QBasicTimer timers_[4];
    int shown_ = 0;    // characters of kText shown so far
    int blinks_ = 0;   // ticks of timer 3 so far
};

} // namespace lex
