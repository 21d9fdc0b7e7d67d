// CSV and TSV, with the header lines Anki reads and writes at the top of a text file:
//   #separator:Comma|Semicolon|Tab|Space|Pipe|Colon (or the character itself)
//   #html:true|false      true: fields are HTML, reduced to plain text on reading
//   #columns:Word,...     the field names, split like a line of the file
//   #tags column:N        the 1-based field that holds space-separated tags
//   #deck column:N, #notetype column:N, #guid column:N   name those fields when #columns does not
// Other header lines (#notetype:, #deck:, ...) are passed over.
//
// Fields are split as spreadsheets write them: a field that starts with a double quote runs to the
// next lone double quote, "" inside it is one quote, and line breaks inside it are kept as they
// are. A line ends at CR LF, LF or a lone CR; empty lines are skipped.

#include "lexora/exchange/formats/foreign_format.h"

#include "common/text/markup_text.h"
#include "lexora/book/word_entry.h"
#include "lexora/exchange/formats/format_common.h"
#include "lexora/exchange/text_encoding.h"

#include <QStringDecoder>
#include <algorithm>
#include <map>

namespace lex::foreign {
namespace {

// The separators a mixed file is checked against, and the guess of a CSV without a header line.
constexpr char16_t kCandidates[] = {u',', u'\t', u';', u'|'};

const std::pair<const char*, char16_t> kSeparatorNames[] = {
    {"comma", u','}, {"semicolon", u';'}, {"tab", u'\t'}, {"space", u' '}, {"pipe", u'|'}, {"colon", u':'},
};

QString separatorName(QChar sep)
{
    for (const auto& [name, c] : kSeparatorNames)
        if (c == sep) {
            QString n = QString::fromLatin1(name);
            n[0] = n[0].toUpper();
            return n;
        }
    return QString(sep);
}

QString shown(QChar sep)
{
    return sep == u'\t' ? QStringLiteral("TAB") : sep == u' ' ? QStringLiteral("space") : QStringLiteral("\"%1\"").arg(sep);
}

bool isLineEnd(QChar c) { return c == u'\n' || c == u'\r'; }

// Past the line end at i (CR LF, LF or CR).
qsizetype skipLineEnd(QStringView s, qsizetype i)
{
    if (i < s.size() && s[i] == u'\r') {
        ++i;
        if (i < s.size() && s[i] == u'\n')
            ++i;
    } else if (i < s.size() && s[i] == u'\n') {
        ++i;
    }
    return i;
}

struct Record {
    QStringList fields;
    int line = 0;              // where it starts, from 1
    qsizetype begin = 0, end = 0;
};

class Splitter {
public:
    Splitter(QStringView text, QChar sep) : s_(text), sep_(sep) {}

    // The record at `pos` (which is no line end); `pos` moves past its line end. `fields` may be
    // null to count only.
    Status record(qsizetype* pos, int* line, QStringList* fields, int* count)
    {
        qsizetype i = *pos;
        *count = 0;
        const qsizetype n = s_.size();
        while (true) {
            QString f;
            if (i < n && s_[i] == u'"') {
                const int opened = *line;
                qsizetype length = 0;
                ++i;
                while (true) {
                    const qsizetype quote = s_.indexOf(u'"', i);
                    const qsizetype stop = quote < 0 ? n : quote;
                    for (qsizetype k = i; k < stop; ++k)
                        if (s_[k] == u'\n' || (s_[k] == u'\r' && (k + 1 >= n || s_[k + 1] != u'\n')))
                            ++*line;
                    length += stop - i;
                    if (length > kForeignMaxFieldChars)
                        return fieldTooLong(opened);
                    if (fields)
                        f.append(s_.mid(i, stop - i));
                    if (quote < 0)
                        return Status::error(Status::Code::Damaged,
                                             QStringLiteral("the quoted field that begins on line %1 is never closed")
                                                 .arg(opened));
                    if (quote + 1 < n && s_[quote + 1] == u'"') {
                        ++length;
                        if (fields)
                            f += u'"';
                        i = quote + 2;
                        continue;
                    }
                    i = quote + 1;
                    break;
                }
            }
            // Unquoted text, or what follows a closing quote before the separator.
            const qsizetype from = i;
            while (i < n && s_[i] != sep_ && !isLineEnd(s_[i]))
                if (f.size() + (++i - from) > kForeignMaxFieldChars)
                    return fieldTooLong(*line);
            ++*count;
            if (fields)
                *fields << (f.append(s_.mid(from, i - from)));
            if (i < n && s_[i] == sep_) {
                ++i;
                continue;
            }
            break;
        }
        *pos = skipLineEnd(s_, i);
        ++*line;
        return Status::ok();
    }

    // The number of fields of the text between begin and end as split by `sep`; -1 when a quote is
    // left open there.
    static int countWith(QStringView text, QChar sep)
    {
        Splitter s(text, sep);
        qsizetype pos = 0;
        int line = 1, count = 0;
        return s.record(&pos, &line, nullptr, &count) ? count : -1;
    }

private:
    QStringView s_;
    QChar sep_;
};

// Mixed separators: lines that the separator leaves whole while another candidate splits them.
// They are taken for a mix when that other separator gives them as many fields as the split lines
// usually have (on two lines, or on one when that is three fields or more: a word with a comma in
// it stays possible), or when they outnumber the split lines.
Status checkSeparators(QStringView text, const std::vector<Record>& records, QChar sep)
{
    std::map<int, int> counts;
    int split = 0;
    for (const Record& r : records)
        if (r.fields.size() > 1) {
            ++counts[int(r.fields.size())];
            ++split;
        }
    if (split == 0)
        return Status::ok();
    int usual = 0, most = 0;
    for (const auto& [n, times] : counts)
        if (times > most)
            usual = n, most = times;
    for (char16_t c : kCandidates) {
        if (c == sep)
            continue;
        int matching = 0, splitByOther = 0, firstLine = 0;
        for (const Record& r : records) {
            if (r.fields.size() != 1)
                continue;
            const int k = Splitter::countWith(text.mid(r.begin, r.end - r.begin), c);
            if (k <= 1)
                continue;
            ++splitByOther;
            if (k == usual)
                ++matching;
            if (!firstLine)
                firstLine = r.line;
        }
        if (matching >= 2 || (matching == 1 && usual >= 3) || splitByOther > split)
            return Status::error(Status::Code::Damaged,
                                 QStringLiteral("the file mixes separators: some lines are split by %1, others "
                                                "by %2 (line %3); it is not read")
                                     .arg(shown(sep), shown(c))
                                     .arg(firstLine));
    }
    return Status::ok();
}

struct Header {
    QChar sep;
    bool sepGiven = false;
    bool html = false;
    QString columns;          // the value as written; split once the separator is known
    bool columnsGiven = false;
    // Anki's special columns, from 1; 0: none.
    int tagsColumn = 0, deckColumn = 0, notetypeColumn = 0, guidColumn = 0;
};

// The header lines at the top of the text; *pos ends on the first line that is not one.
Status readHeader(QStringView s, qsizetype* pos, int* line, Header* h)
{
    qsizetype i = *pos;
    while (i < s.size() && s[i] == u'#') {
        qsizetype end = i;
        while (end < s.size() && !isLineEnd(s[end]))
            ++end;
        const QStringView l = s.mid(i + 1, end - i - 1);
        const qsizetype colon = l.indexOf(u':');
        if (colon > 0) {
            const QString key = l.left(colon).trimmed().toString().toLower();
            const QStringView value = l.mid(colon + 1);
            if (key == u"separator") {
                const QString name = value.trimmed().toString().toLower();
                h->sepGiven = false;
                if (value.size() == 1)
                    h->sep = value[0], h->sepGiven = true;
                for (const auto& [n, c] : kSeparatorNames)
                    if (name == QLatin1String(n))
                        h->sep = c, h->sepGiven = true;
                if (!h->sepGiven)
                    return Status::error(Status::Code::Damaged,
                                         QStringLiteral("line %1 names the separator \"%2\", which is not known")
                                             .arg(*line)
                                             .arg(value.toString()));
            } else if (key == u"html") {
                h->html = value.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
            } else if (key == u"columns") {
                h->columns = value.toString();
                h->columnsGiven = true;
            } else if (key == u"tags column") {
                h->tagsColumn = std::max(0, value.trimmed().toInt());
            } else if (key == u"deck column") {
                h->deckColumn = std::max(0, value.trimmed().toInt());
            } else if (key == u"notetype column") {
                h->notetypeColumn = std::max(0, value.trimmed().toInt());
            } else if (key == u"guid column") {
                h->guidColumn = std::max(0, value.trimmed().toInt());
            }
        }
        i = skipLineEnd(s, end);
        ++*line;
    }
    *pos = i;
    return Status::ok();
}

// Anki's HTML as the plain text of an entry: block tags become line breaks (CR LF), blank lines go.
QString htmlToText(const QString& html)
{
    if (!html.contains(u'<') && !html.contains(u'&'))
        return html;
    const QString text = markupToText(html, true);
    QStringList lines;
    for (QStringView l : QStringView(text).split(u'\n')) {
        l = l.trimmed();
        if (!l.isEmpty())
            lines << l.toString();
    }
    return lines.join(QStringLiteral("\r\n"));
}

// The text of the file: as its byte-order mark says; UTF-8, which is what Anki writes, when it is
// valid UTF-8 and starts with Anki's header; else as the word lists are guessed.
QString decodeDelimited(QByteArrayView bytes)
{
    if (bytes.startsWith("#")) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
    }
    QString text = decodeWordList(bytes, TextEncoding::Auto);
    // UTF-16 read from a damaged file may hold half a surrogate pair, which no UTF-8 file (our
    // export) can hold: it becomes U+FFFD, as invalid bytes do in the other encodings.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

Status parse(bool tab, QByteArrayView bytes, ForeignTable* out, const ForeignProgressFn& progress)
{
    *out = ForeignTable{};
    if (bytes.size() > kForeignMaxFileBytes)
        return Status::error(Status::Code::Refused, QStringLiteral("the file is larger than %1 MB; it is not read")
                                                        .arg(kForeignMaxFileBytes >> 20));
    const QString decoded = decodeDelimited(bytes);
    const QStringView text = decoded;

    qsizetype pos = 0;
    int line = 1;
    Header h;
    h.sep = tab ? u'\t' : u',';
    Status s = readHeader(text, &pos, &line, &h);
    if (!s)
        return s;

    auto skipEmpty = [&](qsizetype* p, int* l) {
        while (*p < text.size() && isLineEnd(text[*p])) {
            *p = skipLineEnd(text, *p);
            ++*l;
        }
    };
    qsizetype first = pos;
    int firstLine = line;
    skipEmpty(&first, &firstLine);
    // Without a header a CSV may still be split by something else than commas (a spreadsheet set
    // to another language writes semicolons): the first line tells.
    if (!tab && !h.sepGiven && first < text.size()) {
        const qsizetype end = [&] {
            qsizetype e = first;
            while (e < text.size() && !isLineEnd(text[e]))
                ++e;
            return e;
        }();
        if (Splitter::countWith(text.mid(first, end - first), h.sep) == 1)
            for (char16_t c : kCandidates)
                if (Splitter::countWith(text.mid(first, end - first), c) > 1) {
                    h.sep = c;
                    break;
                }
    }

    std::vector<Record> records;
    Splitter split(text, h.sep);
    pos = first;
    line = firstLine;
    while (pos < text.size()) {
        Record r;
        r.line = line;
        r.begin = pos;
        int count = 0;
        s = split.record(&pos, &line, &r.fields, &count);
        if (!s)
            return s;
        r.end = pos;
        records.push_back(std::move(r));
        if (qsizetype(records.size()) > kForeignMaxRows)
            return tooManyRows();
        if (progress && records.size() % kProgressEvery == 0 && !progress(pos, text.size()))
            return cancelled();
        skipEmpty(&pos, &line);
    }

    if (const Status mixed = checkSeparators(text, records, h.sep); !mixed)
        return mixed;

    if (h.columnsGiven) {
        int ignored = 0;
        qsizetype p = 0;
        int l = 1;
        const QString columns = h.columns;
        Splitter(columns, h.sep).record(&p, &l, &out->fields, &ignored);
        for (QString& f : out->fields)
            f = f.trimmed();
    }
    int widest = 0;
    for (const Record& r : records)
        widest = std::max(widest, int(r.fields.size()));
    for (int i = 0; i < int(out->fields.size()); ++i)
        if (out->fields[i].isEmpty())
            out->fields[i] = QString::number(i + 1);
    while (out->fields.size() < widest)
        out->fields << QString::number(out->fields.size() + 1);
    // Anki's special columns by name, where #columns did not name them, so that the preview shows
    // what they hold.
    const std::pair<int, const char*> special[] = {
        {h.tagsColumn, "Tags"}, {h.deckColumn, "Deck"}, {h.notetypeColumn, "Note type"}, {h.guidColumn, "GUID"}};
    for (const auto& [column, name] : special)
        if (column > 0 && column <= out->fields.size() && out->fields[column - 1] == QString::number(column))
            out->fields[column - 1] = QString::fromLatin1(name);

    out->rows.reserve(records.size());
    for (Record& r : records) {
        ForeignRow row;
        row.values = std::move(r.fields);
        while (row.values.size() < out->fields.size())
            row.values << QString();
        if (h.html)
            for (QString& v : row.values)
                v = htmlToText(v);
        if (h.tagsColumn > 0 && h.tagsColumn <= row.values.size())
            row.tags = row.values[h.tagsColumn - 1].split(u' ', Qt::SkipEmptyParts);
        out->rows.push_back(std::move(row));
    }
    return Status::ok();
}

// A field as written: quoted when it holds the separator, a quote or a line break, or starts with
// '#' (which would make the first line a header line).
void appendField(QString& out, QStringView f, QChar sep)
{
    bool quote = f.startsWith(u'#');
    for (QChar c : f)
        if (c == sep || c == u'"' || isLineEnd(c)) {
            quote = true;
            break;
        }
    if (!quote) {
        out += f;
        return;
    }
    out += u'"';
    for (QChar c : f) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
}

} // namespace

Status parseDelimited(bool tab, QByteArrayView bytes, ForeignTable* out)
{
    Status s = parse(tab, bytes, out, {});
    if (!s)
        *out = ForeignTable{};
    return s;
}

Status readDelimited(bool tab, Env* env, const QString& path, ForeignTable* out, const ForeignProgressFn& progress)
{
    *out = ForeignTable{};
    QByteArray bytes;
    Status s = readWithinLimit(env, path, &bytes);
    if (s)
        s = parse(tab, bytes, out, progress);
    if (!s)
        *out = ForeignTable{};
    return s;
}

Status writeDelimited(bool tab, Env* env, const QString& path, const std::vector<const WordEntry*>& entries,
                      const ForeignExportOptions& options, ForeignExportResult* result)
{
    const QChar sep = tab ? u'\t' : u',';
    QString text;
    text += QStringLiteral("#separator:") + separatorName(sep) + u'\n';
    text += QStringLiteral("#html:false\n");
    const QString columns[] = {QStringLiteral("Word"), QStringLiteral("Phonetic"), QStringLiteral("Explanation"),
                               QStringLiteral("Comment"), QStringLiteral("Class")};
    text += QStringLiteral("#columns:");
    for (const QString& c : columns) {
        if (&c != &columns[0])
            text += sep;
        text += c;
    }
    text += u'\n';
    for (size_t n = 0; n < entries.size(); ++n) {
        const WordEntry& e = *entries[n];
        const QStringView fields[] = {e.word(), e.phonetic(), e.explanation(), e.comment(), e.className()};
        for (const QStringView& f : fields) {
            if (&f != &fields[0])
                text += sep;
            appendField(text, f, sep);
        }
        text += u'\n';
        if (options.progress && (n + 1) % kProgressEvery == 0 && !options.progress(qint64(n + 1), qint64(entries.size())))
            return cancelled();
    }
    Status s = writeFileAtomically(env, path, text.toUtf8());
    if (!s)
        return s;
    result->written = int(entries.size());
    if (!entries.empty())
        result->losses << degreesAndTimesLost();
    return Status::ok();
}

} // namespace lex::foreign
