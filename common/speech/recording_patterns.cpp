#include "common/speech/recording_patterns.h"

#include "common/platform/env.h"

namespace lex {
namespace {

bool usablePart(QStringView part)
{
    return !part.isEmpty() && part != u"." && part != u".." && !part.contains(QChar(0)) && !part.contains(u'\\');
}

} // namespace

QString expandRecordingPattern(QStringView pattern, QStringView word)
{
    if (pattern.isEmpty() || pattern.startsWith(u'/') || word.isEmpty() || word.contains(u'/')
        || word.contains(u'\\') || word.contains(QChar(0)))
        return {};
    if (!pattern.contains(u"{word}") && !pattern.contains(u"{w}"))
        return {};
    // The first character, whole: a surrogate pair is one character.
    const qsizetype firstLen = (word.size() > 1 && word[0].isHighSurrogate() && word[1].isLowSurrogate()) ? 2 : 1;
    QString out = pattern.toString();
    out.replace(QLatin1String("{word}"), word.toString());
    out.replace(QLatin1String("{w}"), word.left(firstLen).toString());
    // Every part checked after the expansion: a word of "." or ".." must not make one either.
    for (const QStringView part : QStringView(out).split(u'/'))
        if (!usablePart(part))
            return {};
    return out;
}

namespace {

// A folder's names; of APPLE.mp3 and Apple.mp3 always the same one by the folded form, as names
// are listed in no particular order.
RecordingFolderCache::Listing listingOf(QStringList names)
{
    names.sort();
    RecordingFolderCache::Listing out;
    out.names.reserve(names.size());
    out.byFold.reserve(names.size());
    for (const QString& n : names) {
        out.names.insert(n);
        if (usablePart(n)) {
            const QString key = n.toCaseFolded();
            if (!out.byFold.contains(key))   // the first in order wins
                out.byFold.insert(key, n);
        }
    }
    return out;
}

} // namespace

const RecordingFolderCache::Listing& RecordingFolderCache::listed(Env* env, const QString& folder, bool ofFiles)
{
    auto& known = ofFiles ? files : folders;
    auto it = known.find(folder);
    if (it == known.end())
        it = known.insert(folder, listingOf(ofFiles ? env->listFiles(folder) : env->listFolders(folder)));
    return *it;
}

bool RecordingFolderCache::hasFile(Env* env, const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0 || path.size() == slash + 1 || path[slash + 1] == u'.')
        return env->isRegularFile(path);
    return listed(env, path.left(slash), true).names.contains(path.mid(slash + 1));
}

QString findRecording(Env* env, const RecordingSource& source, QStringView word, RecordingFolderCache* cache)
{
    const QString relative = expandRecordingPattern(source.pattern, word);
    if (relative.isEmpty() || source.folder.isEmpty())
        return {};
    const QStringList parts = relative.split(u'/');
    QString at = source.folder;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        const QString exact = at + u'/' + parts[i];
        const bool exactThere = !cache || parts[i].startsWith(u'.')
            ? (last ? env->isRegularFile(exact) : env->isDir(exact))
            : cache->listed(env, at, last).names.contains(parts[i]);
        if (exactThere) {
            at = exact;
            continue;
        }
        // Without regard to case: the first name in the folder that matches.
        RecordingFolderCache once;
        const QString found =
            (cache ? cache : &once)->listed(env, at, last).byFold.value(parts[i].toCaseFolded());
        if (found.isEmpty())
            return {};
        at += u'/' + found;
    }
    // A link inside the folder may still lead out of it.
    const QString root = env->canonicalPath(source.folder), file = env->canonicalPath(at);
    if (!root.isEmpty() && !file.isEmpty() && !file.startsWith(root + u'/'))
        return {};
    return at;
}

QList<RecordingSource> parseRecordingSources(QStringView setting)
{
    QList<RecordingSource> out;
    for (const QStringView entry : setting.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype bar = entry.lastIndexOf(u'|');
        if (bar <= 0 || bar + 1 >= entry.size())
            continue;
        QString folder = entry.left(bar).trimmed().toString();
        while (folder.size() > 1 && folder.endsWith(u'/'))
            folder.chop(1);
        const QString pattern = entry.mid(bar + 1).trimmed().toString();
        // Blanks around a bar are no folder and no pattern.
        if (folder.isEmpty() || pattern.isEmpty())
            continue;
        out.append({folder, pattern});
    }
    return out;
}

QString recordingSourcesSetting(const QList<RecordingSource>& sources)
{
    QStringList parts;
    for (const RecordingSource& s : sources)
        parts << s.folder + u'|' + s.pattern;
    return parts.join(u';');
}

} // namespace lex
