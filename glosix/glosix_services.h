#pragma once
// What the companion window needs from outside, gathered so that tests hand in doubles (scripted
// answers, no voice) and the program the real ones.

#include <QString>

namespace lex {

class Clock;
class Env;
class NamedEvents;
class TtsEngine;
class UserServices;
class VoicePlayer;
class WindowLink;

struct GlosixServices {
    UserServices* ui = nullptr;
    Env* env = nullptr;              // null: the real file system
    NamedEvents* events = nullptr;   // "GlosixReady", "WaitPlayed"; null: nobody is told
    TtsEngine* tts = nullptr;        // null: no voice object can be made
    VoicePlayer* player = nullptr;   // null: recorded files are not played
    WindowLink* link = nullptr;      // "AddTo" asks Lexora here; null: never asked
    QString runtimeDir;              // the Book writer locks of "AddTo" without Lexora
    const Clock* clock = nullptr;    // the history's times and new entries' stamps; null: the system clock
    QString historyPath;             // the look-up history's file; empty: kept in memory only
};

} // namespace lex
