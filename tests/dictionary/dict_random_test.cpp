// Randomised: bisection over the first-level table, the plain walk, and a reference walk written
// here from the file layout (full conversion and comparison of every key) give the same answer
// for every query, on built dictionaries and on ones whose first level is out of order or damaged.
#include "common/dictionary/dict_builder.h"
#include "common/dictionary/dict_keys.h"
#include "common/text/codepage.h"
#include "dict_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

using lex::DictVariant;

namespace {

const QString kAlphabet = QStringLiteral("abcAB -一二é");

QString randomKey(std::mt19937& rng, int maxLen = 6)
{
    const int n = int(rng() % unsigned(maxLen + 1));
    QString s;
    for (int i = 0; i < n; ++i)
        s += kAlphabet[qsizetype(rng() % unsigned(kAlphabet.size()))];
    return s;
}

int refCompare(bool companion, QString a, QString b)
{
    if (companion) {
        for (QChar& c : a) if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + 32);
        for (QChar& c : b) if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + 32);
    }
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (a[i] != b[i])
            return a[i].unicode() < b[i].unicode() ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

uint32_t u32(const QByteArray& b, int64_t pos)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + pos;
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}

struct RefRecord {
    QByteArray key;
    uint32_t value;
    int64_t next;
};

std::optional<RefRecord> refRead(bool companion, bool second, const QByteArray& idx, int64_t pos)
{
    const int64_t size = idx.size();
    if (pos >= size)
        return std::nullopt;
    qsizetype keyPos, keyLen;
    if (companion) {
        keyPos = qsizetype(second ? pos + 1 : pos);
        if (keyPos >= size || idx[keyPos] == '\0')
            return std::nullopt;
        const qsizetype z = idx.indexOf('\0', keyPos);
        if (z < 0)
            return std::nullopt;
        keyLen = z - keyPos;
        if (z + 5 > size)
            return std::nullopt;
        return RefRecord{idx.mid(keyPos, keyLen), u32(idx, z + 1), z + 5};
    }
    keyLen = second ? int64_t(static_cast<signed char>(idx[qsizetype(pos)])) : int64_t(static_cast<unsigned char>(idx[qsizetype(pos)]));
    if (keyLen < 0)
        return std::nullopt;
    keyPos = qsizetype(pos + 1);
    if (keyPos + keyLen + 4 > size)
        return std::nullopt;
    return RefRecord{idx.mid(keyPos, keyLen), u32(idx, keyPos + keyLen), keyPos + keyLen + 4};
}

std::optional<QByteArray> refFind(bool companion, const QByteArray& idx, const QByteArray& text, const QString& q)
{
    if (idx.size() < 4 || u32(idx, 0) == 0)
        return std::nullopt;
    const int64_t b = 4 + int64_t(u32(idx, 0));
    int64_t blockStart = b;
    for (int64_t pos = 4; pos < b;) {
        auto r = refRead(companion, false, idx, pos);
        if (!r)
            return std::nullopt;
        const int64_t blockEnd = b + r->value;
        if (refCompare(companion, lex::cp936::decode(r->key), q) >= 0) {
            int64_t prevEnd = 0;
            if (blockStart != b) {
                if (blockStart > idx.size())
                    return std::nullopt;
                prevEnd = u32(idx, blockStart - 4);
            }
            for (int64_t p = blockStart; p < blockEnd;) {
                auto s = refRead(companion, true, idx, p);
                if (!s)
                    return std::nullopt;
                if (refCompare(companion, lex::cp936::decode(s->key), q) == 0) {
                    if (prevEnd > int64_t(s->value) || int64_t(s->value) > text.size())
                        return std::nullopt;
                    return text.mid(prevEnd, int64_t(s->value) - prevEnd);
                }
                prevEnd = s->value;
                p = s->next;
            }
            return std::nullopt;
        }
        blockStart = blockEnd;
        pos = r->next;
    }
    return std::nullopt;
}

// The expected outputs for a found range.
QStringList refTexts(bool companion, const QByteArray& range)
{
    if (companion) {
        const qsizetype z = range.indexOf('\0');
        QString t = lex::cp936::decode(z < 0 ? range : range.left(z));
        t.replace(QLatin1String("\n"), QLatin1String("\r\n"));
        return {t};
    }
    QString exp, pho;
    QString* target = &pho;
    for (QChar c : lex::cp936::decode(range)) {
        if (c.unicode() == 0) target = &pho;
        else if (c.unicode() == 1) { target = &exp; if (!exp.isEmpty()) exp += QLatin1String("\r\n"); }
        else *target += c;
    }
    return {exp, pho};
}

std::optional<QStringList> libFind(const lex::Dictionary& d, const QString& q)
{
    if (d.variant() == DictVariant::Companion) {
        QString t;
        if (!d.LookUpEntryText(q, t))
            return std::nullopt;
        return QStringList{t};
    }
    QString e, p;
    if (!d.LookUpWord(q, e, p))
        return std::nullopt;
    return QStringList{e, p};
}

// Re-lays the first level from `records` (key, value relative to B), keeping the second level.
QByteArray relayFirstLevel(bool companion, const QByteArray& idx, const std::vector<dicttest::Rec>& records)
{
    const QByteArray second = idx.mid(4 + qsizetype(u32(idx, 0)));
    QByteArray l1;
    for (const auto& r : records)
        l1 += companion ? dicttest::companionFirst(r) : dicttest::mainRecord(r);
    QByteArray out;
    dicttest::le32(out, uint32_t(l1.size()));
    return out + l1 + second;
}

} // namespace

TEST(DictKeys, StoredComparisonMatchesConvertedComparison)
{
    std::mt19937 rng(7);
    QString scratch;
    for (int i = 0; i < 20000; ++i) {
        const QString k = randomKey(rng, 5);
        const QString q = randomKey(rng, 5);
        QByteArray bytes = lex::cp936::encode(k);
        if (rng() % 8 == 0 && !bytes.isEmpty())
            bytes[qsizetype(rng() % unsigned(bytes.size()))] = char(rng()); // any byte, valid or not
        for (DictVariant v : {DictVariant::Main, DictVariant::Companion}) {
            const int want = lex::dictkeys::compare(v, lex::cp936::decode(bytes), q);
            const int got = lex::dictkeys::compareStored(
                v, reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()), q, scratch);
            ASSERT_EQ(got < 0, want < 0) << bytes.toHex().constData() << " " << q.toStdString();
            ASSERT_EQ(got == 0, want == 0) << bytes.toHex().constData() << " " << q.toStdString();
            ASSERT_EQ(refCompare(v == DictVariant::Companion, lex::cp936::decode(bytes), q) < 0, want < 0);
        }
    }
}

TEST(DictRandom, BisectionEqualsWalkEqualsReference)
{
    std::mt19937 rng(12345);
    int ascending = 0, outOfOrder = 0, foundCount = 0;
    for (int round = 0; round < 400; ++round) {
        const bool companion = round % 2 == 1;
        const DictVariant v = companion ? DictVariant::Companion : DictVariant::Main;
        std::vector<lex::DictSourceEntry> entries;
        const int n = int(rng() % 60);
        for (int i = 0; i < n; ++i) {
            lex::DictSourceEntry e;
            e.key = randomKey(rng);
            e.phonetic = randomKey(rng, 3);
            e.explanation = QStringList{randomKey(rng, 3), randomKey(rng, 2)};
            e.text = randomKey(rng, 4) + QLatin1Char('\n') + randomKey(rng, 2);
            entries.push_back(e);
        }
        QByteArray idx, text;
        ASSERT_TRUE(lex::encodeDictionary(entries, {v, 1 + int(rng() % 6)}, &idx, &text, nullptr));

        // Perturb the first level: swap, replace or repeat keys; sometimes damage bytes anywhere.
        const int kind = int(rng() % 4);
        if (kind >= 1 && u32(idx, 0) > 0) {
            std::vector<dicttest::Rec> first;
            for (int64_t pos = 4; pos < 4 + int64_t(u32(idx, 0));) {
                auto r = refRead(companion, false, idx, pos);
                if (!r)
                    break;
                first.push_back({r->key, r->value});
                pos = r->next;
            }
            if (!first.empty()) {
                for (int m = 0; m < 3; ++m) {
                    auto& a = first[rng() % first.size()];
                    auto& b = first[rng() % first.size()];
                    switch (rng() % 3) {
                    case 0: std::swap(a.key, b.key); break;
                    case 1: a.key = lex::cp936::encode(randomKey(rng)); break;
                    default: a.key = b.key; break;
                    }
                    if (a.key.isEmpty())
                        a.key = "a";
                }
                idx = relayFirstLevel(companion, idx, first);
            }
        }
        if (kind == 3) {
            for (int m = 0; m < 2 && !idx.isEmpty(); ++m)
                idx[qsizetype(rng() % unsigned(idx.size()))] = char(rng());
            if (rng() % 2 && !text.isEmpty())
                text.chop(qsizetype(rng() % unsigned(text.size())));
        }

        lex::Dictionary walk(v), indexed(v);
        walk.openMemory(idx, text);
        walk.setFirstLevelSearch(lex::FirstLevelSearch::Walk);
        indexed.openMemory(idx, text);
        (indexed.firstLevelAscends() ? ascending : outOfOrder)++;

        QStringList queries;
        for (const auto& e : entries) {
            queries << e.key << e.key.toUpper() << e.key + QLatin1Char(' ');
            if (!e.key.isEmpty())
                queries << e.key.left(e.key.size() - 1);
        }
        for (int i = 0; i < 30; ++i)
            queries << randomKey(rng);
        for (const QString& q : queries) {
            const auto ref = refFind(companion, idx, text, q);
            const auto a = libFind(walk, q);
            const auto b = libFind(indexed, q);
            ASSERT_EQ(a.has_value(), ref.has_value()) << round << " " << q.toStdString();
            ASSERT_EQ(b.has_value(), ref.has_value()) << round << " " << q.toStdString();
            if (ref) {
                ++foundCount;
                ASSERT_EQ(*a, refTexts(companion, *ref));
                ASSERT_EQ(*b, refTexts(companion, *ref));
            }
        }
    }
    // The run must have exercised both the bisection and the fallback, and found things.
    EXPECT_GT(ascending, 50);
    EXPECT_GT(outOfOrder, 50);
    EXPECT_GT(foundCount, 1000);
}
