#pragma once
// Folders of recordings the learner names with a path pattern: "{word}.mp3", "{w}/{word}.ogg".
// {word} is the word, {w} its first character; the names are matched without regard to case, and
// nothing a pattern or a word holds may lead out of the folder.

#include <QHash>
#include <QSet>
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

// What has been read of the folders of recordings (and the voice folder): each folder listed once,
// its names as they are and by their case-folded form, so that looking up every word of a large
// Book lists each folder once instead of asking the file system once a word.
struct RecordingFolderCache {
    struct Listing {
        QSet<QString> names;
        QHash<QString, QString> byFold;   // the first name in order of each case-folded form
    };
    QHash<QString, Listing> files, folders;

    const Listing& listed(Env* env, const QString& folder, bool ofFiles);
    // Whether `path` is a file, as env->isRegularFile says; a hidden name (not listed) is asked directly.
    bool hasFile(Env* env, const QString& path);
};

// The file of `word` in `source`, each part of the path matched in its folder without regard to
// case (the exact name first); empty when there is none. With `cache`, folders are listed once.
QString findRecording(Env* env, const RecordingSource& source, QStringView word, RecordingFolderCache* cache = nullptr);

// "FOLDER|PATTERN" entries, ';'-separated, as Config.INI keeps them.
QList<RecordingSource> parseRecordingSources(QStringView setting);
QString recordingSourcesSetting(const QList<RecordingSource>& sources);

} // namespace lex
