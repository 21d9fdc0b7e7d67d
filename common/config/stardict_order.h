#pragma once
// The learner's choice of StarDict dictionaries, kept as STARDICT/Dictionaries in Config.INI: every
// dictionary the settings page showed, in the order Glosix shows them, each on or off, in one
// value written at once: "+Dict/oald/oald.ifo|-~/.local/share/stardict/dic/wn/wn.ifo". A path in
// the program folder is kept relative to it and one in the home folder from "~/", so that moving
// either keeps the choice; '%' and '|' in a path are written "%25" and "%7C".
//
// Dictionaries found that the value does not name are on, after the named ones: one the learner
// has just installed shows up. A named one that is no longer found is dropped.

#include "common/config/profile.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace lex {

struct StarDictChoice {
    QString ifoPath;      // absolute, '/'-separated
    bool enabled = true;
    friend bool operator==(const StarDictChoice&, const StarDictChoice&) = default;
};

QString encodeStarDictOrder(const std::vector<StarDictChoice>& choices, const QString& programFolder,
                            const QString& home);
// Items that are not "+PATH" or "-PATH" are left out.
std::vector<StarDictChoice> decodeStarDictOrder(const QString& value, const QString& programFolder,
                                                const QString& home);

// `found` (the .ifo files as the search lists them) in the stored order and state, then the
// unnamed ones on, in the order found.
std::vector<StarDictChoice> arrangeStarDicts(const QStringList& found, const std::vector<StarDictChoice>& stored);

// Over the user's home folder. Nothing stored reads as an empty list (every dictionary on).
std::vector<StarDictChoice> readStarDictOrder(const Profile& profile, const QString& programFolder);
bool writeStarDictOrder(Profile& profile, const QString& programFolder, const std::vector<StarDictChoice>& choices);

// Only the enabled ones, in order.
QStringList enabledStarDicts(const std::vector<StarDictChoice>& choices);

} // namespace lex
