#include "common/dictionary/word_forms.h"

#include "common/dictionary/index_blocks.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace lex {
namespace {

constexpr char kMagic[8] = {'L', 'X', 'F', 'O', 'R', 'M', 'S', 1};
constexpr char kFooterMagic[5] = "LXFM";
constexpr int kSparseStep = 16;
constexpr char kKindOrder[] = "pdi3srt";

int kindRank(FormKind k) { return int(std::strchr(kKindOrder, char(k)) - kKindOrder); }
bool isKind(QChar c) { return c.unicode() < 128 && c.unicode() && std::strchr(kKindOrder, char(c.unicode())); }

void appendLe32(QByteArray& b, uint32_t v)
{
    char p[4];
    qToLittleEndian(v, p);
    b.append(p, 4);
}
uint32_t le32(const unsigned char* p) { return qFromLittleEndian<uint32_t>(p); }

} // namespace

std::vector<InflectedForm> formsFromExchange(QStringView word, QStringView exchange)
{
    std::vector<InflectedForm> out;
    QString lemma, lemmaKinds;
    const QString w = word.trimmed().toString();
    for (QStringView item : exchange.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const qsizetype colon = item.indexOf(QLatin1Char(':'));
        if (colon != 1)
            continue;
        const QChar code = item[0];
        const QString value = item.mid(2).trimmed().toString();
        if (value.isEmpty())
            continue;
        if (code == QLatin1Char('0'))
            lemma = value;
        else if (code == QLatin1Char('1'))
            lemmaKinds = value;
        else if (isKind(code))
            out.push_back({value, w, FormKind(char(code.unicode()))});
    }
    if (!lemma.isEmpty())
        for (QChar k : lemmaKinds)
            if (isKind(k))
                out.push_back({w, lemma, FormKind(char(k.unicode()))});
    return out;
}

QByteArray encodeFormsBlock(std::vector<InflectedForm> forms)
{
    struct Rec { QByteArray form, lemma; FormKind kind; };
    std::vector<Rec> recs;
    recs.reserve(forms.size());
    for (const InflectedForm& f : forms) {
        if (f.form.isEmpty() || f.lemma.isEmpty() || f.form == f.lemma || f.form.contains(QChar(0)) ||
            f.lemma.contains(QChar(0)))
            continue;
        recs.push_back({f.form.toUtf8(), f.lemma.toUtf8(), f.kind});
    }
    std::sort(recs.begin(), recs.end(), [](const Rec& a, const Rec& b) {
        if (int c = a.form.compare(b.form))
            return c < 0;
        if (kindRank(a.kind) != kindRank(b.kind))
            return kindRank(a.kind) < kindRank(b.kind);
        return a.lemma < b.lemma;
    });
    recs.erase(std::unique(recs.begin(), recs.end(),
                           [](const Rec& a, const Rec& b) { return a.form == b.form && a.lemma == b.lemma && a.kind == b.kind; }),
               recs.end());
    QByteArray body, sparse;
    for (size_t i = 0; i < recs.size(); ++i) {
        if (i % kSparseStep == 0)
            appendLe32(sparse, uint32_t(body.size()));
        body += recs[i].form + '\0' + recs[i].lemma + '\0' + char(recs[i].kind);
    }
    QByteArray block(kMagic, sizeof kMagic);
    appendLe32(block, uint32_t(recs.size()));
    appendLe32(block, uint32_t(sparse.size() / 4));
    return block + sparse + body;
}

void appendFormsBlock(QByteArray* index, const QByteArray& block)
{
    appendIndexBlock(index, kFooterMagic, block);
}

QString formNote(const QString& typed, const QString& lemma, FormKind kind)
{
    static const struct { FormKind k; const char* text; } kLabels[] = {
        {FormKind::Past, "过去式"}, {FormKind::PastParticiple, "过去分词"}, {FormKind::Present, "现在分词"},
        {FormKind::ThirdPerson, "第三人称单数"}, {FormKind::Plural, "复数"}, {FormKind::Comparative, "比较级"},
        {FormKind::Superlative, "最高级"}};
    QString label;
    for (const auto& l : kLabels)
        if (l.k == kind)
            label = QString::fromUtf8(l.text);
    return typed + QStringLiteral("：") + lemma + QStringLiteral(" 的") + label;
}

bool WordForms::openIndex(const QString& indexPath)
{
    close();
    if (!file_.open(indexPath))
        return false;
    openMemory(QByteArrayView(reinterpret_cast<const char*>(file_.data()), qsizetype(file_.size())));
    return true;
}

void WordForms::openMemory(QByteArrayView bytes)
{
    records_ = nullptr;
    recordsSize_ = 0;
    sparse_ = nullptr;
    sparseCount_ = 0;
    count_ = 0;
    const QByteArrayView blockBytes = findIndexBlock(bytes, kFooterMagic);
    const auto* data = reinterpret_cast<const unsigned char*>(blockBytes.data());
    const uint64_t at = 0, len = uint64_t(blockBytes.size());
    const uint64_t header = sizeof kMagic + 8;
    // An unknown version is ignored like no block.
    if (len < header || std::memcmp(data, kMagic, sizeof kMagic) != 0)
        return;
    const uint64_t count = le32(data + at + 8), sparseCount = le32(data + at + 12);
    if (sparseCount != (count + kSparseStep - 1) / kSparseStep || header + 4 * sparseCount > len)
        return;
    const uint64_t recordsAt = at + header + 4 * sparseCount;
    records_ = data + recordsAt;
    recordsSize_ = at + len - recordsAt;
    sparse_ = data + at + header;
    sparseCount_ = uint32_t(sparseCount);
    count_ = qsizetype(count);
    for (uint32_t i = 0; i < sparseCount_; ++i)
        if (le32(sparse_ + 4 * i) >= recordsSize_) { // a damaged table: no forms rather than wrong ones
            close();
            return;
        }
}

void WordForms::close()
{
    file_.close();
    records_ = nullptr;
    recordsSize_ = 0;
    sparse_ = nullptr;
    sparseCount_ = 0;
    count_ = 0;
}

std::optional<BaseForm> WordForms::baseFormOf(QStringView word) const
{
    if (!sparseCount_ || word.isEmpty())
        return std::nullopt;
    // Asked on every look-up: a short ASCII word (nearly all of them) is compared from the stack.
    char ascii[64];
    QByteArray utf8;
    QByteArrayView q;
    if (word.size() <= qsizetype(sizeof ascii)) {
        qsizetype n = 0;
        for (QChar c : word) {
            if (c.unicode() >= 0x80)
                break;
            ascii[n++] = char(c.unicode());
        }
        if (n == word.size())
            q = QByteArrayView(ascii, n);
    }
    if (q.isNull()) {
        utf8 = word.toUtf8();
        q = utf8;
    }
    // A record from `pos`: its three parts, or false when it runs past the block.
    auto read = [&](uint64_t pos, QByteArrayView* form, QByteArrayView* lemma, char* kind, uint64_t* next) {
        const auto* base = reinterpret_cast<const char*>(records_);
        const void* z1 = pos < recordsSize_ ? std::memchr(base + pos, 0, size_t(recordsSize_ - pos)) : nullptr;
        if (!z1)
            return false;
        const uint64_t p1 = uint64_t(static_cast<const char*>(z1) - base) + 1;
        const void* z2 = p1 < recordsSize_ ? std::memchr(base + p1, 0, size_t(recordsSize_ - p1)) : nullptr;
        if (!z2)
            return false;
        const uint64_t p2 = uint64_t(static_cast<const char*>(z2) - base) + 1;
        if (p2 >= recordsSize_)
            return false;
        *form = QByteArrayView(base + pos, qsizetype(p1 - 1 - pos));
        *lemma = QByteArrayView(base + p1, qsizetype(p2 - 1 - p1));
        *kind = base[p2];
        *next = p2 + 1;
        return true;
    };
    QByteArrayView form, lemma;
    char kind;
    uint64_t next;
    // The last sparse entry whose record sorts before q; then walk.
    uint32_t lo = 0, hi = sparseCount_;
    while (lo < hi) {
        const uint32_t mid = (lo + hi) / 2;
        if (!read(le32(sparse_ + 4 * mid), &form, &lemma, &kind, &next))
            return std::nullopt;
        if (form.compare(q) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    uint64_t pos = le32(sparse_ + 4 * (lo == 0 ? 0 : lo - 1));
    for (int i = 0; i < 2 * kSparseStep + 1 && read(pos, &form, &lemma, &kind, &next); ++i, pos = next) {
        const int c = form.compare(q);
        if (c > 0)
            break;
        if (c == 0 && isKind(QLatin1Char(kind)) && !lemma.isEmpty())
            return BaseForm{QString::fromUtf8(lemma), FormKind(kind)};
    }
    return std::nullopt;
}

} // namespace lex
