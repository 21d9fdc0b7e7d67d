// The journal's files and its merge: what a damaged, half-carried or foreign file reads as, and
// that merging any set of files in any order and grouping, twice, gives the same state.
#include "lexora/sync/journal.h"
#include "lexora/sync/journal_folder.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using namespace lex::sync;

JournalFile sampleFile()
{
    JournalFile f{QStringLiteral("laptop"), QStringLiteral("English"), 7, false, {}};
    const uint64_t m = machineId(f.machine);
    f.records.push_back({Record::Kind::Set, entryIdFor(u"apple"), {1000, 0, m}, Field::Word, QStringLiteral("apple"), 0, 0, 0, 0});
    f.records.push_back({Record::Kind::Set, entryIdFor(u"apple"), {1000, 1, m}, Field::Explanation, QStringLiteral("苹果\r\nn."), 0, 0, 0, 0});
    f.records.push_back({Record::Kind::Set, entryIdFor(u"apple"), {1000, 2, m}, Field::Spelling, {}, 4, 0, 0, 0});
    f.records.push_back({Record::Kind::Delete, entryIdFor(u"pear"), {1001, 0, m}, Field::Word, {}, 0, 0, 0, 0});
    f.records.push_back({Record::Kind::Answer, entryIdFor(u"apple"), {1002, 0, m}, Field::Word, {}, 123456789, 3, 1, 2500});
    f.records.push_back({Record::Kind::ReviewStamp, entryIdFor(u"apple"), {1003, 0, m}, Field::Word, {}, 123456999, 1, 0, 0});
    return f;
}

TEST(JournalFile, ReadsWhatItWroteAndTellsHalfCarriedFromForeign)
{
    const JournalFile f = sampleFile();
    const QByteArray bytes = encodeJournal(f);
    JournalFile back;
    ASSERT_EQ(parseJournal(bytes, &back), ReadResult::Ok);
    EXPECT_EQ(back.machine, f.machine);
    EXPECT_EQ(back.book, f.book);
    EXPECT_EQ(back.seq, f.seq);
    EXPECT_EQ(back.records, f.records);

    // Every prefix is a file still being carried: never read as whole, never taken as foreign.
    for (qsizetype n = 0; n < bytes.size(); ++n)
        ASSERT_EQ(parseJournal(QByteArrayView(bytes).first(n), &back), ReadResult::Incomplete) << n;

    struct Case {
        const char* what;
        qsizetype at;
        char value;
        ReadResult expected;
    };
    const Case cases[] = {
        {"another program's file", 0, 'P', ReadResult::Foreign},
        {"a newer build's file", 4, 2, ReadResult::Foreign},
        {"a byte of the records changed (zeros where a copy stopped)", bytes.size() - 3, 0, ReadResult::Incomplete},
        {"the checksum changed", 12, char(bytes[12] ^ 1), ReadResult::Incomplete},
    };
    for (const Case& c : cases) {
        QByteArray changed = bytes;
        changed[c.at] = c.value;
        EXPECT_EQ(parseJournal(changed, &back), c.expected) << c.what;
    }
    // Bytes past its stated length (a tool padding a copy) do not matter.
    EXPECT_EQ(parseJournal(bytes + "x", &back), ReadResult::Ok);
}

// Random histories of three machines whose clocks disagree by minutes, each editing and
// answering with what it has seen of the others.
struct History {
    std::vector<JournalFile> files;
};

History randomHistory(uint32_t seed)
{
    std::mt19937 rng(seed);
    const QString names[3] = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    const int64_t skew[3] = {0, 7 * 60000, -3 * 60000};
    HybridClock clocks[3] = {HybridClock(machineId(names[0])), HybridClock(machineId(names[1])),
                             HybridClock(machineId(names[2]))};
    uint64_t seqs[3] = {1, 1, 1};
    const char* words[] = {"apple", "pear", "plum", "fig", "kiwi", "lime"};
    History h;
    int64_t now = 1'700'000'000'000;
    for (int round = 0; round < 40; ++round) {
        const int m = int(rng() % 3);
        // It has seen some of the files written so far.
        for (const JournalFile& f : h.files)
            if (rng() % 2)
                for (const Record& r : f.records)
                    clocks[m].observe(r.stamp);
        JournalFile f{names[m], QStringLiteral("B"), seqs[m]++, false, {}};
        const int n = 1 + int(rng() % 6);
        for (int i = 0; i < n; ++i) {
            now += int64_t(rng() % 5000);
            const int64_t wall = now + skew[m];
            const EntryId id = entryIdFor(QString::fromLatin1(words[rng() % 6]));
            Record r;
            r.id = id;
            r.stamp = clocks[m].tick(wall);
            switch (rng() % 5) {
            case 0:
                r.kind = Record::Kind::Delete;
                break;
            case 1:
            case 2:
                r.kind = Record::Kind::Set;
                r.field = Field(rng() % kFieldCount);
                if (isTextField(r.field))
                    r.text = QString::number(rng() % 4);
                else
                    r.number = int64_t(rng() % 11);
                break;
            default:
                r.kind = Record::Kind::Answer;
                r.mode = uint8_t(rng() % 4);
                r.outcome = uint8_t(rng() % 3);
                r.number = wall / 60000 * 60000; // answers of two machines in one minute meet
                r.durationMs = int32_t(rng() % 3);
            }
            // Now and then a record whose stamp no clock gives (damage that kept its checksum).
            if (rng() % 50 == 0)
                r.stamp = {-int64_t(rng() % 1000), 0, rng() % 2};
            f.records.push_back(r);
        }
        h.files.push_back(f);
    }
    return h;
}

TEST(JournalMerge, AnyOrderAnyGroupingTwiceGivesOneState)
{
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        const History h = randomHistory(seed);
        JournalState reference;
        for (const JournalFile& f : h.files)
            reference.applyAll(f.records);

        std::mt19937 rng(seed * 7919);
        std::vector<JournalFile> files = h.files;
        std::shuffle(files.begin(), files.end(), rng);
        // Grouped: merged into partial states, which are then merged in some order; some files twice.
        std::vector<JournalState> groups(1 + rng() % 4);
        for (const JournalFile& f : files) {
            groups[rng() % groups.size()].applyAll(f.records);
            if (rng() % 4 == 0)
                groups[rng() % groups.size()].applyAll(f.records);
        }
        std::shuffle(groups.begin(), groups.end(), rng);
        JournalState merged;
        for (const JournalState& g : groups)
            merged.merge(g);
        EXPECT_TRUE(merged == reference) << "seed " << seed;
        merged.merge(reference);
        EXPECT_TRUE(merged == reference) << "seed " << seed << " twice";
        // The state rebuilt from its records is itself (what the merged state file and a snapshot keep).
        JournalState rebuilt;
        rebuilt.applyAll(reference.records());
        EXPECT_TRUE(rebuilt == reference) << "seed " << seed << " rebuilt";
        // And from every machine's snapshot of its own records.
        JournalState fromSnapshots;
        for (const char* m : {"a", "b", "c"})
            fromSnapshots.applyAll(reference.records(machineId(QString::fromLatin1(m))));
        EXPECT_TRUE(fromSnapshots == reference) << "seed " << seed << " snapshots";
    }
}

TEST(JournalMerge, ADeletionHoldsUntilALaterEditBringsTheEntryBack)
{
    const EntryId id = entryIdFor(u"apple");
    auto set = [&](int64_t ms, Field f, const char* text) {
        return Record{Record::Kind::Set, id, {ms, 0, 1}, f, QString::fromLatin1(text), 0, 0, 0, 0};
    };
    struct Case {
        const char* what;
        std::vector<Record> records;
        bool live;
    };
    const Case cases[] = {
        {"added", {set(1, Field::Word, "apple")}, true},
        {"added, deleted", {set(1, Field::Word, "apple"), {Record::Kind::Delete, id, {2, 0, 2}}}, false},
        {"an edit before the deletion", {set(1, Field::Word, "apple"), set(3, Field::Comment, "x"), {Record::Kind::Delete, id, {4, 0, 2}}}, false},
        {"an edit after it, elsewhere", {set(1, Field::Word, "apple"), {Record::Kind::Delete, id, {4, 0, 2}}, set(5, Field::Comment, "x")}, true},
        {"a practice after it", {set(1, Field::Word, "apple"), {Record::Kind::Delete, id, {4, 0, 2}}, Record{Record::Kind::Set, id, {5, 0, 1}, Field::Review, {}, 9, 0, 0, 0}}, false},
        {"a deletion of a word never seen", {{Record::Kind::Delete, id, {4, 0, 2}}}, false},
    };
    for (const Case& c : cases) {
        JournalState s;
        s.applyAll(c.records);
        ASSERT_NE(s.find(id), nullptr) << c.what;
        EXPECT_EQ(s.find(id)->live(), c.live) << c.what;
    }
}

TEST(JournalMerge, TheLaterClockWinsEachFieldEvenFromAMachineWhoseWallClockIsBehind)
{
    HybridClock ahead(machineId(QStringLiteral("ahead"))), behind(machineId(QStringLiteral("behind")));
    const Stamp first = ahead.tick(10'000'000);
    behind.observe(first);
    const Stamp later = behind.tick(9'000'000); // its wall clock is 1000 s behind
    EXPECT_LT(first, later);
    // One millisecond, one counter: the machine decides, the same way on every machine.
    const Stamp a{5, 0, 1}, b{5, 0, 2};
    EXPECT_LT(a, b);
}

TEST(JournalFolder, ConflictCopiesAreReadAndLeftAloneForeignFilesAreNamed)
{
    lextest::TempDir dir;
    lex::Env* env = lex::Env::defaultEnv();
    const QString folder = dir.path(QStringLiteral("B/"));
    JournalFile f = sampleFile();
    ASSERT_TRUE(writeJournalFile(env, folder, f));
    JournalFile g = f;
    g.seq = 8;
    g.records.resize(1);
    g.records[0].text = QStringLiteral("apples");
    g.records[0].stamp.ms = 5000;
    const QByteArray gBytes = encodeJournal(g);
    const QByteArray fBytes = encodeJournal(f);
    // The tools' names for a second version of a file; the same bytes under another name count once.
    dir.write(QStringLiteral("B/laptop.00000008.sync-conflict-20261209-101010-ABCDEFG.lxj"), gBytes);
    dir.write(QStringLiteral("B/laptop.00000007 (conflicted copy 2026-12-09 101010).lxj"), fBytes);
    dir.write(QStringLiteral("B/laptop.00000009 (Desk's conflicted copy 2026-12-09).lxj"), fBytes.left(20));
    dir.write(QStringLiteral("B/notes.lxj"), "PK\3\4 a zip");
    dir.write(QStringLiteral("B/readme.txt"), "not ours");
    dir.write(QStringLiteral("B/laptop.00000010.lxj.tmp"), fBytes.left(10));

    const FolderRead read = readJournalFolder(env, folder);
    ASSERT_EQ(read.files.size(), 2u);
    EXPECT_EQ(read.incomplete, QStringList{QStringLiteral("laptop.00000009 (Desk's conflicted copy 2026-12-09).lxj")});
    EXPECT_EQ(read.foreign, QStringList{QStringLiteral("notes.lxj")});
    JournalState s;
    for (const JournalFile& file : read.files)
        s.applyAll(file.records);
    EXPECT_EQ(s.find(entryIdFor(u"apple"))->values().texts[0], QStringLiteral("apples"));
    EXPECT_EQ(read.lastSeen.value(QStringLiteral("laptop")), 5000);

    // Compaction replaces the machine's own files only: every copy a tool made stays.
    JournalFile snap{f.machine, f.book, 20, true, s.records(machineId(f.machine))};
    ASSERT_TRUE(compactJournal(env, folder, snap));
    const QStringList after = env->listFiles(folder);
    EXPECT_FALSE(after.contains(QStringLiteral("laptop.00000007.lxj")));
    EXPECT_TRUE(after.contains(QStringLiteral("laptop.00000020.lxj")));
    for (const char* kept : {"laptop.00000008.sync-conflict-20261209-101010-ABCDEFG.lxj",
                             "laptop.00000007 (conflicted copy 2026-12-09 101010).lxj", "notes.lxj"})
        EXPECT_TRUE(after.contains(QString::fromUtf8(kept))) << kept;
    JournalState again;
    for (const JournalFile& file : readJournalFolder(env, folder).files)
        again.applyAll(file.records);
    EXPECT_TRUE(again == s);
}

} // namespace
