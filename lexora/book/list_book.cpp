#include "lexora/book/list_book.h"

#include "lexora/book/added_word.h"
#include "lexora/book/book.h"
#include "lexora/book/book_file.h"
#include "lexora/book/word_entry.h"

#include <QSet>

namespace lex {

CreateBookFailure makeBookFromWords(Env* env, const NewBookFromWords& r, int* added)
{
    using Why = CreateBookFailure::Why;
    env = orDefault(env);
    if (added)
        *added = 0;
    if (!validBookName(r.name))
        return {Why::BadName, r.name};
    Book book;
    book.path = r.folder;
    book.name = r.name;
    for (const QString& path : {book.indexPath(), book.textPath()})
        if (env->fileExists(path))
            return {Why::Exists, path};
    QSet<QString> seen;
    for (const QString& w : r.words) {
        const QString stored = storedWordForm(w);
        if (stored.isEmpty() || seen.contains(stored))
            continue;
        seen.insert(stored);
        book.AddEntry(makeAddedEntry(stored, r.dict, r.known.contains(stored) ? r.knownDegrees : r.degrees, r.now),
                      AddMode::Interactive);
    }
    book.textChanged = true; // an empty Book gets its text file's header too
    const SaveResult saved = saveBook(book, env);
    if (!saved.ok())
        return {Why::WriteFailed, saved.failedPath};
    if (added)
        *added = int(book.size());
    return {};
}

ListExprError::Why readBookWords(Env* env, const QString& pathStem, QStringList* words)
{
    env = orDefault(env);
    words->clear();
    const qsizetype slash = pathStem.lastIndexOf(QLatin1Char('/'));
    const QString path = pathStem.left(slash + 1), name = pathStem.mid(slash + 1);
    if (name.isEmpty() || !env->fileExists(path + name + QStringLiteral(".idx")))
        return ListExprError::Why::MissingBook;
    Book book;
    const LoadReport report = inspectBook(path, name, env, &book);
    if (!report.readError.isEmpty())
        return ListExprError::Why::UnreadableBook;
    for (int i = 0; i < book.size(); ++i)
        words->append(book.full()[size_t(i)]->word().toString());
    return ListExprError::Why::None;
}

ListBookForm::ListBookForm(const WordInfoTable& table, const Dictionary* dict, Env* env, QString folder)
    : table_(table), dict_(dict), env_(orDefault(env)), folder_(std::move(folder))
{
    if (table_.count())
        lists_ = dictionaryLists(table_);
}

QStringList ListBookForm::books() const { return listBooks(env_, folder_); }

QString ListBookForm::bookTerm(const QString& name) const { return QStringLiteral("book:") + folder_ + name; }

void ListBookForm::setExpression(const QString& text)
{
    if (text != expression_) {
        expression_ = text;
        fresh_ = false;
    }
}

void ListBookForm::addTerm(QChar op, const QString& term)
{
    const QString now = expression_.trimmed();
    setExpression(now.isEmpty() ? term : now + QLatin1Char(' ') + op + QLatin1Char(' ') + term);
}

ListBookForm::Preview ListBookForm::preview()
{
    if (!fresh_) {
        words_.clear();
        ListExpression expr;
        error_ = parseListExpression(expression_, &expr);
        if (!error_.failed())
            error_ = evaluateListExpression(
                expr, table_, [this](const QString& book, QStringList* w) { return readBookWords(env_, book, w); }, &words_);
        fresh_ = true;
    }
    return {words_.size(), error_};
}

ListBookForm::Made ListBookForm::make(const QDateTime& now)
{
    Made m;
    fresh_ = false; // a Book named in the expression may have changed since the count
    m.error = preview().error;
    if (m.error.failed())
        return m;
    NewBookFromWords request;
    request.folder = folder_;
    request.name = name.trimmed();
    request.words = words_;
    orderWords(&request.words, table_, order);
    request.dict = dict_;
    request.degrees = degrees;
    request.known = known;
    request.now = now;
    m.failure = makeBookFromWords(env_, request, &m.added);
    return m;
}

} // namespace lex
