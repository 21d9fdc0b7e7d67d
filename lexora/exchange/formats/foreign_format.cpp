// The formats' common part: the table of formats, the first field map, rows into records.

#include "lexora/exchange/formats/foreign_format.h"

#include "common/platform/env.h"
#include "lexora/book/word_entry.h"

#include <QFileInfo>
#include <algorithm>

namespace lex {

const std::vector<ForeignFormat>& foreignFormats()
{
    using namespace foreign;
    static const std::vector<ForeignFormat> rows = {
        {ForeignKind::Anki, QStringLiteral("Anki"), {QStringLiteral("apkg"), QStringLiteral("colpkg")},
         {QStringLiteral("apkg"), QStringLiteral("colpkg"), QStringLiteral("anki")}, true, readAnki, writeAnki},
        {ForeignKind::Kvtml, QStringLiteral("KDE"), {QStringLiteral("kvtml")}, {QStringLiteral("kvtml")}, false,
         readKvtml, writeKvtml},
        {ForeignKind::Csv, QStringLiteral("CSV"), {QStringLiteral("csv")}, {QStringLiteral("csv")}, false,
         [](Env* env, const QString& path, ForeignTable* out, const ForeignProgressFn& progress) {
             return readDelimited(false, env, path, out, progress);
         },
         [](Env* env, const QString& path, const std::vector<const WordEntry*>& entries,
            const ForeignExportOptions& options, ForeignExportResult* result) {
             return writeDelimited(false, env, path, entries, options, result);
         }},
        {ForeignKind::Tsv, QStringLiteral("TSV"), {QStringLiteral("tsv")}, {QStringLiteral("tsv")}, false,
         [](Env* env, const QString& path, ForeignTable* out, const ForeignProgressFn& progress) {
             return readDelimited(true, env, path, out, progress);
         },
         [](Env* env, const QString& path, const std::vector<const WordEntry*>& entries,
            const ForeignExportOptions& options, ForeignExportResult* result) {
             return writeDelimited(true, env, path, entries, options, result);
         }},
    };
    return rows;
}

const ForeignFormat& foreignFormat(ForeignKind kind)
{
    const std::vector<ForeignFormat>& rows = foreignFormats();
    const auto it = std::find_if(rows.begin(), rows.end(), [kind](const ForeignFormat& f) { return f.kind == kind; });
    Q_ASSERT(it != rows.end());
    return *it;
}

QString ForeignFormat::chooserFilter() const
{
    QStringList patterns;
    for (const QString& e : extensions)
        patterns << QStringLiteral("*.") + e;
    return label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QStringLiteral(")|") +
           patterns.join(QLatin1Char(';')) + QLatin1Char('|');
}

std::optional<ForeignKind> foreignKindForPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const ForeignFormat& f : foreignFormats())
        if (f.extensions.contains(suffix))
            return f.kind;
    return std::nullopt;
}

std::optional<ForeignKind> foreignKindByName(const QString& name)
{
    const QString n = name.toLower();
    for (const ForeignFormat& f : foreignFormats())
        if (f.names.contains(n))
            return f.kind;
    return std::nullopt;
}

namespace {

// Field names in lower case, most telling first.
bool nameIn(const QString& field, std::initializer_list<const char16_t*> names)
{
    const QString f = field.trimmed().toLower();
    for (const char16_t* n : names)
        if (f == QStringView(n))
            return true;
    return false;
}

} // namespace

FieldMap guessFieldMap(const QStringList& fields)
{
    FieldMap map;
    map.word = map.phonetic = map.explanation = map.comment = map.className = -1;
    for (int i = 0; i < fields.size(); ++i) {
        const QString& f = fields[i];
        if (map.word < 0 && nameIn(f, {u"word", u"front", u"expression", u"english", u"vocabulary", u"term",
                                       u"单词", u"英文", u"词"}))
            map.word = i;
        else if (map.phonetic < 0 && nameIn(f, {u"phonetic", u"pronunciation", u"ipa", u"reading", u"音标", u"发音"}))
            map.phonetic = i;
        else if (map.explanation < 0 && nameIn(f, {u"explanation", u"meaning", u"back", u"definition",
                                                   u"translation", u"chinese", u"释义", u"中文", u"解释"}))
            map.explanation = i;
        else if (map.comment < 0 && nameIn(f, {u"comment", u"notes", u"note", u"remark", u"备注", u"注释"}))
            map.comment = i;
        else if (map.className < 0 && nameIn(f, {u"class", u"lesson", u"category", u"类别", u"分类"}))
            map.className = i;
    }
    // Nothing named: the first field is the word and the next one its explanation.
    if (map.word < 0)
        map.word = 0;
    if (map.explanation < 0) {
        for (int i = 0; i < fields.size(); ++i)
            if (i != map.word && i != map.phonetic && i != map.comment && i != map.className) {
                map.explanation = i;
                break;
            }
    }
    return map;
}

std::vector<ImportRecord> recordsFromTable(const ForeignTable& table, const FieldMap& map, int* rejected)
{
    auto field = [](const ForeignRow& row, int i) {
        return i >= 0 && i < row.values.size() ? row.values[i] : QString();
    };
    std::vector<ImportRecord> records;
    records.reserve(table.rows.size());
    int dropped = 0;
    for (const ForeignRow& row : table.rows) {
        ImportRecord r;
        r.word = field(row, map.word).trimmed();
        if (r.word.isEmpty()) {
            ++dropped;
            continue;
        }
        r.phonetic = field(row, map.phonetic);
        r.explanation = field(row, map.explanation);
        r.comment = field(row, map.comment);
        r.className = field(row, map.className);
        bool classTaken = map.className >= 0 || !map.classFromTags;
        for (const QString& tag : row.tags) {
            if (!tag.startsWith(kDegreeTagPrefix)) {
                if (!classTaken)
                    r.className = tag;
                classTaken = true;
                continue;
            }
            // "lexora::recognition::7": the degree our own export wrote.
            const QStringView rest = QStringView(tag).mid(kDegreeTagPrefix.size());
            for (Skill s : kSkills) {
                const QString name = skillName(s);
                if (rest.startsWith(name) && rest.mid(name.size()).startsWith(u"::")) {
                    bool ok = false;
                    const int v = rest.mid(name.size() + 2).toInt(&ok);
                    if (ok && v >= 0 && v <= kMaxStrangeness)
                        r.degrees[size_t(storedIndex(s))] = v;
                }
            }
        }
        records.push_back(std::move(r));
    }
    if (rejected)
        *rejected = dropped;
    return records;
}

Status readForeign(ForeignKind kind, Env* env, const QString& path, ForeignTable* out,
                   const ForeignProgressFn& progress)
{
    *out = ForeignTable{};
    const Status s = foreignFormat(kind).read(orDefault(env), path, out, progress);
    if (!s)
        *out = ForeignTable{};
    return s;
}

Status writeForeign(ForeignKind kind, Env* env, const QString& path, const std::vector<const WordEntry*>& entries,
                    const ForeignExportOptions& options, ForeignExportResult* result)
{
    ForeignExportResult local;
    if (!result)
        result = &local;
    *result = ForeignExportResult{};
    return foreignFormat(kind).write(orDefault(env), path, entries, options, result);
}

} // namespace lex
