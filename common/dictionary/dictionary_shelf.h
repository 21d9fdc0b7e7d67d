#pragma once
// Every dictionary a look-up goes through, in the order shown: the program's own dictionary first
// (with the inflected forms kept in its index), then each enabled StarDict dictionary in the
// learner's order. One call gives everything the companion window shows for a word.

#include "common/config/stardict_order.h"
#include "common/dictionary/dictionary.h"
#include "common/dictionary/stardict.h"
#include "common/dictionary/word_forms.h"
#include "common/platform/env.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace lex {

struct ShelfEntry {
    QString source;   // empty for the own dictionary, else the StarDict bookname
    QString headword; // whose entry this is: the typed word, or its base form
    QString formNote; // set when found under the base form: "went：go 的过去式"
    QString text;     // the companion's marked-up text, the phonetic (marker 4) as IPA; lines end in CR LF
};

// The entries as one marked-up text for the companion window: each StarDict dictionary's entries
// under its name (marker 7 after an empty line; marker 1 at the very top), a found-under-the-base-form
// line (marker 9) before the entry it explains; otherwise a CR LF between pieces only where the next
// one does not start its own line. Empty when there are none.
QString shelfText(const std::vector<ShelfEntry>& entries);

// The StarDict dictionaries in `folders` (see findStarDictFiles) in the learner's order and with
// the learner's choice of on and off, as STARDICT/Dictionaries of `profile` keeps them.
std::vector<StarDictChoice> starDictChoices(const Profile& profile, const QString& programFolder,
                                            const QStringList& folders);

class DictionaryShelf {
public:
    // The own dictionary and its forms; either may be null. Not owned: they must outlive the shelf.
    void setOwn(const Dictionary* own, const WordForms* forms);
    // Opens a StarDict dictionary and puts it last, enabled. On failure nothing is added.
    Status addStarDict(Env* env, const QString& ifoPath);
    // Opens each in turn and puts it last, so that they are shown in this order; one that cannot
    // be opened is left out and named in `problems`. Returns how many were added.
    int addStarDicts(Env* env, const QStringList& ifoPaths, QStringList* problems = nullptr);
    int starDictCount() const { return int(dicts_.size()); }
    const StarDict& starDict(int i) const { return *dicts_[size_t(i)].dict; }
    void setEnabled(int i, bool enabled) { dicts_[size_t(i)].enabled = enabled; }
    bool isEnabled(int i) const { return dicts_[size_t(i)].enabled; }
    // Moves dictionary `from` to place `to` (both 0-based).
    void move(int from, int to);

    // The own dictionary's entry for `word`, and for its base form when `word` is an inflected
    // form; then, per enabled StarDict dictionary, its entries for `word` (exactly, else without
    // regard to ASCII case), else for the base form. Entries that could not be read are named
    // in `problems`.
    std::vector<ShelfEntry> lookUp(QStringView word, QStringList* problems = nullptr) const;

private:
    struct Slot {
        std::unique_ptr<StarDict> dict;
        bool enabled = true;
    };
    const Dictionary* own_ = nullptr;
    const WordForms* forms_ = nullptr;
    std::vector<Slot> dicts_;
};

} // namespace lex
