#pragma once
// The practice set-up without its window: what the set-up dialog offers for a mode and a word
// count, and the seven option bytes of the practice window as kept in Config.INI.

#include "lexora/practice/practice_engine.h"

#include <QString>
#include <QStringList>

namespace lex {

class Profile;

// The set-up dialog's state for one mode and word count (its title and explanation are the
// program's words for the mode and startEnabled).
struct PracticeSetup {
    QStringList loopItems;     // what the loop list offers
    QString loopSelected;      // the item selected at start
    bool directionEnabled = false;
    bool startEnabled = false; // the start button (at least `minWords` words)
};
// `minWords`: the ordinary set-up asks for kMinPracticeWords; today's plan starts with whatever
// words are left for the day.
PracticeSetup practiceSetupFor(PracticeMode mode, int wordCount, int minWords = kMinPracticeWords);

// "PracticeTool"/"State": seven bytes, each 0 or 1. A missing key, a wrong checksum or any byte
// other than 0 or 1 gives the defaults (all on).
PracticeOptions readPracticeOptions(const Profile& profile);
bool writePracticeOptions(Profile& profile, const PracticeOptions& options);
QByteArray packPracticeOptions(const PracticeOptions& options);

} // namespace lex
