#include "glosix/add_to_book.h"

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/config/word_book_keys.h"
#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "common/platform/window_link.h"
#include "lexora/book/added_word.h"
#include "lexora/book/word_entry.h"
#include "lexora/exchange/exchange_files.h"
#include "lexora/texts/lexora_texts.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <atomic>
#include <thread>

namespace lex {

using Kind = AddToResult::Kind;

GlosixAddTo::GlosixAddTo(Deps deps) : deps_(std::move(deps))
{
    deps_.env = orDefault(deps_.env);
    deps_.clock = orDefault(deps_.clock);
}

GlosixAddTo::~GlosixAddTo() = default;

QString GlosixAddTo::storedForm(QStringView word)
{
    return storedWordForm(word);
}

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

    WordForBookFiles to;
    to.folder = folder;
    to.name = name;
    to.runtimeDir = deps_.runtimeDir;
    to.lockWaitMs = kLockWaitMs;
    to.dictionary = [this] { return mainDictionary(); };
    to.degrees = readStrangeIndex(&profile, config::kAddModify);
    to.now = deps_.clock->localNow();
    const WordAddedToFiles added = addWordToBookFiles(deps_.env, word, to);
    using Outcome = WordAddedToFiles::Outcome;
    switch (added.outcome) {
    case Outcome::Added: r.kind = Kind::AddedToFile; break;
    case Outcome::AlreadyInBook: r.kind = Kind::AlreadyInFile; break;
    case Outcome::InUse: r.kind = Kind::BookInUse; break;
    case Outcome::NoBook:
    case Outcome::Unreadable:
    case Outcome::Failed: r.kind = Kind::Failed; break;
    }
    r.detail = added.outcome == Outcome::NoBook       ? QStringLiteral("找不到词库：") + added.detail
               : added.outcome == Outcome::Unreadable ? QStringLiteral("无法读取词库：") + added.detail
               : added.append.failed()                ? texts::appendFailure(added.append)
                                                      : added.detail;
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

Status GlosixAddTo::exportWords(const QStringList& words, const QString& path, int style, bool unicode,
                                qsizetype* written)
{
    // The texts the Book's add dialog would give each word, so that the list imports as it reads.
    const Dictionary* dict = mainDictionary();
    const QDateTime now = deps_.clock->localNow();
    std::vector<std::unique_ptr<WordEntry>> entries;
    std::vector<const WordEntry*> rows;
    for (const QString& w : words) {
        if (storedWordForm(w).isEmpty())
            continue;
        entries.push_back(makeAddedEntry(w, dict, {10, 10, 10}, now));
        rows.push_back(entries.back().get());
    }
    if (written)
        *written = qsizetype(rows.size());
    return writeExportFile(deps_.env, path, rows, style, unicode);
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
