#include "lexora/book/book_commit.h"

namespace lex::bookcommit {

namespace {
constexpr char kCommitMagic[] = "LEXORA-SAVE 1";
}

SaveSet::SaveSet(const QString& path, const QString& name)
{
    const QString stem = path + name;
    idx = stem + QStringLiteral(".idx");
    txt = stem + QStringLiteral(".txt");
    idxNew = idx + QStringLiteral(".new");
    txtNew = txt + QStringLiteral(".new");
    marker = stem + QStringLiteral(".save");
    markerTmp = marker + QStringLiteral(".tmp");   // writeFileAtomically's own file
    idxTmp = idx + QStringLiteral(".tmp");         // the same, for an index-only save
    dir = parentDir(idx);
}

QByteArray commitContent(qint64 txtSize, qint64 idxSize)
{
    return QByteArray(kCommitMagic) + "\ntext " + QByteArray::number(txtSize) + "\nindex " +
           QByteArray::number(idxSize) + "\n";
}

Pending examine(Env* env, const SaveSet& s)
{
    Pending p;
    if (env->fileExists(s.marker)) {
        p.markerFound = true;
        QByteArray m;
        if (env->readFile(s.marker, &m)) {
            const QList<QByteArray> lines = m.split('\n');
            bool ok1 = false, ok2 = false;
            if (lines.size() >= 3 && lines[0] == kCommitMagic && lines[1].startsWith("text ") &&
                lines[2].startsWith("index ")) {
                p.txtSize = lines[1].mid(5).toLongLong(&ok1);
                p.idxSize = lines[2].mid(6).toLongLong(&ok2);
            }
            p.committed = ok1 && ok2;
        }
        if (!p.committed)
            p.leftovers << s.marker;
    }
    for (const QString& f : {s.markerTmp, s.idxTmp, s.txtNew, s.idxNew}) {
        if (env->fileExists(f))
            p.leftovers << f;
    }
    return p;
}

Status finishInterruptedSave(Env* env, const SaveSet& s, QString* what)
{
    const Pending p = examine(env, s);
    if (!p.any())
        return Status::ok();
    Status st;
    if (p.committed) {
        // Refuse to put in place a file that is not the one the commit describes.
        if (env->fileExists(s.txtNew) && env->fileSize(s.txtNew) != p.txtSize)
            return Status::error(QStringLiteral("%1 does not match %2").arg(s.txtNew, s.marker));
        if (env->fileExists(s.idxNew) && env->fileSize(s.idxNew) != p.idxSize)
            return Status::error(QStringLiteral("%1 does not match %2").arg(s.idxNew, s.marker));
        // Text first, then index: the order of the save itself.
        if (st && env->fileExists(s.txtNew))
            st = env->renameFile(s.txtNew, s.txt);
        if (st && env->fileExists(s.idxNew))
            st = env->renameFile(s.idxNew, s.idx);
        if (st)
            st = env->syncDir(s.dir);
        for (const QString& f : {s.markerTmp, s.idxTmp}) {
            if (st && env->fileExists(f))
                st = env->removeFile(f);
        }
        if (st)
            st = env->removeFile(s.marker);
        if (st)
            st = env->syncDir(s.dir);
        if (what)
            *what = st ? QStringLiteral("completed an interrupted save")
                       : QStringLiteral("could not complete an interrupted save: ") + st.message();
        return st;
    }
    // Not committed: the old files are whole. The marker (if unreadable) goes first, so that a
    // crash while cleaning up can never leave a marker beside a partial set of new files.
    for (const QString& f : p.leftovers) {
        if (st)
            st = env->removeFile(f);
        if (st && f == s.marker)
            st = env->syncDir(s.dir);
    }
    if (what)
        *what = st ? QStringLiteral("removed the leftovers of an interrupted save")
                   : QStringLiteral("could not remove the leftovers of an interrupted save: ") + st.message();
    return st;
}

void effectivePaths(Env* env, const SaveSet& s, const Pending& p, QString* idx, QString* txt)
{
    *idx = s.idx;
    *txt = s.txt;
    if (p.committed) {
        if (env->fileExists(s.idxNew))
            *idx = s.idxNew;
        if (env->fileExists(s.txtNew))
            *txt = s.txtNew;
    }
}


void rollBack(Env* env, const SaveSet& s)
{
    Status st;
    if (env->fileExists(s.marker)) {
        st = env->removeFile(s.marker);
        if (st)
            st = env->syncDir(s.dir);
    }
    if (!st)
        return; // the next load or save completes the committed save instead
    for (const QString& f : {s.markerTmp, s.txtNew, s.idxNew}) {
        if (env->fileExists(f))
            env->removeFile(f);
    }
}


} // namespace lex::bookcommit
