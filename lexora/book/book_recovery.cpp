#include "lexora/book/book_recovery.h"

#include "lexora/book/book_file.h"
#include "lexora/book/book_session.h"

#include <cstdio>

namespace lex {

namespace {

// One line per copy not yet announced, UTF-8.
QString noticesPath(const QString& root) { return root + QStringLiteral("/not-yet-announced.txt"); }

} // namespace

Status writeRecoveryCopy(Book& book, const QString& root, const QDateTime& now, Env* env, QString* where)
{
    const QString base = root + QLatin1Char('/') + now.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QString folder = base;
    for (int n = 2; env->fileExists(folder); ++n)
        folder = base + QStringLiteral("-%1").arg(n);
    if (Status st = createDirs(env, folder); !st)
        return st;

    // Saved as the Book itself would be, both files whole, then given its own place back.
    const QString path = book.path;
    const bool loadFailed = book.loadFailed;
    auto damage = std::move(book.damageCopies);
    book.damageCopies.reset();
    book.path = folder + QLatin1Char('/');
    book.textChanged = true;
    book.loadFailed = false;
    const SaveResult r = saveBook(book, env);
    book.path = path;
    book.loadFailed = loadFailed;
    book.damageCopies = std::move(damage);
    book.textChanged = true;
    if (!r.ok())
        return Status::error(r.failedPath + QStringLiteral(": ") + r.message);

    *where = folder + QLatin1Char('/') + book.name;
    QByteArray notices;
    if (env->fileExists(noticesPath(root)))
        env->readFile(noticesPath(root), &notices);
    notices += where->toUtf8() + '\n';
    return writeFileAtomically(env, noticesPath(root), notices);
}

QString saveForShutdownRequest(BookSession& session, const QString& root, const QDateTime& now)
{
    const Book& book = session.book();
    if (!book.saveOnExit)
        return {};
    session.setSaveOnExit(false);
    // No questions: a failed save gives up at once instead of asking for another name.
    const SaveResult saved = session.save(SaveQuestions{});
    if (saved.ok())
        return {};
    QString where;
    const Status st = session.writeRecoveryCopy(root, now, &where);
    if (!st) {
        std::fprintf(stderr, "Lexora: the Book %s could not be saved (%s), nor a copy in %s: %s\n",
                     qUtf8Printable(book.name), qUtf8Printable(saved.message), qUtf8Printable(root),
                     qUtf8Printable(st.message()));
        return {};
    }
    std::fprintf(stderr, "Lexora: the Book %s could not be saved (%s); a copy is in %s\n", qUtf8Printable(book.name),
                 qUtf8Printable(saved.message), qUtf8Printable(where));
    return where;
}

QStringList takeRecoveredBooks(const QString& root, Env* env)
{
    const QString path = noticesPath(root);
    QByteArray bytes;
    if (!env->fileExists(path) || !env->readFile(path, &bytes))
        return {};
    env->removeFile(path);
    QStringList out;
    for (const QByteArray& line : bytes.split('\n'))
        if (!line.isEmpty())
            out << QString::fromUtf8(line);
    return out;
}

} // namespace lex
