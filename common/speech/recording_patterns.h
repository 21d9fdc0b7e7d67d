#pragma once
// Folders of recordings the learner names with a path pattern: "{word}.mp3", "{w}/{word}.ogg".
// {word} is the word, {w} its first character; the names are matched without regard to case, and
// nothing a pattern or a word holds may lead out of the folder.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace lex {

class Env;

struct RecordingSource {
    QString folder;    // absolute, without a trailing '/'
    QString pattern;   // relative to the folder
};

// The relative path `pattern` gives for `word`, '/'-separated, or empty when either is unusable:
// an absolute pattern, an empty, "." or ".." part, a backslash or NUL, a word with a '/' or
// making such a part, or no placeholder at all.
QString expandRecordingPattern(QStringView pattern, QStringView word);

// What findRecording has read of the folders: each folder's names by their case-folded form, so
// that looking up every word of a large Book lists each folder once, not once a word.
struct RecordingFolderCache {
    QHash<QString, QHash<QString, QString>> files, folders;
};

// The file of `word` in `source`, each part of the path matched in its folder without regard to
// case (the exact name first); empty when there is none. With `cache`, folders are listed once.
QString findRecording(Env* env, const RecordingSource& source, QStringView word, RecordingFolderCache* cache = nullptr);

// "FOLDER|PATTERN" entries, ';'-separated, as Config.INI keeps them.
QList<RecordingSource> parseRecordingSources(QStringView setting);
QString recordingSourcesSetting(const QList<RecordingSource>& sources);

} // namespace lex
