#pragma once
// The open Book when a shutdown the learner did not ask for at the keyboard (SIGTERM at logout,
// SIGHUP, the session manager's quit) cannot save it where it belongs: nobody is there to answer
// the save-as question, so the Book is written whole into a folder of its own under the user's
// data folder, and the next start says where.

#include "common/platform/env.h"
#include "common/platform/status.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace lex {

class Book;
class BookSession;

// Writes every entry of `book` as a Book of the same name into a new folder under `root`, named
// for `now` ("2026-03-01_18-30-05", then "-2", "-3" ... when that exists), never over an earlier
// copy, and notes it for takeRecoveredBooks(). The Book keeps its own folder and name; its text
// is marked modified, since the entries' text offsets now point into the copy. `*where` receives
// the new Book's folder and stem ("ROOT/2026-03-01_18-30-05/English").
Status writeRecoveryCopy(Book& book, const QString& root, const QDateTime& now, Env* env, QString* where);

// The shutdown's save, without a question: saves the open Book (unless the learner chose
// to quit without saving); when that fails, writes the recovery copy. Either way the Book is dealt with:
// the window's own exit must not save it again. Returns where the copy went, empty when none
// was needed or it could not be written (said on stderr then).
QString saveForShutdownRequest(BookSession& session, const QString& root, const QDateTime& now);

// The recovery copies written since the last call, oldest first, as writeRecoveryCopy() gave
// them; forgotten once taken.
QStringList takeRecoveredBooks(const QString& root, Env* env);

} // namespace lex
