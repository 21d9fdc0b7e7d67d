#pragma once
// The practice set-up without its window: what the set-up dialog offers for a mode and a word
// count, and the seven option bytes of the practice window as kept in Config.INI.

#include "lexora/practice/practice_engine.h"

#include <QString>
#include <QStringList>

namespace lex {

class Profile;

// The set-up dialog's state for one mode and word count.
struct PracticeSetup {
    QString title;             // "听辨", "初记", "强记", "拼写"
    QStringList loopItems;     // what the loop list offers
    QString loopSelected;      // the item selected at start
    bool directionEnabled = false;
    QString explanation;       // the text of the explanation box
    bool startEnabled = false; // 开始 (at least 10 words)
};
PracticeSetup practiceSetupFor(PracticeMode mode, int wordCount);

// The set-up title and the window title of each mode.
QString practiceSetupTitle(PracticeMode mode);

// "PracticeTool"/"State": seven bytes, each 0 or 1. A missing key, a wrong checksum or any byte
// other than 0 or 1 gives the defaults (all on).
PracticeOptions readPracticeOptions(const Profile& profile);
bool writePracticeOptions(Profile& profile, const PracticeOptions& options);
QByteArray packPracticeOptions(const PracticeOptions& options);

} // namespace lex
