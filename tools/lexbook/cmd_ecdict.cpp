// lexbook dict-ecdict: builds either dictionary variant from the ECDICT word list (CSV) and
// reports what went in, what came out and what was left out.
#include "commands.h"
#include "progress.h"

#include "common/dictionary/dict_builder.h"
#include "common/dictionary/ecdict_convert.h"
#include "common/dictionary/us_phonetics.h"
#include "lexora/practice/spelling_grade.h"
#include "common/platform/env.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <algorithm>
#include <optional>
#include <cstdio>
#include <cstring>

namespace lexbook {
namespace {

const char kUsage[] = "usage: lexbook dict-ecdict CSV OUTFOLDER [--companion] [--block N] [--cmu CMUDICT]";

// "ɒ 11967, ˊ 1250, ..." for the most frequent characters of a tally.
QString topChars(const std::map<char32_t, qsizetype>& tally, int limit = 12)
{
    std::vector<std::pair<char32_t, qsizetype>> v(tally.begin(), tally.end());
    std::stable_sort(v.begin(), v.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    QStringList parts;
    for (size_t i = 0; i < v.size() && int(i) < limit; ++i) {
        const char32_t c = v[i].first;
        const bool visible = QChar::isPrint(c) && !QChar::isSpace(c);
        parts << QStringLiteral("%1 U+%2 %3")
                     .arg(visible ? QString::fromUcs4(&c, 1) : QString())
                     .arg(uint(c), 4, 16, QLatin1Char('0'))
                     .arg(v[i].second);
    }
    if (v.size() > size_t(limit))
        parts << QStringLiteral("%1 more").arg(v.size() - size_t(limit));
    return parts.join(QStringLiteral(", "));
}

// The CMU dictionary as the judge of which spellings it knows.
class CmuWords final : public lex::WordChecker {
public:
    explicit CmuWords(const QMap<QString, QStringList>& us) : us_(us) {}
    bool isWord(QStringView w) const override { return us_.contains(w.toString().toLower()); }

private:
    const QMap<QString, QStringList>& us_;
};

// The American IPA of a headword: its own entry, else that of its American spelling (flavour,
// centimetre, analyse), else a compound's parts (father-in-law, take off) when each has one.
QString usIpaOf(const QMap<QString, QStringList>& us, const QString& word)
{
    const QString w = word.toLower();
    if (const auto it = us.constFind(w); it != us.constEnd())
        return it->join(QStringLiteral("; "));
    const CmuWords known(us);
    for (const QString& v : lex::spellingVariants(w, &known))
        if (const auto it = us.constFind(v); it != us.constEnd())
            return it->join(QStringLiteral("; "));
    if (!w.contains(u'-') && !w.contains(u' '))
        return {};
    QString out;
    for (const QString& part : w.split(QRegularExpression(QStringLiteral("[- ]")), Qt::SkipEmptyParts)) {
        const auto it = us.constFind(part);
        if (it == us.constEnd())
            return {};
        if (!out.isEmpty())
            out += u' ';
        out += it->first();
    }
    return out;
}

} // namespace

int cmdDictEcdict(const QStringList& argsIn)
{
    QStringList args = argsIn;
    const bool companion = takeFlag(args, QStringLiteral("--companion"));
    lex::DictBuildOptions options;
    options.variant = companion ? lex::DictVariant::Companion : lex::DictVariant::Main;
    options.blockSize = lex::ecdict::kBlockSize;
    QString error;
    std::optional<QString> cmu;
    if (!takeIntOption(args, QStringLiteral("--block"), 1, &options.blockSize, &error)
        || !takeValue(args, QStringLiteral("--cmu"), &cmu, &error))
        return fail(error);
    if (args.size() != 2 || args[0].startsWith(QLatin1String("--")) || args[1].startsWith(QLatin1String("--")))
        return fail(QString::fromLatin1(kUsage));

    QElapsedTimer clock;
    clock.start();
    std::optional<Progress> progress(std::in_place);
    progress->step(QStringLiteral("reading %1").arg(args[0]));
    lex::Env* env = lex::Env::defaultEnv();
    QByteArray csv;
    lex::Status s = env->readFile(args[0], &csv);
    if (!s)
        return fail(s.message());
    lex::ecdict::ReadResult read;
    progress->step(QStringLiteral("parsing the CSV"));
    s = lex::ecdict::readCsv(csv, &read);
    csv = QByteArray();
    if (!s)
        return fail(QStringLiteral("%1: %2").arg(args[0], s.message()));
    if (!read.badLines.isEmpty())
        clearProgressLine();
    for (qsizetype i = 0; i < read.badLines.size() && i < 20; ++i)
        std::fprintf(stderr, "lexbook: %s:%lld: malformed record, left out\n", args[0].toUtf8().constData(),
                     static_cast<long long>(read.badLines[i]));
    const qint64 readMs = clock.restart();
    for (const lex::ecdict::Record& r : read.records)
        for (lex::InflectedForm& f : lex::formsFromExchange(r.word, r.exchange))
            options.forms.push_back(std::move(f));
    // The word lists and ranks go with Lexora's dictionary, the one that makes word books.
    qsizetype withInfo = 0;
    if (!companion) {
        std::vector<lex::WordInfoRecord> info = lex::ecdict::wordInfoRecords(read.records);
        withInfo = qsizetype(info.size());
        options.blocks.push_back({{'L', 'X', 'W', 'I', 0}, lex::encodeWordInfoBlock(std::move(info))});
    }

    // Both accents' IPA of every headword: the British from its phonetic made standard, the
    // American from the CMU dictionary.
    QMap<QString, lex::AccentIpa> accents;
    qsizetype mended[lex::ecdict::kUkMendCount] = {}, ukCount = 0, usCount = 0;
    if (cmu) {
        progress->step(QStringLiteral("reading %1").arg(*cmu));
        QByteArray cmuText;
        if (lex::Status cs = env->readFile(*cmu, &cmuText); !cs)
            return fail(cs.message());
        const QMap<QString, QStringList> us = lex::readCmuDictionary(cmuText);
        for (const lex::ecdict::Record& r : read.records) {
            const lex::ecdict::UkIpa uk = lex::ecdict::standardUkIpa(r.phonetic);
            for (int k = 0; k < lex::ecdict::kUkMendCount; ++k)
                mended[k] += (uk.mends >> k) & 1u;
            lex::AccentIpa& a = accents[r.word.toLower()];
            if (a.uk.isEmpty() && !uk.variants.isEmpty())
                a.uk = uk.variants.join(QStringLiteral("; "));
            if (a.us.isEmpty())
                a.us = usIpaOf(us, r.word);
        }
        for (auto it = accents.begin(); it != accents.end();) {
            if (it->uk.isEmpty() && it->us.isEmpty()) {
                it = accents.erase(it);
                continue;
            }
            ukCount += !it->uk.isEmpty(), usCount += !it->us.isEmpty();
            ++it;
        }
        lex::DictBuildOptions::Block block;
        std::memcpy(block.tag, lex::kUsPhoneticTag, 5);
        block.bytes = lex::buildPhoneticBlock(accents);
        options.blocks.push_back(std::move(block));
    }
    progress->step(QStringLiteral("converting %1 records").arg(read.records.size()));
    lex::ecdict::ConvertStats cs;
    const std::vector<lex::DictSourceEntry> entries = lex::ecdict::convert(read.records, options.variant, &cs);
    read.records.clear();
    read.records.shrink_to_fit();
    const qint64 convertMs = clock.restart();

    s = lex::createDirs(env, args[1]);
    if (!s)
        return fail(s.message());
    const QString stem = args[1] + (companion ? QStringLiteral("/21ct") : QStringLiteral("/Dict"));
    lex::DictBuildStats bs;
    progress->step(QStringLiteral("writing %1 entries to %2.idx and .dic").arg(entries.size()).arg(stem));
    s = lex::buildDictionary(env, stem + QStringLiteral(".idx"), stem + QStringLiteral(".dic"), entries, options, &bs);
    if (!s)
        return fail(s.message());
    const qint64 buildMs = clock.elapsed();
    progress.reset();

    out(QStringLiteral("ECDICT %1: %2 records read, %3 malformed records left out\n")
            .arg(args[0]).arg(cs.records).arg(read.badLines.size()));
    out(QStringLiteral("phonetics: %1 present; %2 converted cleanly, %3 with symbols written as the nearest the font "
                       "has, %4 with characters dropped, %5 empty after conversion\n")
            .arg(cs.withPhonetic).arg(cs.phoneticClean).arg(cs.phoneticApproximated).arg(cs.phoneticDropped)
            .arg(cs.phoneticEmptied));
    out(QStringLiteral("  written in: IPA %1, old font codes %2, look-alike letters %3, ASCII stress marks %4, "
                       "\"(?@)\" markers %5\n")
            .arg(cs.kinds[0]).arg(cs.kinds[1]).arg(cs.kinds[2]).arg(cs.kinds[3]).arg(cs.kinds[4]));
    if (cmu)
        out(QStringLiteral("both accents: %1 headwords, British IPA for %2, American for %3; the British form was "
                           "mended for ':' %4, ASCII stress marks %5, look-alike letters %6, old font codes %7, "
                           "ASCII g %8, variants run together %9, an American variant first %10, older diphthong letters %11\n")
                .arg(accents.size()).arg(ukCount).arg(usCount).arg(mended[0]).arg(mended[1]).arg(mended[2])
                .arg(mended[3]).arg(mended[4]).arg(mended[5]).arg(mended[6]).arg(mended[7]));
    if (!cs.approximatedChars.empty())
        out(QStringLiteral("  nearest symbol (entries): %1\n").arg(topChars(cs.approximatedChars)));
    if (!cs.droppedChars.empty())
        out(QStringLiteral("  dropped (entries): %1\n").arg(topChars(cs.droppedChars)));
    out(QStringLiteral("left out: %1 keys not in code page 936, %2 keys of 128 bytes or more, %3 empty keys or "
                       "keys with control characters or blanks at an end, %4 exact duplicates, %5 case duplicates, "
                       "%6 entries without phonetic or text\n")
            .arg(cs.notInCodePage).arg(cs.keyTooLong).arg(cs.badKey).arg(cs.exactDuplicates).arg(cs.caseDuplicates)
            .arg(cs.noText));
    if (companion && cs.caseDuplicates)
        out(QStringLiteral("  of keys equal but for ASCII case the companion keeps the most frequent, "
                           "then the lower-case spelling\n"));
    out(QStringLiteral("%1.idx (%2 bytes), %1.dic (%3 bytes): %4 entries written in %5 blocks of up to %6\n")
            .arg(stem).arg(env->fileSize(stem + QStringLiteral(".idx"))).arg(env->fileSize(stem + QStringLiteral(".dic")))
            .arg(bs.written).arg(bs.blocks).arg(options.blockSize));
    if (bs.written != cs.out)
        out(QStringLiteral("  the builder left out %1 more (duplicates %2, separators in text %3)\n")
                .arg(cs.out - bs.written).arg(bs.duplicates).arg(bs.badText));
    if (!companion)
        out(QStringLiteral("word lists and ranks: %1 headwords\n").arg(withInfo));
    if (bs.textReplaced)
        out(QStringLiteral("%1 entry texts had characters outside code page 936, written as '?'\n").arg(bs.textReplaced));
    out(QStringLiteral("time: read %1 ms, convert %2 ms, build and write %3 ms\n").arg(readMs).arg(convertMs).arg(buildMs));
    return 0;
}

} // namespace lexbook
