#include "lexora/practice/practice_setup.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"

#include <algorithm>

namespace lex {

PracticeSetup practiceSetupFor(PracticeMode mode, int wordCount, int minWords)
{
    PracticeSetup s;
    switch (mode) {
    case PracticeMode::Listen:
    case PracticeMode::Learn:
        s.loopItems = {QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")};
        s.loopSelected = QStringLiteral("3");
        break;
    case PracticeMode::Drill:
        s.loopItems = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
        s.loopSelected = QStringLiteral("2");
        s.directionEnabled = true;
        break;
    case PracticeMode::Dictate:
    case PracticeMode::Cloze:
        s.loopItems = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
        s.loopSelected = QStringLiteral("1");
        break;
    }
    // No upper bound here: the run start takes the first 100 rows.
    s.startEnabled = wordCount >= std::max(minWords, 1);
    return s;
}

QByteArray packPracticeOptions(const PracticeOptions& o)
{
    const bool bytes[config::kPracticeStateSize] = {o.autoSpeak, o.phonetic, o.firstLetter, o.explanation,
                                                     o.topMost,   o.comment,  o.pauseWhenCorrect};
    QByteArray out(config::kPracticeStateSize, '\0');
    for (int i = 0; i < config::kPracticeStateSize; ++i)
        out[i] = char(bytes[i] ? 1 : 0);
    return out;
}

PracticeOptions readPracticeOptions(const Profile& profile)
{
    const std::optional<QByteArray> b =
        profile.readStruct(config::kPracticeTool, config::kState, config::kPracticeStateSize);
    PracticeOptions o;
    if (!b)
        return o;
    // A structure can pass its checksum and still hold a byte that is no check-box state.
    for (char c : *b)
        if (c != 0 && c != 1)
            return o;
    const QByteArray& v = *b;
    o.autoSpeak = v[0];
    o.phonetic = v[1];
    o.firstLetter = v[2];
    o.explanation = v[3];
    o.topMost = v[4];
    o.comment = v[5];
    o.pauseWhenCorrect = v[6];
    return o;
}

bool writePracticeOptions(Profile& profile, const PracticeOptions& options)
{
    return profile.writeStruct(config::kPracticeTool, config::kState, packPracticeOptions(options));
}

} // namespace lex
