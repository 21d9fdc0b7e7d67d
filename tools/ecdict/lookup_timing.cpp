// ecdict_lookup_timing DICTFOLDER [--queries N]
// Look-up latency on a built dictionary folder (Dict.* and 21ct.*): every stored key is first
// looked up once through the mapped files (a check that each is found), then N queries, half
// stored keys and half absent ones, are timed one by one against a binary search over the same
// keys held in memory as sorted QStrings. Prints p50, p99 and the mean of each, and the ratios.
#include "common/dictionary/dict_keys.h"
#include "common/dictionary/dictionary.h"
#include "common/text/codepage.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

uint32_t le32(const QByteArray& b, qsizetype pos)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + pos);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The keys of the second-level table, in file order.
bool readKeys(const QString& path, bool companion, std::vector<QString>* keys)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray idx = f.readAll();
    if (idx.size() < 4)
        return false;
    qsizetype pos = 4 + qsizetype(le32(idx, 0));
    while (pos < idx.size()) {
        qsizetype keyPos, keyLen;
        if (companion) {
            keyPos = pos + 1;
            const qsizetype z = idx.indexOf('\0', keyPos);
            if (z < 0)
                return false;
            keyLen = z - keyPos;
            pos = z + 5;
        } else {
            keyPos = pos + 1;
            keyLen = static_cast<unsigned char>(idx[pos]);
            pos = keyPos + keyLen + 4;
        }
        if (pos > idx.size())
            return false;
        keys->push_back(lex::cp936::decode(QByteArrayView(idx.constData() + keyPos, keyLen)));
    }
    return true;
}

struct Figures {
    double p50 = 0, p99 = 0, mean = 0;
    size_t found = 0;
};

template <typename F>
Figures timeEach(const std::vector<QString>& queries, F lookUp)
{
    std::vector<double> ns;
    ns.reserve(queries.size());
    Figures fig;
    for (const QString& q : queries) {
        const auto t0 = Clock::now();
        const bool hit = lookUp(q);
        const auto t1 = Clock::now();
        fig.found += hit;
        ns.push_back(double(std::chrono::duration_cast<std::chrono::nanoseconds>(t1 - t0).count()));
    }
    double sum = 0;
    for (double v : ns)
        sum += v;
    std::sort(ns.begin(), ns.end());
    fig.p50 = ns[ns.size() / 2];
    fig.p99 = ns[std::min(ns.size() - 1, ns.size() * 99 / 100)];
    fig.mean = sum / double(ns.size());
    return fig;
}

int runVariant(const QString& folder, lex::DictVariant v, size_t queryCount, std::mt19937& rng)
{
    const bool companion = v == lex::DictVariant::Companion;
    const char* name = companion ? "companion (21ct)" : "main (Dict)";
    lex::Dictionary d(v);
    if (!d.openFolder(folder).isEmpty()) {
        std::fprintf(stderr, "%s: cannot open the files in %s\n", name, qPrintable(folder));
        return 2;
    }
    std::vector<QString> keys;
    if (!readKeys(folder + (companion ? QStringLiteral("/21ct.idx") : QStringLiteral("/Dict.idx")), companion, &keys)
        || keys.empty()) {
        std::fprintf(stderr, "%s: cannot read the keys\n", name);
        return 2;
    }
    auto less = [v](const QString& a, const QString& b) { return lex::dictkeys::compare(v, a, b) < 0; };
    if (!std::is_sorted(keys.begin(), keys.end(), less)) {
        std::fprintf(stderr, "%s: the keys are not in look-up order\n", name);
        return 1;
    }
    auto lookUp = [&](const QString& q) {
        QString a, b;
        return companion ? d.LookUpEntryText(q, a) : d.LookUpWord(q, a, b);
    };

    // Every stored key must be found (this also brings the files into the page cache).
    size_t missing = 0;
    for (const QString& k : keys)
        if (!lookUp(k) && ++missing <= 5)
            std::fprintf(stderr, "%s: stored key not found: %s\n", name, qPrintable(k));
    std::printf("%s: %zu keys, %zu not found by the look-up\n", name, keys.size(), missing);

    std::vector<QString> queries;
    queries.reserve(queryCount);
    for (size_t i = 0; i < queryCount; ++i) {
        QString q = keys[rng() % keys.size()];
        if (i % 2) {
            q += QLatin1Char(char('a' + rng() % 26));
            q += QLatin1Char(char('a' + rng() % 26));
        }
        queries.push_back(q);
    }
    const Figures dict = timeEach(queries, lookUp);
    const Figures base = timeEach(queries, [&](const QString& q) {
        const auto it = std::lower_bound(keys.begin(), keys.end(), q, less);
        return it != keys.end() && lex::dictkeys::compare(v, *it, q) == 0;
    });
    std::printf("  look-up:        p50 %7.0f ns  p99 %7.0f ns  mean %7.0f ns  (%zu of %zu found)\n", dict.p50, dict.p99,
                dict.mean, dict.found, queries.size());
    std::printf("  binary search:  p50 %7.0f ns  p99 %7.0f ns  mean %7.0f ns  (%zu of %zu found)\n", base.p50, base.p99,
                base.mean, base.found, queries.size());
    std::printf("  ratio:          p50 %.2f  p99 %.2f  mean %.2f\n", dict.p50 / base.p50, dict.p99 / base.p99,
                dict.mean / base.mean);
    return missing ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    size_t queries = 200000;
    const qsizetype q = args.indexOf(QStringLiteral("--queries"));
    if (q >= 0 && q + 1 < args.size()) {
        queries = size_t(std::max(2, args[q + 1].toInt()));
        args.remove(q, 2);
    }
    if (args.size() != 1) {
        std::fputs("usage: ecdict_lookup_timing DICTFOLDER [--queries N]\n", stderr);
        return 2;
    }
    // Timer cost, for reading the figures: two clock reads back to back.
    std::vector<double> t;
    for (int i = 0; i < 100000; ++i) {
        const auto a = Clock::now();
        const auto b = Clock::now();
        t.push_back(double(std::chrono::duration_cast<std::chrono::nanoseconds>(b - a).count()));
    }
    std::sort(t.begin(), t.end());
    std::printf("clock read: p50 %.0f ns (included in every figure below)\n", t[t.size() / 2]);
    std::mt19937 rng(2024);
    int rc = runVariant(args[0], lex::DictVariant::Main, queries, rng);
    rc = std::max(rc, runVariant(args[0], lex::DictVariant::Companion, queries, rng));
    return rc;
}
