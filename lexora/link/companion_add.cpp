#include "lexora/link/companion_add.h"

#include "common/config/config_keys.h"
#include "common/config/word_book_keys.h"
#include "common/platform/sources.h"
#include "lexora/book/added_word.h"
#include "lexora/book/book_session.h"
#include "lexora/book/word_entry.h"

namespace lex {

LinkAddOutcome addCompanionWord(const BookSession& session, const AddEntryFn& add, const Dictionary* dict,
                                const Profile* profile, const Clock& clock, const QString& word)
{
    const QString stored = storedWordForm(word);
    if (stored.isEmpty() || session.book().loadFailed)
        return LinkAddOutcome::Refused;
    if (bookHasWord(session.book(), stored))
        return LinkAddOutcome::AlreadyInBook;
    // The one way in for entries the learner adds: the add dialog's own entry point.
    const int row = add(makeAddedEntry(word, dict, readStrangeIndex(profile, config::kAddModify), clock.localNow()));
    return row >= 0 ? LinkAddOutcome::Added : LinkAddOutcome::Refused;
}

} // namespace lex
