#include "lexora/sync/book_merge.h"

#include <QHash>
#include <algorithm>
#include <unordered_set>

namespace lex::sync {

namespace {

constexpr Field kTextFields[kTextFieldCount] = {Field::Word, Field::Explanation, Field::Phonetic, Field::ClassName,
                                                Field::Comment};

// The Set records that take `from` to `to` (everything when `from` is null).
void setsFor(EntryId id, const EntryValues* from, const EntryValues& to, const Carried& carried, HybridClock& clock,
             int64_t wallMs, std::vector<Record>* out)
{
    auto set = [&](Field f, const QString& text, int64_t number) {
        if (carried.sets(id, f, text, number))
            return;
        out->push_back({Record::Kind::Set, id, clock.tick(wallMs), f, text, number, 0, 0, 0});
    };
    for (int t = 0; t < kTextFieldCount; ++t)
        if (!from || from->texts[size_t(t)] != to.texts[size_t(t)])
            set(kTextFields[t], to.texts[size_t(t)], 0);
    for (Skill s : kSkills)
        if (!from || from->degrees[size_t(s)] != to.degrees[size_t(s)])
            set(Field(int(Field::Recognition) + int(s)), {}, to.degrees[size_t(s)]);
    if (!from || from->review != to.review)
        set(Field::Review, {}, packedTime(to.review));
    if (!from || from->added != to.added)
        set(Field::Added, {}, packedTime(to.added));
}

} // namespace

void Carried::add(const std::vector<Record>& records)
{
    for (const Record& r : records)
        if (r.kind == Record::Kind::Set)
            values_.insert({r.id, uint8_t(r.field), r.text, r.number});
        else if (r.kind == Record::Kind::Delete)
            deleted_.insert(r.id);
}

Matched matchBook(const std::vector<EntryValues>& book, const JournalState& seen, const KeyChanges& renamed,
                  HybridClock& clock, int64_t wallMs, const Carried& carried)
{
    clock.observe(seen.latest());
    Matched m;
    m.ids.assign(book.size(), 0);
    // The live entries of `seen`, their words changed as this machine changed them.
    std::unordered_map<EntryId, EntryValues> live;
    QHash<WordKey, EntryId> liveByKey;
    for (const auto& [id, e] : seen.entries()) {
        EntryValues v = e.values();
        m.idOfKey.insert(wordKey(v.texts[0], v.added), id);
        if (e.live()) {
            liveByKey.insert(wordKey(v.texts[0], v.added), id);
            live.emplace(id, std::move(v));
        }
    }
    std::unordered_map<EntryId, QString> wordNow;
    for (const auto& [from, to] : renamed) {
        const auto it = liveByKey.find(wordKey(from.word, from.added));
        if (it == liveByKey.end() || from.added != to.added)
            continue;
        const EntryId id = it.value();
        liveByKey.erase(it);
        liveByKey.insert(wordKey(to.word, to.added), id);
        wordNow[id] = to.word;
    }
    QMultiHash<WordKey, EntryId> byKey;
    QMultiHash<int64_t, EntryId> byAdded;
    for (auto it = liveByKey.begin(); it != liveByKey.end(); ++it) {
        byKey.insert(it.key(), it.value());
        byAdded.insert(packedTime(live.at(it.value()).added), it.value());
    }
    std::unordered_set<EntryId> taken;
    std::vector<size_t> unmatched;
    for (size_t i = 0; i < book.size(); ++i) {
        const WordKey key = wordKey(book[i].texts[0], book[i].added);
        bool found = false;
        for (auto it = byKey.find(key); it != byKey.end() && it.key() == key; ++it)
            if (taken.insert(it.value()).second) {
                m.ids[i] = it.value();
                found = true;
                break;
            }
        if (!found)
            unmatched.push_back(i);
    }
    // An edited word the session did not report: the one entry left of its added time.
    std::vector<size_t> fresh;
    for (size_t i : unmatched) {
        std::vector<EntryId> left;
        for (EntryId id : byAdded.values(packedTime(book[i].added)))
            if (!taken.count(id))
                left.push_back(id);
        size_t sameInBook = 0;
        for (size_t j : unmatched)
            sameInBook += book[j].added == book[i].added;
        if (left.size() == 1 && sameInBook == 1) {
            m.ids[i] = left.front();
            taken.insert(left.front());
        } else {
            fresh.push_back(i);
        }
    }
    // A new entry never takes the id of one the journal knows, even a deleted one: that one's
    // answers stay under its own word and time on every machine.
    for (size_t i : fresh) {
        EntryId id = entryIdFor(book[i].texts[0]);
        for (int salt = 0; taken.count(id) || seen.find(id); ++salt)
            id = entryIdFor(book[i].texts[0], book[i].added, salt);
        m.ids[i] = id;
        taken.insert(id);
    }
    for (size_t i = 0; i < book.size(); ++i) {
        const auto it = live.find(m.ids[i]);
        setsFor(m.ids[i], it == live.end() ? nullptr : &it->second, book[i], carried, clock, wallMs, &m.local);
        m.idOfKey.insert(wordKey(book[i].texts[0], book[i].added), m.ids[i]);
    }
    for (const auto& [id, v] : live) {
        if (taken.count(id) || carried.deletes(id))
            continue;
        // Renamed, then deleted: it goes under its last word, which its answers have here.
        if (const auto w = wordNow.find(id); w != wordNow.end()) {
            m.local.push_back({Record::Kind::Set, id, clock.tick(wallMs), Field::Word, w->second, 0, 0, 0, 0});
            m.idOfKey.insert(wordKey(w->second, v.added), id);
        }
        m.local.push_back({Record::Kind::Delete, id, clock.tick(wallMs), Field::Word, {}, 0, 0, 0, 0});
    }
    return m;
}

std::vector<Record> localEvents(const std::vector<RecordEvent>& events, const Matched& matched,
                                const JournalState& seen, HybridClock& clock, int64_t wallMs)
{
    std::vector<Record> out;
    for (const RecordEvent& ev : events) {
        const EntryId id = matched.idOfKey.value(wordKey(ev.key.word, ev.key.added), entryIdFor(ev.key.word));
        const uint8_t what = ev.kind == Record::Kind::Answer ? uint8_t(skillOf(PracticeMode(ev.mode))) : ev.mode;
        if (seen.events().count({id, uint8_t(ev.kind), what, ev.at}))
            continue;
        out.push_back({ev.kind, id, clock.tick(wallMs), Field::Word, {}, ev.at, ev.mode, ev.outcome, ev.durationMs});
    }
    return out;
}

KeyChanges keyChanges(const JournalState& before, const JournalState& after)
{
    // An entry renamed elsewhere, or one word added here and there at two times.
    KeyChanges out;
    for (const auto& [id, e] : after.entries()) {
        const JournalState::Entry* was = before.find(id);
        if (!was || was->cells[size_t(Field::Word)].stamp.isNull())
            continue;
        const JournalState::Cell &wordWas = was->cells[size_t(Field::Word)], &word = e.cells[size_t(Field::Word)];
        const int64_t addedWas = was->cells[size_t(Field::Added)].number, added = e.cells[size_t(Field::Added)].number;
        if (wordWas.text != word.text || addedWas != added)
            out.push_back({{wordWas.text, unpackedTime(addedWas)}, {word.text, unpackedTime(added)}});
    }
    return out;
}

MergePlan planMerge(const std::vector<EntryValues>& book, const std::vector<EntryId>& ids,
                    const JournalState& before, const JournalState& after)
{
    MergePlan plan;
    std::unordered_set<EntryId> inBook;
    for (size_t i = 0; i < book.size(); ++i) {
        inBook.insert(ids[i]);
        const JournalState::Entry* e = after.find(ids[i]);
        if (!e || !e->live()) {
            plan.remove.push_back(int(i));
            continue;
        }
        EntryValues v = e->values();
        if (!(v == book[i]))
            plan.change.emplace_back(int(i), std::move(v));
    }
    for (const auto& [id, e] : after.entries()) {
        if (inBook.count(id) || !e.live())
            continue;
        plan.add.emplace_back(id, e.values());
        const JournalState::Entry* was = before.find(id);
        if (was && !was->deleted.isNull() && !was->live())
            ++plan.revived;
    }
    std::sort(plan.add.begin(), plan.add.end(), [](const auto& a, const auto& b) {
        const int64_t ta = packedTime(a.second.added), tb = packedTime(b.second.added);
        return ta != tb ? ta < tb : a.first < b.first;
    });
    plan.renames = keyChanges(before, after);
    for (const auto& [key, r] : after.events()) {
        const JournalState::Entry* e = after.find(r.id);
        if (!e || e->cells[size_t(Field::Word)].stamp.isNull())
            continue; // its entry has not come in yet
        plan.events.push_back({{e->cells[size_t(Field::Word)].text, unpackedTime(e->cells[size_t(Field::Added)].number)},
                               r.kind, r.mode, r.outcome, r.number, r.durationMs});
    }
    return plan;
}

} // namespace lex::sync
