#pragma once
// Where a word's recorded voice file lives: the voice folder, a sub-folder named after the word's
// first character, then the word itself and ".mp3" or ".wav". Shared by playback and by whatever
// puts recorded files there (an import that copies a package's sounds).

#include <QString>

namespace lex {

// The path without its extension, or empty for a word that could name a file outside the voice
// folder (a "/", "\", NUL or "..") or none at all. `voiceFolder` ends in "/" as "VoicePath" does.
inline QString voiceFileBase(const QString& voiceFolder, const QString& word)
{
    if (word.isEmpty() || word.contains(QLatin1Char('/')) || word.contains(QLatin1Char('\\'))
        || word.contains(QChar(0)) || word.contains(QLatin1String("..")))
        return {};
    // The first character, whole: a surrogate pair is one character.
    const qsizetype firstLen = (word.size() > 1 && word[0].isHighSurrogate() && word[1].isLowSurrogate()) ? 2 : 1;
    return voiceFolder + word.left(firstLen) + QLatin1Char('/') + word;
}

} // namespace lex
