// The word-book window's side of Glosix's "AddTo".
#include "lexora/app/lexora_dlg.h"

#include "common/config/profile.h"
#include "common/platform/sources.h"
#include "lexora/link/companion_add.h"
#include "lexora/book/operations/entry_ops.h"

namespace lex {

LinkAddOutcome CLexoraDlg::addFromCompanion(const QString& word)
{
    const Clock& clock = services_.clock ? *services_.clock : *Clock::system();
    const LinkAddOutcome r = addCompanionWord(
        session_, [this](std::unique_ptr<WordEntry> e) { return session_.run(std::make_unique<AddOp>(std::move(e))); }, &dict_, profile_.get(), clock, word);
    // Shown where it landed, without taking the learner's selection.
    if (r == LinkAddOutcome::Added && list_)
        list_->scrollTo(list_->model()->index(session_.rowCount() - 1, 0));
    return r;
}

} // namespace lex
