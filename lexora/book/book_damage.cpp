#include "lexora/book/book_damage.h"

#include "lexora/book/book_file.h"

#include <QCryptographicHash>

namespace lex {

std::optional<Book::DamageCopies> planDamageCopies(const Book& book, Env* env)
{
    Book::DamageCopies c;
    c.indexFile = book.indexPath();
    c.textFile = book.textPath();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& f : {c.indexFile, c.textFile}) {
        QByteArray bytes;
        env->readFile(f, &bytes); // unreadable: hashed as empty; the save reads it again anyway
        const qint64 size = bytes.size();
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(&size), sizeof size));
        hash.addData(bytes);
    }
    const QString tag = QString::fromLatin1(hash.result().left(4).toHex());
    c.indexCopy = c.indexFile + QStringLiteral(".damaged-") + tag;
    c.textCopy = c.textFile + QStringLiteral(".damaged-") + tag;
    return c;
}

namespace {

// Copies `from` to `to` durably unless `to` already holds the same bytes. Should `to` hold other
// bytes (the file changed since it was loaded), the next free "-N" name is taken instead.
Status keepCopy(Env* env, const QString& from, QString* to)
{
    if (!env->fileExists(from))
        return Status::ok();
    QByteArray bytes;
    Status st = env->readFile(from, &bytes);
    if (!st)
        return st;
    const QString base = *to;
    for (int n = 2; env->fileExists(*to); ++n) {
        QByteArray there;
        if (env->readFile(*to, &there) && there == bytes)
            return Status::ok();
        if (n > 99)
            return Status::error(QStringLiteral("no free name beside %1").arg(base));
        *to = base + QStringLiteral("-%1").arg(n);
    }
    return writeFileAtomically(env, *to, bytes);
}

} // namespace

Status keepDamageCopies(Book& book, Env* env)
{
    if (!book.damageCopies)
        return Status::ok();
    Book::DamageCopies& c = *book.damageCopies;
    if (c.indexFile != book.indexPath() || c.textFile != book.textPath())
        return Status::ok(); // saved under another name: the damaged files are not overwritten
    // The text first: the index is what a load reads first, and a copy of it alone is of no use.
    for (auto [from, to] : {std::pair{&c.textFile, &c.textCopy}, std::pair{&c.indexFile, &c.indexCopy}}) {
        const Status st = keepCopy(env, *from, to);
        if (!st)
            return Status::error(QStringLiteral("could not keep a copy of the damaged file %1 as %2, so it was not overwritten: %3")
                                     .arg(*from, *to, st.message()));
    }
    book.damageCopies.reset();
    return Status::ok();
}

void removeStrayDamageTemps(const QString& path, const QString& name, Env* env)
{
    const QString idx = name + QStringLiteral(".idx.damaged-"), txt = name + QStringLiteral(".txt.damaged-");
    for (const QString& f : env->listFiles(path.isEmpty() ? QStringLiteral(".") : path)) {
        if (f.endsWith(QLatin1String(".tmp")) && (f.startsWith(idx) || f.startsWith(txt)))
            env->removeFile(path + f);
    }
}

} // namespace lex
