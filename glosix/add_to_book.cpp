#include "glosix/add_to_book.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/config/word_book_keys.h"
#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "common/platform/window_link.h"
#include "lexora/book/added_word.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_lock.h"
#include "lexora/book/book_session.h"
#include "lexora/book/operations/entry_ops.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <atomic>
#include <thread>

namespace lex {

using Kind = AddToResult::Kind;

GlosixAddTo::GlosixAddTo(Deps deps) : deps_(std::move(deps))
{
    if (!deps_.env)
        deps_.env = Env::defaultEnv();
    if (!deps_.clock)
        deps_.clock = Clock::system();
}

GlosixAddTo::~GlosixAddTo() = default;

AddToResult GlosixAddTo::add(const QString& word)
{
    AddToResult r;
    if (storedWordForm(word).isEmpty())
        return r;
    if (deps_.link) {
        const LinkAddReply reply = askLexora(word);
        switch (reply.delivery) {
        case LinkAddReply::Delivery::Answered:
            r.kind = reply.outcome == LinkAddOutcome::Added           ? Kind::AddedInLexora
                     : reply.outcome == LinkAddOutcome::AlreadyInBook ? Kind::AlreadyInLexora
                                                                      : Kind::Refused;
            return r;
        case LinkAddReply::Delivery::NoAnswer:
            // It may still add the word once it gets to it: the files are not ours to touch.
            r.kind = Kind::NoAnswer;
            return r;
        case LinkAddReply::Delivery::NoWindow:
            break;
        }
    }
    return appendWithoutLexora(word);
}

LinkAddReply GlosixAddTo::askLexora(const QString& word)
{
    if (!QCoreApplication::instance())
        return deps_.link->sendAddTo(kLexoraTitle, word);
    // Lexora may be sending us a word at this very moment, its GUI thread waiting for our answer
    // before it can serve this request: keep serving the link (but not the learner's input) while
    // the request waits on a thread, so neither program waits out the other's time-out.
    LinkAddReply reply;
    std::atomic<bool> done{false};
    QEventLoop loop;
    std::thread asking([&] {
        reply = deps_.link->sendAddTo(kLexoraTitle, word);
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    asking.join();
    return reply;
}

AddToResult GlosixAddTo::appendWithoutLexora(const QString& word)
{
    AddToResult r;
    // The Book Lexora opens next: the one it wrote into Config.INI when it ended, or its default.
    const Profile profile(deps_.programFolder + QLatin1Char('/') + config::kFileName, deps_.env);
    QString folder = folderFromConfig(profile.readString(config::kInit, config::kBookPath));
    if (folder.isEmpty())
        folder = deps_.programFolder + QStringLiteral("/Book/");
    QString name = profile.readString(config::kInit, config::kBookName);
    if (name.isEmpty())
        name = QStringLiteral("Book");
    r.bookName = name;
    const QString index = folder + name + QStringLiteral(".idx");
    if (!deps_.env->fileExists(index)) {
        r.kind = Kind::Failed;
        r.detail = QStringLiteral("找不到词库：") + index;
        return r;
    }

    // Held until the word is in both files; a Lexora starting meanwhile waits for it.
    std::unique_ptr<FileLock> lock;
    bool busy = false;
    if (const Status st = lockBook(deps_.runtimeDir, folder, name, kLockWaitMs, &lock, &busy); !st) {
        r.kind = busy ? Kind::BookInUse : Kind::Failed;
        r.detail = st.message();
        return r;
    }

    Book book;
    const LoadReport report = inspectBook(folder, name, deps_.env, &book);
    if (!report.readError.isEmpty()) {
        r.kind = Kind::Failed;
        r.detail = QStringLiteral("无法读取词库：") + index;
        return r;
    }
    if (bookHasWord(book, storedWordForm(word))) {
        r.kind = Kind::AlreadyInFile;
        return r;
    }

    std::unique_ptr<WordEntry> entry =
        makeAddedEntry(word, mainDictionary(), readStrangeIndex(&profile, config::kAddModify), deps_.clock->localNow());
    // A Book never written (both files empty) is saved whole, so that it gets its headers: appended
    // records without them would be read as the oldest form of a Book.
    if (deps_.env->fileSize(index) == 0 && book.empty()) {
        // An add like any other, through a session of its own (the lock is held here already).
        BookSession session(deps_.env);
        session.open(folder, name);
        session.run(std::make_unique<AddOp>(std::move(entry)));
        if (const SaveResult saved = session.save(SaveQuestions{}); !saved.ok()) {
            r.kind = Kind::Failed;
            r.detail = saved.message.isEmpty() ? saved.failedPath : saved.message;
            return r;
        }
        r.kind = Kind::AddedToFile;
        return r;
    }
    if (const QString error = AppendToBook({entry.get()}, folder, name, deps_.env); !error.isEmpty()) {
        r.kind = Kind::Failed;
        r.detail = error;
        return r;
    }
    r.kind = Kind::AddedToFile;
    return r;
}

const Dictionary* GlosixAddTo::mainDictionary()
{
    if (!mainDict_) {
        mainDict_ = std::make_unique<Dictionary>(DictVariant::Main);
        mainDict_->openFolder(deps_.programFolder + QStringLiteral("/Dict"));   // missing: no texts
    }
    return mainDict_.get();
}

AddAllResult GlosixAddTo::addAll(const QStringList& words)
{
    AddAllResult all;
    QStringList tried;
    for (const QString& word : words) {
        const QString stored = storedWordForm(word.trimmed());
        if (stored.isEmpty() || tried.contains(stored))
            continue;
        tried << stored;
        const AddToResult r = add(stored);
        switch (r.kind) {
        case Kind::AddedInLexora:
        case Kind::AddedToFile:
            ++all.added;
            break;
        case Kind::AlreadyInLexora:
        case Kind::AlreadyInFile:
            ++all.already;
            break;
        case Kind::NothingToAdd:
            break;
        default:
            // The next word would meet the same refusal, busy Book or failing disk.
            all.stopped = r;
            all.stoppedWord = stored;
            return all;
        }
    }
    return all;
}

QString GlosixAddTo::describe(const AddAllResult& result)
{
    QString text = QStringLiteral("添加了 %1 个单词").arg(result.added);
    if (result.already > 0)
        text += QStringLiteral("，%1 个已在词库中，未重复添加").arg(result.already);
    if (result.stopped)
        text += QStringLiteral("；") + describe(*result.stopped, result.stoppedWord);
    return text;
}

QString GlosixAddTo::describe(const AddToResult& result, const QString& word)
{
    const QString w = QStringLiteral("“") + storedWordForm(word) + QStringLiteral("”");
    switch (result.kind) {
    case Kind::AddedInLexora:
        return w + QStringLiteral("已添加到 Lexora 打开的词库");
    case Kind::AddedToFile:
        return w + QStringLiteral("已添加到词库 ") + result.bookName;
    case Kind::AlreadyInLexora:
        return w + QStringLiteral("已在 Lexora 打开的词库中，未重复添加");
    case Kind::AlreadyInFile:
        return w + QStringLiteral("已在词库 ") + result.bookName + QStringLiteral(" 中，未重复添加");
    case Kind::Refused:
        return QStringLiteral("Lexora 现在不能添加单词，请稍后再试");
    case Kind::NoAnswer:
        return QStringLiteral("Lexora 没有回应，请稍后在 Lexora 中查看");
    case Kind::BookInUse:
        return QStringLiteral("词库 ") + result.bookName + QStringLiteral(" 正被其他程序使用，未添加");
    case Kind::Failed:
        return QStringLiteral("添加失败：") + result.detail;
    case Kind::NothingToAdd:
        break;
    }
    return QStringLiteral("没有可添加的单词");
}

} // namespace lex
