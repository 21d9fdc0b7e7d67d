#pragma once
// The services the windows of Lexora use, gathered so that tests can hand in doubles (scripted
// answers, a fixed clock, a link that finds nobody) and the program the real ones.

#include "lexora/web/web_browser.h"

#include <QDialog>
#include <QString>
#include <functional>

namespace lex {

class Clock;
class Env;
class NamedEvents;
class ProcessLauncher;
class Random;
class TtsEngine;
class UserServices;
class VoicePlayer;
class WindowLink;

struct AppServices {
    UserServices* ui = nullptr;
    Env* env = nullptr;              // null: the real file system
    Clock* clock = nullptr;          // null: the system clock
    Random* random = nullptr;        // null: the process-wide generator
    WindowLink* link = nullptr;      // finding and feeding the companion
    NamedEvents* events = nullptr;   // "GlosixReady", "WaitPlayed"
    ProcessLauncher* launcher = nullptr;
    TtsEngine* tts = nullptr;        // null: no voice object can be made
    VoicePlayer* player = nullptr;   // null: recorded files are not played
    QString companionExecutable;     // empty: "Glosix" beside the running executable
    WebBrowserFactory browserFactory;  // empty: Qt WebEngine
    QString runtimeDir;              // the open Book's writer lock lives here; empty: no lock
};

} // namespace lex
