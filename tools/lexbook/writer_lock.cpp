// The lock every writer verb takes before it changes a Book or Config.INI, or its refusal.
#include "commands.h"

#include "common/config/profile.h"
#include "common/platform/runtime_dir.h"
#include "lexora/book/book_lock.h"

namespace lexbook {

bool lockOrRefuse(const WriteTarget& target, std::unique_ptr<lex::FileLock>* held, int* code)
{
    bool busy = false;
    lex::Status st;
    if (target.config) {
        st = target.config->lockWriters(kWriterLockWaitMs, &busy);
        // A folder that cannot be locked (it does not exist yet): the write finds out for itself.
        if (!st && !busy)
            return true;
    } else {
        st = lex::lockBook(lex::defaultRuntimeDir(), target.bookFolder, target.bookName, kWriterLockWaitMs, held, &busy);
    }
    if (st)
        return true;
    if (busy)
        *code = fail(target.config
                         ? QStringLiteral("%1 is being written by another program (Lexora or Glosix) that has not "
                                          "finished: nothing was changed, try again when it has")
                               .arg(target.shown)
                         : QStringLiteral("%1 is open in Lexora or being written by another program: nothing was "
                                          "changed, close it there first")
                               .arg(target.shown),
                     kBusyExit);
    else
        *code = fail(QStringLiteral("cannot lock %1 against other writers: %2").arg(target.shown, st.message()), 1);
    return false;
}

} // namespace lexbook
