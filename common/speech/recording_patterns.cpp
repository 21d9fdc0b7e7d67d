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

// A folder's usable names by their case-folded form; of APPLE.mp3 and Apple.mp3 always the same
// one, as names are listed in no particular order.
QHash<QString, QString> namesByFold(QStringList names)
{
    names.sort();
    QHash<QString, QString> out;
    out.reserve(names.size());
    for (const QString& n : names)
        if (usablePart(n)) {
            const QString key = n.toCaseFolded();
            if (!out.contains(key))   // the first in order wins
                out.insert(key, n);
        }
    return out;
}

} // namespace

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
        if (last ? env->isRegularFile(exact) : env->isDir(exact)) {
            at = exact;
            continue;
        }
        // Without regard to case: the first name in the folder that matches.
        QHash<QString, QString> listed;
        const QHash<QString, QString>* names = &listed;
        if (cache) {
            auto& known = last ? cache->files : cache->folders;
            auto it = known.find(at);
            if (it == known.end())
                it = known.insert(at, namesByFold(last ? env->listFiles(at) : env->listFolders(at)));
            names = &*it;
        } else {
            listed = namesByFold(last ? env->listFiles(at) : env->listFolders(at));
        }
        const QString found = names->value(parts[i].toCaseFolded());
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
