#include "common/dictionary/dict_builder.h"

#include "common/dictionary/dict_keys.h"
#include "common/dictionary/index_blocks.h"
#include "common/text/codepage.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace lex {
namespace {

void appendLe32(QByteArray& out, uint32_t v)
{
    const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
    out.append(b, 4);
}

struct Prepared {
    QByteArray key;  // code page 936
    QString decoded; // what the reader compares: the conversion of `key`
    QByteArray text;
};

QString unescape(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\\') && i + 1 < s.size()) {
            const QChar n = s[i + 1];
            if (n == QLatin1Char('n')) { out += QLatin1Char('\n'); ++i; continue; }
            if (n == QLatin1Char('t')) { out += QLatin1Char('\t'); ++i; continue; }
            if (n == QLatin1Char('\\')) { out += QLatin1Char('\\'); ++i; continue; }
        }
        out += c;
    }
    return out;
}

} // namespace

Status encodeDictionary(const std::vector<DictSourceEntry>& entries, const DictBuildOptions& options,
                        QByteArray* index, QByteArray* text, DictBuildStats* statsOut)
{
    if (options.blockSize < 1)
        return Status::error(Status::Code::Refused, QStringLiteral("block size must be at least 1"));
    const DictVariant v = options.variant;
    DictBuildStats stats;
    stats.in = qsizetype(entries.size());

    std::vector<Prepared> kept;
    kept.reserve(entries.size());
    for (const DictSourceEntry& e : entries) {
        if (e.key.isEmpty() || e.key.contains(QChar(0))) {
            ++stats.badKey;
            continue;
        }
        bool lossy = false;
        QByteArray key = cp936::encode(e.key, &lossy);
        QString decoded = lossy ? QString() : cp936::decode(key);
        // A key that does not come back unchanged would sort differently from what the reader sees.
        if (lossy || decoded != e.key) {
            ++stats.notInCodePage;
            continue;
        }
        if (v == DictVariant::Main && key.size() >= 128) {
            ++stats.keyTooLong;
            continue;
        }
        QByteArray body;
        bool replaced = false;
        if (v == DictVariant::Main) {
            auto separator = [](const QString& s) { return s.contains(QChar(0)) || s.contains(QChar(1)); };
            if (separator(e.phonetic) || std::any_of(e.explanation.begin(), e.explanation.end(), separator)) {
                ++stats.badText;
                continue;
            }
            bool l = false;
            body = cp936::encode(e.phonetic, &l);
            replaced |= l;
            for (const QString& line : e.explanation) {
                body += '\x01';
                body += cp936::encode(line, &l);
                replaced |= l;
            }
        } else {
            if (e.text.contains(QChar(0))) {
                ++stats.badText;
                continue;
            }
            QString t = e.text;
            t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            body = cp936::encode(t, &replaced);
        }
        if (replaced)
            ++stats.textReplaced;
        kept.push_back({std::move(key), std::move(decoded), std::move(body)});
    }

    std::vector<size_t> order(kept.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return dictkeys::compare(v, kept[a].decoded, kept[b].decoded) < 0;
    });
    std::vector<size_t> unique;
    unique.reserve(order.size());
    for (size_t i : order) {
        if (!unique.empty() && dictkeys::compare(v, kept[unique.back()].decoded, kept[i].decoded) == 0) {
            ++stats.duplicates;
            continue;
        }
        unique.push_back(i);
    }

    QByteArray first, second, body;
    uint64_t textSize = 0;
    for (size_t i : unique)
        textSize += uint64_t(kept[i].text.size());
    if (textSize > UINT32_MAX)
        return Status::error(Status::Code::Refused, QStringLiteral("the entry texts exceed 4 GiB"));
    body.reserve(qsizetype(textSize));
    const size_t n = unique.size();
    for (size_t i = 0; i < n; ++i) {
        const Prepared& p = kept[unique[i]];
        body += p.text;
        if (v == DictVariant::Main) {
            second += char(p.key.size());
            second += p.key;
        } else {
            second += '\0'; // the leading byte that the reader skips
            second += p.key;
            second += '\0';
        }
        appendLe32(second, uint32_t(body.size()));
        if (uint64_t(second.size()) > UINT32_MAX)
            return Status::error(Status::Code::Refused, QStringLiteral("the index exceeds 4 GiB"));
        const bool lastOfBlock = (i + 1) % size_t(options.blockSize) == 0 || i + 1 == n;
        if (lastOfBlock) {
            if (v == DictVariant::Main) {
                first += char(p.key.size());
                first += p.key;
            } else {
                first += p.key;
                first += '\0';
            }
            appendLe32(first, uint32_t(second.size()));
            ++stats.blocks;
        }
    }
    if (4 + uint64_t(first.size()) + uint64_t(second.size()) > UINT32_MAX)
        return Status::error(Status::Code::Refused, QStringLiteral("the index exceeds 4 GiB"));

    index->clear();
    index->reserve(4 + first.size() + second.size());
    appendLe32(*index, uint32_t(first.size()));
    *index += first;
    *index += second;
    for (const DictBuildOptions::Block& b : options.blocks)
        appendIndexBlock(index, b.tag, b.bytes);
    if (!options.forms.empty())
        appendFormsBlock(index, encodeFormsBlock(options.forms));
    *text = std::move(body);
    stats.written = qsizetype(n);
    if (statsOut)
        *statsOut = stats;
    return Status::ok();
}

Status buildDictionary(Env* env, const QString& indexPath, const QString& textPath,
                       const std::vector<DictSourceEntry>& entries, const DictBuildOptions& options,
                       DictBuildStats* stats)
{
    QByteArray index, text;
    Status s = encodeDictionary(entries, options, &index, &text, stats);
    if (!s)
        return s;
    // The text first: an index never points past a text file written with it.
    s = writeFileAtomically(env, textPath, text);
    if (!s)
        return s;
    return writeFileAtomically(env, indexPath, index);
}

Status parseDictSource(QByteArrayView utf8, DictVariant format, DictSourceParse* out)
{
    out->entries.clear();
    out->malformedLines.clear();
    if (!utf8::isValid(utf8))
        return Status::error(Status::Code::Damaged, QStringLiteral("the source is not valid UTF-8"));
    QString all = QString::fromUtf8(utf8);
    if (all.startsWith(QChar(0xFEFF)))
        all.remove(0, 1);
    const QList<QStringView> lines = QStringView(all).split(QLatin1Char('\n'));
    const qsizetype fields = format == DictVariant::Main ? 3 : 2;
    int number = 0;
    for (QStringView line : lines) {
        ++number;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QList<QStringView> f = line.split(QLatin1Char('\t'));
        if (f.size() != fields || f[0].isEmpty()) {
            out->malformedLines << number;
            continue;
        }
        DictSourceEntry e;
        e.key = f[0].toString();
        if (format == DictVariant::Main) {
            e.phonetic = f[1].toString();
            if (!f[2].isEmpty())
                e.explanation = unescape(f[2]).split(QLatin1Char('\n'));
        } else {
            e.text = unescape(f[1]);
        }
        out->entries.push_back(std::move(e));
    }
    return Status::ok();
}

QString companionTextFromMain(const DictSourceEntry& e)
{
    QString t = QStringLiteral("`1`") + e.key;
    if (!e.phonetic.isEmpty())
        t += QStringLiteral("`4`/") + e.phonetic + QLatin1Char('/');
    for (const QString& line : e.explanation)
        t += QStringLiteral("`8`") + line;
    return t;
}

} // namespace lex
