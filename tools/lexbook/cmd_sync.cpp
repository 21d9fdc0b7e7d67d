// sync: one merge of a word book with the journal in a synced folder, from the shell.
#include "commands.h"

#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "lexora/book/book_lock.h"
#include "lexora/book/book_session.h"
#include "lexora/record/book_record.h"
#include "lexora/sync/book_sync.h"
#include "lexora/texts/lexora_texts.h"

#include <QSysInfo>
#include <cstdio>

namespace lexbook {

const char kSyncHelp[] =
    "Merges the word book with the journal kept in DIR (a folder a sync tool carries between machines):\n"
    "what changed here since the last merge goes out as a new file of this machine's, what the other\n"
    "machines wrote comes in, and the learning record's answers go both ways. A BOOK that does not exist\n"
    "yet is made from the journal. --device names this machine (default: the host name). Prints what\n"
    "came in and went out; a file of the folder that is not whole yet is read at a later merge.\n";

int cmdSync(const QStringList& argsIn)
{
    const QString usage = QStringLiteral("usage: lexbook sync BOOK --folder DIR [--device NAME]");
    QStringList args = argsIn;
    std::optional<QString> folder, device;
    QString error;
    if (!takeValue(args, QStringLiteral("--folder"), &folder, &error)
        || !takeValue(args, QStringLiteral("--device"), &device, &error))
        return fail(error);
    if (args.size() != 1 || !folder || args[0].startsWith(QLatin1String("--")))
        return fail(usage);
    lex::Env* env = lex::Env::defaultEnv();
    if (!env->isDir(*folder))
        return fail(QStringLiteral("no such folder: ") + *folder, 1);
    const QString& arg = args[0];
    const qsizetype slash = arg.lastIndexOf(QLatin1Char('/'));
    const QString path = arg.left(slash + 1), name = arg.mid(slash + 1);
    if (name.isEmpty())
        return fail(usage);
    if (!path.isEmpty() && !env->isDir(path))
        if (lex::Status made = lex::createDirs(env, path); !made)
            return fail(QStringLiteral("cannot create %1: %2").arg(path, made.message()), 1);
    std::unique_ptr<lex::FileLock> writer;
    int code = 0;
    if (!lockOrRefuse({arg, path, name}, &writer, &code))
        return code;

    lex::BookSession session(env);
    lex::BookRecord record(
        [](const lex::RecordFault& fault) { std::fprintf(stderr, "lexbook: %s\n", qUtf8Printable(lex::texts::recordFault(fault))); });
    record.follow(session);
    const lex::LoadReport loaded = session.open(path, name);
    if (!loaded.readError.isEmpty())
        return fail(QStringLiteral("cannot read the word book: ") + loaded.readError, 1);

    lex::sync::SyncOptions options;
    options.folder = *folder;
    options.machine = device && !device->isEmpty() ? *device : QSysInfo::machineHostName();
    options.wallMs = lex::Clock::system()->localNow().toMSecsSinceEpoch();
    QString saveError;
    const lex::sync::SyncReport r = lex::sync::syncBook(session, &record.record(), nullptr, env, options, [&] {
        const lex::SaveResult saved = session.save(lex::SaveQuestions{});
        if (!saved.ok())
            saveError = QStringLiteral("保存文件失败:%1 (%2)").arg(saved.failedPath, saved.message);
        return saved.ok();
    });
    if (!saveError.isEmpty())
        return fail(saveError, 1);
    QString text = QStringLiteral("out: %1 edits, %2 answers and stamps%3\n")
                       .arg(r.sentEdits)
                       .arg(r.sentEvents)
                       .arg(r.sentFile.isEmpty() ? QString() : QStringLiteral(" (") + r.sentFile + QLatin1Char(')'));
    text += QStringLiteral("in: %1 files, %2 added, %3 changed, %4 removed, %5 answers and stamps\n")
                .arg(r.filesRead)
                .arg(r.added)
                .arg(r.changed)
                .arg(r.removed)
                .arg(r.events);
    if (r.revived)
        text += QStringLiteral("%1 entries deleted here came back: they were edited on another machine later\n").arg(r.revived);
    if (!r.incomplete.isEmpty())
        text += QStringLiteral("not whole yet, read later: %1\n").arg(r.incomplete.join(QStringLiteral(", ")));
    if (r.compacted)
        text += QStringLiteral("this machine's files were compacted into one\n");
    out(text);
    if (!r.foreign.isEmpty())
        std::fprintf(stderr, "lexbook: skipped, not a journal of this version: %s\n",
                     qUtf8Printable(r.foreign.join(QStringLiteral(", "))));
    if (!r.status) {
        std::fprintf(stderr, "lexbook: the synced folder: %s\n", qUtf8Printable(r.status.message()));
        return 1;
    }
    return 0;
}

} // namespace lexbook
