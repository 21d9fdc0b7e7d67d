// lists and new-book: the dictionary's word lists (exam lists, Oxford 3000, Collins stars), and a
// new word book made from an expression over them.
#include "commands.h"

#include "common/dictionary/dictionary.h"
#include "common/dictionary/word_info.h"
#include "common/dictionary/word_lists.h"
#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "lexora/book/book_lock.h"
#include "lexora/book/list_book.h"
#include "lexora/texts/lexora_texts.h"

#include <memory>

namespace lexbook {
namespace {

// The word information of DICTFOLDER/Dict.idx; false (message printed) when there is none.
bool openWordInfo(const QString& dictFolder, lex::WordInfoTable* table, int* code)
{
    const QString index = dictFolder + QStringLiteral("/Dict.idx");
    if (!table->openIndex(index)) {
        *code = fail(QStringLiteral("不能打开词典文件，请确认此文件是否存在 ") + index);
        return false;
    }
    if (!table->count()) {
        *code = fail(QStringLiteral("%1 keeps no word lists (a dictionary built without them offers none)").arg(index));
        return false;
    }
    return true;
}

QString exprMessage(const QString& expr, const lex::ListExprError& e)
{
    using Why = lex::ListExprError::Why;
    switch (e.why) {
    case Why::None: break;
    case Why::Empty: return QStringLiteral("--list is empty: name a list, e.g. \"cet6 - cet4\"");
    case Why::NameExpected:
        return QStringLiteral("--list \"%1\": a list name is missing at character %2").arg(expr).arg(e.position + 1);
    case Why::OperatorExpected:
        return QStringLiteral("--list \"%1\": '+', '-' or '&' is missing at character %2").arg(expr).arg(e.position + 1);
    case Why::UnknownList:
        return QStringLiteral("--list: no list named '%1' (lists: zk gk cet4 cet6 ky ielts toefl gre oxford3000 "
                              "collins1..collins5 book:PATH/STEM)").arg(e.subject);
    case Why::MissingBook: return QStringLiteral("--list: no word book %1 (no %1.idx)").arg(e.subject);
    case Why::UnreadableBook: return QStringLiteral("--list: cannot read the word book %1").arg(e.subject);
    }
    return {};
}

} // namespace

const char kListsHelp[] =
    "Prints the word lists the dictionary DICTFOLDER/Dict.idx keeps, one JSON object a line: its name\n"
    "(as new-book's --list takes it) and its number of words. A dictionary built without the lists\n"
    "(by an older lexbook) has none: exit status 1.\n";

const char kNewBookHelp[] =
    "Makes the word book BOOK from the dictionary's word lists, each entry with its phonetic and\n"
    "explanation from the dictionary as the add dialog fills them. --list combines list names with\n"
    "'+' (either), '-' (without) and '&' (both), left to right: zk gk cet4 cet6 ky ielts toefl gre,\n"
    "oxford3000, collins1 to collins5 (that many stars or more) and book:PATH/STEM (the words of an\n"
    "existing word book; its name runs to the next operator with a blank before it). --order sorts\n"
    "by the frequency rank (frq, the default), the BNC rank, Collins stars or alphabetically; words\n"
    "without a rank come last. --strangeness gives the recognition, spelling and listening degrees\n"
    "(default 10,10,10). --dict is the dictionary folder (default: Dict beside BOOK's folder). A bad\n"
    "expression, an unknown list, a missing word book or an existing BOOK makes nothing.\n";

int cmdLists(const QStringList& args)
{
    if (args.size() != 1)
        return fail(QStringLiteral("usage: lexbook lists DICTFOLDER"));
    lex::WordInfoTable table;
    const QString index = args[0] + QStringLiteral("/Dict.idx");
    if (!table.openIndex(index))
        return fail(QStringLiteral("不能打开词典文件，请确认此文件是否存在 ") + index);
    if (!table.count())
        return fail(QStringLiteral("%1 keeps no word lists (a dictionary built without them offers none)").arg(index), 1);
    QString text;
    for (const lex::NamedList& l : lex::dictionaryLists(table))
        text += QStringLiteral("{\"list\":%1,\"words\":%2}\n").arg(jsonString(lex::listTermName(l.term))).arg(l.count);
    out(text);
    return 0;
}

int cmdNewBook(const QStringList& argsIn)
{
    const QString usage = QStringLiteral("usage: lexbook new-book BOOK --list EXPR [--order frq|bnc|collins|alpha] "
                                         "[--strangeness R,S,L] [--dict DICTFOLDER]");
    QStringList args = argsIn;
    std::optional<QString> list, order, strangeness, dictArg;
    QString error;
    if (!takeValue(args, QStringLiteral("--list"), &list, &error) || !takeValue(args, QStringLiteral("--order"), &order, &error)
        || !takeValue(args, QStringLiteral("--strangeness"), &strangeness, &error)
        || !takeValue(args, QStringLiteral("--dict"), &dictArg, &error))
        return fail(error);
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--")) || !list)
        return fail(usage);
    const qsizetype slash = args[0].lastIndexOf(QLatin1Char('/'));
    lex::NewBookFromWords request;
    request.folder = args[0].left(slash + 1);
    request.name = args[0].mid(slash + 1);
    if (!lex::validBookName(request.name))
        return fail(QStringLiteral("'%1' is no word book name").arg(request.name));
    lex::ListOrder listOrder = lex::ListOrder::Frq;
    if (order && !lex::parseListOrder(*order, &listOrder))
        return fail(QStringLiteral("--order must be frq, bnc, collins or alpha"));
    if (strangeness && !parseStrangeness(*strangeness, &request.degrees))
        return fail(QStringLiteral("--strangeness takes three values from 0 to 10, e.g. 10,10,10"));

    lex::ListExpression expr;
    if (const lex::ListExprError e = lex::parseListExpression(*list, &expr); e.failed())
        return fail(exprMessage(*list, e));
    lex::Env* env = lex::Env::defaultEnv();
    // The program folder holds Book/ and Dict/ side by side.
    const QString dictFolder = dictArg ? *dictArg : (request.folder.isEmpty() ? QStringLiteral("./") : request.folder) + QStringLiteral("../Dict");
    lex::Dictionary dict(lex::DictVariant::Main);
    if (const QStringList failed = dict.openFolder(dictFolder); !failed.isEmpty())
        return fail(QStringLiteral("不能打开词典文件，请确认此文件是否存在 ") + failed.join(QLatin1Char(' ')));
    lex::WordInfoTable table;
    int code = 0;
    if (!openWordInfo(dictFolder, &table, &code))
        return code;
    const lex::ListExprError e = lex::evaluateListExpression(
        expr, table, [env](const QString& book, QStringList* words) { return lex::readBookWords(env, book, words); },
        &request.words);
    if (e.failed())
        return fail(exprMessage(*list, e));
    lex::orderWords(&request.words, table, listOrder);

    for (const QString& path : {args[0] + QStringLiteral(".idx"), args[0] + QStringLiteral(".txt")})
        if (env->fileExists(path))
            return fail(QStringLiteral("指定文件已存在:%1").arg(path), 1);
    if (!request.folder.isEmpty() && !env->fileExists(request.folder))
        if (const lex::Status made = lex::createDirs(env, request.folder); !made)
            return fail(QStringLiteral("cannot create %1: %2").arg(request.folder, made.message()), 1);
    std::unique_ptr<lex::FileLock> writer;
    if (!lockOrRefuse({args[0], request.folder, request.name}, &writer, &code))
        return code;
    request.dict = &dict;
    request.now = lex::Clock::system()->localNow();
    int added = 0;
    if (const lex::CreateBookFailure made = lex::makeBookFromWords(env, request, &added); made.failed())
        return fail(lex::texts::createBookFailure(made), 1);
    out(QStringLiteral("%1: %2 words from \"%3\", in %4 order\n")
            .arg(args[0]).arg(added).arg(*list, QString::fromLatin1(lex::listOrderName(listOrder))));
    return 0;
}

} // namespace lexbook
