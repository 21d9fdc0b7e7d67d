#include "common/dictionary/dictionary_shelf.h"

#include "common/dictionary/dict_builder.h"
#include "common/dictionary/phonetic_codes.h"

#include <algorithm>

namespace lex {
namespace {

bool ownEntry(const Dictionary& d, QStringView word, QString* text)
{
    if (d.variant() == DictVariant::Companion) {
        if (!d.LookUpEntryText(word, *text))
            return false;
        *text = companionTextWithIpa(std::move(*text));
        return true;
    }
    DictSourceEntry e;
    QString explanation;
    if (!d.LookUpWord(word, explanation, e.phonetic))
        return false;
    e.key = word.toString();
    if (!explanation.isEmpty())
        e.explanation = explanation.split(QLatin1String("\r\n"));
    *text = companionTextFromMain(e);
    return true;
}

// Whether `t` begins with a marker that starts a line of its own on screen (all but 1).
bool startsLine(QStringView t)
{
    if (t.size() < 3 || t[0] != QLatin1Char('`'))
        return false;
    if (t[1] >= QLatin1Char('2') && t[1] <= QLatin1Char('9') && t[2] == QLatin1Char('`'))
        return true;
    return t.size() >= 4 && t[1] == QLatin1Char('1') && t[2] >= QLatin1Char('0') && t[2] <= QLatin1Char('4')
           && t[3] == QLatin1Char('`');
}

} // namespace

QString shelfText(const std::vector<ShelfEntry>& entries)
{
    QString t;
    // A CR LF before a piece that starts its own line anyway would show as an empty line.
    auto add = [&t](const QString& piece) {
        if (!t.isEmpty() && !startsLine(piece))
            t += QLatin1String("\r\n");
        t += piece;
    };
    QString lastSource;
    for (const ShelfEntry& e : entries) {
        if (!e.source.isEmpty() && e.source != lastSource) {
            // An empty line sets each dictionary apart from the one above; at the very top marker 1
            // (the same bold black) keeps the first line from being empty.
            const QString name = QString(e.source).replace(QLatin1Char('`'), QChar(0x2018));
            if (t.isEmpty())
                t = QLatin1String("`1`") + name;
            else
                t += QLatin1String("\r\n`7`") + name;
        }
        lastSource = e.source;
        if (!e.formNote.isEmpty())
            add(QLatin1String("`9`") + e.formNote);
        add(e.text);
    }
    return t;
}

void DictionaryShelf::setOwn(const Dictionary* own, const WordForms* forms)
{
    own_ = own;
    forms_ = forms;
}

Status DictionaryShelf::addStarDict(Env* env, const QString& ifoPath)
{
    auto d = std::make_unique<StarDict>();
    Status s = d->open(env, ifoPath);
    if (s)
        dicts_.push_back({std::move(d), true});
    return s;
}

int DictionaryShelf::addStarDicts(Env* env, const QStringList& ifoPaths, QStringList* problems)
{
    int added = 0;
    for (const QString& ifo : ifoPaths) {
        const Status s = addStarDict(env, ifo);
        if (s)
            ++added;
        else if (problems)
            *problems << QStringLiteral("%1: %2").arg(ifo, s.message());
    }
    return added;
}

std::vector<StarDictChoice> starDictChoices(const Profile& profile, const QString& programFolder,
                                            const QStringList& folders)
{
    return arrangeStarDicts(findStarDictFiles(folders), readStarDictOrder(profile, programFolder));
}

void DictionaryShelf::move(int from, int to)
{
    if (from < 0 || to < 0 || from >= starDictCount() || to >= starDictCount() || from == to)
        return;
    Slot s = std::move(dicts_[size_t(from)]);
    dicts_.erase(dicts_.begin() + from);
    dicts_.insert(dicts_.begin() + to, std::move(s));
}

std::vector<ShelfEntry> DictionaryShelf::lookUp(QStringView word, QStringList* problems) const
{
    std::vector<ShelfEntry> out;
    std::optional<BaseForm> base = forms_ ? forms_->baseFormOf(word) : std::nullopt;
    if (base && base->lemma == word)
        base.reset();
    const QString note = base ? formNote(word.toString(), base->lemma, base->kind) : QString();
    QString text;
    if (own_ && ownEntry(*own_, word, &text))
        out.push_back({{}, word.toString(), {}, text});
    if (own_ && base && ownEntry(*own_, base->lemma, &text))
        out.push_back({{}, base->lemma, note, text});

    std::vector<StarDictEntry> found;
    for (const Slot& slot : dicts_) {
        if (!slot.enabled)
            continue;
        // One search without regard to case; the entries spelt exactly as typed win if any.
        auto search = [&](QStringView w) {
            const Status s = slot.dict->lookup(w, StarDict::Match::IgnoreAsciiCase, &found);
            if (!s && problems)
                *problems << s.message();
            const auto exact = [&](const StarDictEntry& e) { return e.word == w; };
            if (std::any_of(found.begin(), found.end(), exact))
                found.erase(std::remove_if(found.begin(), found.end(), [&](const StarDictEntry& e) { return !exact(e); }),
                            found.end());
        };
        search(word);
        QString entryNote;
        if (found.empty() && base) {
            search(base->lemma);
            entryNote = note;
        }
        for (const StarDictEntry& e : found) {
            QString t = starDictSafeText(e);
            t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
            out.push_back({slot.dict->info().bookname, e.word, entryNote, t});
        }
    }
    return out;
}

} // namespace lex
