// Every kind of damage the loader counts, each followed by a save: the learner is told once, the
// files as they were are kept beside the Book, and salvage gets back every entry whose text is
// still in the text file.
#include "book_helpers.h"

#include "fault_env.h"
#include "lexora/book/book_damage.h"
#include "lexora/book/book_salvage.h"
#include "lexora/texts/lexora_texts.h"
#include "temp_dir.h"

#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace booktest;
using lex::Book;

namespace {

constexpr int kEntries = 12;
constexpr int kDamaged = 5;   // the record that is broken, where only one is
const lex::EntryTime kNow = at(10, 12, 7, 18, 30);

uint32_t get32(const QByteArray& b, qsizetype at) { return qFromLittleEndian<uint32_t>(b.constData() + at); }
void put32(QByteArray& b, qsizetype at, uint32_t v) { qToLittleEndian(v, b.data() + at); }
qsizetype startAt(int record) { return 5 + 21 * qsizetype(record); }

struct Damage {
    const char* name;
    void (*apply)(QByteArray& idx, const QByteArray& txt);
    int skipped;          // records the loader counts as skipped
    bool lastHasNoIndex;  // the last entry's index record is unreadable: salvage gives it the defaults
};

const Damage kDamages[] = {
    {"OffsetsOutsideTheFile",
     [](QByteArray& idx, const QByteArray& txt) {
         put32(idx, startAt(kDamaged), uint32_t(txt.size() + 8));
         put32(idx, startAt(kDamaged) + 4, uint32_t(txt.size() + 40));
     },
     1, false},
    {"StartsInsideEndsPastTheFile",
     [](QByteArray& idx, const QByteArray& txt) { put32(idx, startAt(kDamaged) + 4, uint32_t(txt.size() + 14)); }, 1,
     false},
    {"Reversed",
     [](QByteArray& idx, const QByteArray&) {
         const uint32_t s = get32(idx, startAt(kDamaged)), e = get32(idx, startAt(kDamaged) + 4);
         put32(idx, startAt(kDamaged), e);
         put32(idx, startAt(kDamaged) + 4, s);
     },
     1, false},
    {"OddLength",
     [](QByteArray& idx, const QByteArray&) { put32(idx, startAt(kDamaged) + 4, get32(idx, startAt(kDamaged) + 4) - 1); },
     1, false},
    {"RecordSizeBelow21", [](QByteArray& idx, const QByteArray&) { idx[4] = 20; }, kEntries, false},
    {"TruncatedIndex", [](QByteArray& idx, const QByteArray&) { idx.chop(11); }, 1, true},
};

class DamagedBook : public ::testing::TestWithParam<Damage> {
protected:
    void SetUp() override
    {
        Book b;
        b.path = base();
        b.name = QStringLiteral("Good");
        for (int i = 0; i < kEntries; ++i) {
            auto e = entry(QStringLiteral("word%1").arg(i), QStringLiteral("解释 %1\r\n第二行").arg(i), QStringLiteral("p%1").arg(i),
                           i % 3 ? QStringLiteral("单元") : QString(), QStringLiteral("c%1").arg(i), i % 11);
            e->stored.spelling = uint8_t((i + 3) % 11);
            e->stored.listening = uint8_t((i + 5) % 11);
            e->stored.review = at(9, 1 + i % 12, 2 + i, 3, 4);
            b.AddEntry(std::move(e), lex::AddMode::Interactive);
        }
        ASSERT_TRUE(lex::saveBook(b).ok());
        original = snapshot(b);
        txt = dir.read(QStringLiteral("Good.txt"));
        idx = dir.read(QStringLiteral("Good.idx"));
        GetParam().apply(idx, txt);
        writeDamaged(QStringLiteral("B"));
    }
    QString base() const { return dir.path() + QLatin1Char('/'); }
    void writeDamaged(const QString& name)
    {
        dir.write(name + QStringLiteral(".idx"), idx);
        dir.write(name + QStringLiteral(".txt"), txt);
    }

    lextest::TempDir dir;
    QByteArray idx, txt;   // the damaged files
    std::vector<EntryData> original;
};

} // namespace

TEST_P(DamagedBook, IsToldOnceKeptAtTheFirstSaveAndNeverKeptTwice)
{
    const Damage& d = GetParam();
    int told = 0;
    Book b;
    b.path = base();
    b.name = QStringLiteral("B");
    const lex::LoadReport r = lex::LoadBook(b);
    EXPECT_EQ(r.skippedCount(), d.skipped);
    EXPECT_EQ(b.size(), kEntries - d.skipped);
    ASSERT_TRUE(b.damageCopies.has_value());
    const Book::DamageCopies plan = *b.damageCopies;
    EXPECT_EQ(plan.indexCopy.left(plan.indexCopy.lastIndexOf('-')), base() + QStringLiteral("B.idx.damaged"));
    EXPECT_EQ(plan.textCopy.left(plan.textCopy.lastIndexOf('-')), base() + QStringLiteral("B.txt.damaged"));
    const QString notice = lex::texts::damageNotice(b, r);
    told += !notice.isEmpty();
    EXPECT_TRUE(notice.startsWith(QStringLiteral("单词本“B”中有 %1 条记录已损坏").arg(d.skipped))) << notice.toStdString();
    EXPECT_TRUE(notice.contains(plan.indexCopy) && notice.contains(plan.textCopy)) << notice.toStdString();

    // As `lexbook import` of one word does: a save that rewrites both files.
    b.AddEntry(entry(QStringLiteral("added")), lex::AddMode::Interactive);
    ASSERT_TRUE(lex::saveBook(b).ok());
    EXPECT_EQ(dir.read(plan.indexCopy.mid(base().size())), idx);
    EXPECT_EQ(dir.read(plan.textCopy.mid(base().size())), txt);
    EXPECT_FALSE(plan.indexCopy.endsWith(QStringLiteral(".idx")));
    const QStringList afterFirst = dir.files();
    EXPECT_EQ(afterFirst.size(), 6) << afterFirst.join(' ').toStdString();   // Good, B and the two copies

    // A second save of the same Book keeps nothing more.
    b.SetStrangeness(0, lex::Degree::Recognition, lex::DegreeChange::to(7));
    ASSERT_TRUE(lex::saveBook(b).ok());
    EXPECT_EQ(dir.files(), afterFirst);

    // The next load finds a sound Book: nothing to tell.
    lex::LoadReport again;
    const auto reloaded = loadFresh(base(), QStringLiteral("B"), &again);
    EXPECT_TRUE(again.clean());
    EXPECT_EQ(reloaded.size(), size_t(kEntries - d.skipped + 1));
    Book quiet;
    quiet.path = base();
    quiet.name = QStringLiteral("B");
    told += !lex::texts::damageNotice(quiet, lex::LoadBook(quiet)).isEmpty();
    EXPECT_EQ(told, 1);

    // The same damage in a later run (a save that failed, files put back): the same copies serve.
    writeDamaged(QStringLiteral("B"));
    Book later;
    later.path = base();
    later.name = QStringLiteral("B");
    lex::LoadBook(later);
    ASSERT_TRUE(lex::saveBook(later).ok());
    EXPECT_EQ(dir.files(), afterFirst);
}

TEST_P(DamagedBook, SalvageGetsBackEveryEntryWhoseTextIsIntactAndWritesNothingThere)
{
    const Damage& d = GetParam();
    const QStringList before = dir.files();
    Book s;
    const lex::SalvageReport r = lex::salvageBook(base(), QStringLiteral("B"), s, kNow);
    EXPECT_EQ(dir.files(), before);
    EXPECT_EQ(dir.read(QStringLiteral("B.idx")), idx);
    EXPECT_EQ(dir.read(QStringLiteral("B.txt")), txt);

    std::vector<EntryData> expected = original;
    if (d.lastHasNoIndex) {
        EntryData& last = expected.back();
        last.recognition = last.spelling = last.listening = 10;
        last.review = last.added = kNow;
    }
    EXPECT_EQ(snapshot(s), expected);
    EXPECT_EQ(r.fromIndex, kEntries - d.skipped);
    EXPECT_EQ(r.fromTextWithIndex, d.lastHasNoIndex ? 0 : d.skipped);
    EXPECT_EQ(r.fromTextDefaults, d.lastHasNoIndex ? 1 : 0);
    EXPECT_EQ(r.emptyPieces, 0);

    // What it recovered makes a sound Book.
    s.path = base();
    s.name = QStringLiteral("Out");
    ASSERT_TRUE(lex::saveBook(s).ok());
    lex::LoadReport lr;
    EXPECT_EQ(loadFresh(base(), QStringLiteral("Out"), &lr), expected);
    EXPECT_TRUE(lr.clean());
}

INSTANTIATE_TEST_SUITE_P(EachKind, DamagedBook, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

// The copies are made before anything of the damaged files is overwritten, and durably: a save
// broken at any step, by an error or a power cut, leaves either the damaged files untouched or
// the copies whole beside whatever the Book became. A save that cannot make them stops. The next
// load leaves no temporary file of a copy cut short behind.
TEST(DamagedBookSave, TheCopiesComeFirstAtEveryStep)
{
    using Mode = lextest::FaultEnv::Mode;
    lextest::TempDir dir;
    const QString base = dir.path() + QLatin1Char('/');
    const QByteArray rec = textRecord(QStringLiteral("kept"), QStringLiteral("留"));
    const QByteArray idx = kMarker + QByteArray(1, 21) + indexRecord(4, 4 + uint32_t(rec.size())) + indexRecord(4, 999);
    const QByteArray txt = kMarker + rec + textRecord(QStringLiteral("lost"));
    auto damaged = [&] {
        for (const QString& f : dir.files())
            QFile::remove(dir.path(f));
        dir.write(QStringLiteral("B.idx"), idx);
        dir.write(QStringLiteral("B.txt"), txt);
    };
    auto saveChanged = [&](lex::Env* env, Book::DamageCopies* plan) {
        Book b;
        b.path = base;
        b.name = QStringLiteral("B");
        lex::LoadBook(b);
        *plan = *b.damageCopies;
        b.AddEntry(entry(QStringLiteral("new")), lex::AddMode::Interactive);
        return lex::saveBook(b, env);
    };

    for (Mode mode : {Mode::Fail, Mode::Crash, Mode::PowerCut, Mode::PowerCutZeros}) {
        lextest::FaultEnv env;
        Book::DamageCopies plan;
        damaged();
        env.breakAt(0, mode);
        ASSERT_TRUE(saveChanged(&env, &plan).ok());
        const int steps = env.count();
        for (int k = 1; k <= steps; ++k) {
            damaged();
            env.breakAt(k, mode);
            const lex::SaveResult r = saveChanged(&env, &plan);
            SCOPED_TRACE(QStringLiteral("mode %1, broken at %2: %3").arg(int(mode)).arg(k).arg(env.log().value(k - 1)).toStdString());
            EXPECT_FALSE(r.ok());
            if (k == 1 && mode == Mode::Fail) {
                EXPECT_TRUE(r.message.contains(QStringLiteral("could not keep a copy"))) << r.message.toStdString();
            }
            const auto state = loadFresh(base, QStringLiteral("B"));
            EXPECT_TRUE(state.size() == 1 || state.size() == 2) << state.size();
            for (const QString& f : dir.files())
                EXPECT_FALSE(f.contains(QStringLiteral(".damaged-")) && f.endsWith(QStringLiteral(".tmp"))) << f.toStdString();
            const bool untouched = dir.read(QStringLiteral("B.idx")) == idx && dir.read(QStringLiteral("B.txt")) == txt;
            if (!untouched) {
                EXPECT_EQ(dir.read(plan.indexCopy.mid(base.size())), idx);
                EXPECT_EQ(dir.read(plan.textCopy.mid(base.size())), txt);
            }
            for (const QString& copy : {plan.indexCopy, plan.textCopy}) {
                if (QFile::exists(copy))
                    EXPECT_EQ(dir.read(copy.mid(base.size())), copy == plan.indexCopy ? idx : txt);
            }
        }
    }
}
