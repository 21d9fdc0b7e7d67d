#pragma once
// A record of a practice run for end-to-end tests, which cannot tell the right answer button
// from the screen reliably. When the environment variable LEXORA_PRACTICE_TRACE names a file,
// the practice window appends one line per event to it, fields separated by tabs:
//   question N SLOT WORD   question N is shown; SLOT (0-3) is the answer button that is right
//   answer N right|wrong   question N was answered (choice modes; a time-out counts as wrong)
//   hint N RUNG TEXT       the hint ladder of question N climbed to RUNG (1-3), showing TEXT
//   message TEXT           a message box is about to open ("已完成", the word after a wrong dictation)
//   end accepted|cancelled the run is over
// Nothing is written, and nothing changes for the learner, when the variable is unset.

#include <QString>
#include <functional>

namespace lex {

class Env;
class PracticeEngine;

class PracticeTrace {
public:
    using Sink = std::function<void(const QString& line)>;
    static inline const char* const kVariable = "LEXORA_PRACTICE_TRACE";

    explicit PracticeTrace(Sink sink = {}) : sink_(std::move(sink)) {}
    bool enabled() const { return bool(sink_); }

    // Writes what happened since the last call: a new question, an answer, the end.
    void observe(const PracticeEngine& engine);
    void message(const QString& text);

    // Appends each line to the file named by LEXORA_PRACTICE_TRACE (opened and closed per line,
    // so that a watcher sees it at once); an empty sink when the variable is unset or empty.
    static Sink fromEnvironment(Env* env);

private:
    void write(const QString& line);

    Sink sink_;
    int question_ = 0;
    int answered_ = 0;
    int hintRung_ = 0;
    bool ended_ = false;
};

} // namespace lex
