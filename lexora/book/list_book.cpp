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
        book.AddEntry(makeAddedEntry(stored, r.dict, r.degrees, r.now), AddMode::Interactive);
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

} // namespace lex
