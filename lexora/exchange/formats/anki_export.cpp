// Writing Anki packages: a zip with collection.anki2 (schema 11, the layout every Anki version
// reads), the media list and the numbered media files. The collection is built as an in-memory
// SQLite database and serialised, and the package is written through Env, so no file but the
// package itself (and its temporary twin) is touched.

#include "lexora/exchange/formats/anki_package.h"

#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "lexora/book/word_entry.h"
#include "common/sqlite/sqlite_db.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace lex::anki {

namespace {

// One note type for every package we write, so that packages of several Books share it in Anki.
constexpr qint64 kNoteTypeId = 1733650000000;
constexpr int kFieldCount = 5;   // Word, Phonetic, Explanation, Comment, Sound

const char* const kSchema = R"(
CREATE TABLE col (id integer primary key, crt integer not null, mod integer not null, scm integer not null,
  ver integer not null, dty integer not null, usn integer not null, ls integer not null, conf text not null,
  models text not null, decks text not null, dconf text not null, tags text not null);
CREATE TABLE notes (id integer primary key, guid text not null, mid integer not null, mod integer not null,
  usn integer not null, tags text not null, flds text not null, sfld integer not null, csum integer not null,
  flags integer not null, data text not null);
CREATE TABLE cards (id integer primary key, nid integer not null, did integer not null, ord integer not null,
  mod integer not null, usn integer not null, type integer not null, queue integer not null, due integer not null,
  ivl integer not null, factor integer not null, reps integer not null, lapses integer not null,
  left integer not null, odue integer not null, odid integer not null, flags integer not null, data text not null);
CREATE TABLE revlog (id integer primary key, cid integer not null, usn integer not null, ease integer not null,
  ivl integer not null, lastIvl integer not null, factor integer not null, time integer not null,
  type integer not null);
CREATE TABLE graves (usn integer not null, oid integer not null, type integer not null);
)";

const char* const kIndexes = R"(
CREATE INDEX ix_notes_usn ON notes (usn);
CREATE INDEX ix_cards_usn ON cards (usn);
CREATE INDEX ix_revlog_usn ON revlog (usn);
CREATE INDEX ix_cards_nid ON cards (nid);
CREATE INDEX ix_cards_sched ON cards (did, queue, due);
CREATE INDEX ix_revlog_cid ON revlog (cid);
CREATE INDEX ix_notes_csum ON notes (csum);
)";

QByteArray json(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QJsonObject noteType(qint64 deckId, qint64 nowS)
{
    const char* names[kFieldCount] = {"Word", "Phonetic", "Explanation", "Comment", "Sound"};
    QJsonArray flds;
    for (int i = 0; i < kFieldCount; ++i)
        flds.append(QJsonObject{{"name", names[i]}, {"ord", i}, {"sticky", false}, {"rtl", false},
                                {"font", "Arial"}, {"size", 20}, {"media", QJsonArray{}}});
    // The three degrees of an entry as three cards: 认读 word → explanation, 拼写 explanation →
    // the word typed, 听辩 sound → word (made only for notes with a sound, as Anki would).
    struct Template {
        const char *name, *front, *back;
    };
    const Template templates[] = {
        {"认读", "<div class=word>{{Word}}</div>",
         "{{FrontSide}}<hr id=answer><div class=phonetic>{{Phonetic}}</div><div>{{Explanation}}</div>"
         "<div class=comment>{{Comment}}</div>{{Sound}}"},
        {"拼写", "<div>{{Explanation}}</div>{{type:Word}}",
         "<div>{{Explanation}}</div><hr id=answer>{{type:Word}}<div class=phonetic>{{Phonetic}}</div>{{Sound}}"},
        {"听辩", "{{Sound}}",
         "{{FrontSide}}<hr id=answer><div class=word>{{Word}}</div><div class=phonetic>{{Phonetic}}</div>"
         "<div>{{Explanation}}</div>"},
    };
    QJsonArray tmpls;
    for (int i = 0; i < 3; ++i)
        tmpls.append(QJsonObject{{"name", QString::fromUtf8(templates[i].name)}, {"ord", i},
                                 {"qfmt", templates[i].front}, {"afmt", templates[i].back}, {"bqfmt", ""},
                                 {"bafmt", ""}, {"did", QJsonValue::Null}, {"bfont", ""}, {"bsize", 0}});
    const QJsonArray req{QJsonArray{0, "any", QJsonArray{0}}, QJsonArray{1, "any", QJsonArray{0, 2}},
                         QJsonArray{2, "any", QJsonArray{4}}};
    return QJsonObject{
        {"id", kNoteTypeId}, {"name", "Lexora"}, {"type", 0}, {"mod", nowS}, {"usn", 0}, {"sortf", 0},
        {"did", deckId}, {"tmpls", tmpls}, {"flds", flds},
        {"css", ".card { font-family: arial; font-size: 22px; text-align: center; }\n"
                ".phonetic { color: #555; }\n.comment { color: #777; font-size: 16px; }\n"},
        {"latexPre", "\\documentclass[12pt]{article}\n\\special{papersize=3in,5in}\n\\usepackage[utf8]{inputenc}\n"
                     "\\usepackage{amssymb,amsmath}\n\\pagestyle{empty}\n\\setlength{\\parindent}{0in}\n"
                     "\\begin{document}\n"},
        {"latexPost", "\\end{document}"}, {"latexsvg", false}, {"req", req}, {"tags", QJsonArray{}},
        {"vers", QJsonArray{}}};
}

QJsonObject deck(qint64 id, const QString& name, qint64 nowS)
{
    return QJsonObject{{"id", id}, {"name", name}, {"desc", ""}, {"mod", nowS}, {"usn", 0},
                       {"collapsed", false}, {"browserCollapsed", false}, {"dyn", 0}, {"conf", 1},
                       {"extendNew", 0}, {"extendRev", 0}, {"newToday", QJsonArray{0, 0}},
                       {"revToday", QJsonArray{0, 0}}, {"lrnToday", QJsonArray{0, 0}},
                       {"timeToday", QJsonArray{0, 0}}};
}

QJsonObject deckOptions(qint64 nowS)
{
    return QJsonObject{
        {"id", 1}, {"name", "Default"}, {"mod", nowS}, {"usn", 0}, {"maxTaken", 60}, {"autoplay", true},
        {"timer", 0}, {"replayq", true}, {"dyn", false},
        {"new", QJsonObject{{"bury", false}, {"delays", QJsonArray{1, 10}}, {"initialFactor", 2500},
                            {"ints", QJsonArray{1, 4, 0}}, {"order", 1}, {"perDay", 20}}},
        {"rev", QJsonObject{{"bury", false}, {"ease4", 1.3}, {"ivlFct", 1}, {"maxIvl", 36500}, {"perDay", 200},
                            {"hardFactor", 1.2}}},
        {"lapse", QJsonObject{{"delays", QJsonArray{10}}, {"leechAction", 1}, {"leechFails", 8}, {"minInt", 1},
                              {"mult", 0}}}};
}

// Anki's 64-bit note ids as text: base 91 over printable ASCII.
QString base91(quint64 v)
{
    static const char table[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$%&()*+,-./:;<=>?@[]^_`{|}~";
    QString s;
    do {
        s.prepend(QChar(table[v % 91]));
        v /= 91;
    } while (v);
    return s;
}

quint64 sha1Prefix(const QByteArray& bytes, int n)
{
    const QByteArray d = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    quint64 v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | quint8(d[i]);
    return v;
}

// Anki's tags hold no white space; the class name keeps its words joined by '_'.
QString classTag(QStringView className)
{
    QString t;
    for (QChar c : className)
        t.append(c.isSpace() || c == u'\x1f' ? QChar(u'_') : c);
    return t;
}

// A media file name Anki accepts on every system: none of []<>:"/?*^\|, no control characters,
// no trailing dot or space, not a device name, at most about 100 characters before the extension.
QString mediaStem(QStringView word)
{
    QString s;
    for (QChar c : word) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || QStringView(u"[]<>:\"/?*^\\|&").contains(c))
            s.append(u'_');
        else
            s.append(c);
    }
    s = s.left(100);
    while (s.endsWith(u'.') || s.endsWith(u' '))
        s.chop(1);
    if (s.isEmpty() || s.startsWith(u'.'))
        s.prepend(u"word");
    static const QStringView devices[] = {u"con", u"prn", u"aux", u"nul", u"com1", u"com2", u"com3", u"com4",
                                          u"com5", u"com6", u"com7", u"com8", u"com9", u"lpt1", u"lpt2", u"lpt3",
                                          u"lpt4", u"lpt5", u"lpt6", u"lpt7", u"lpt8", u"lpt9"};
    for (QStringView d : devices)
        if (s.compare(d, Qt::CaseInsensitive) == 0)
            s.append(u'_');
    return s;
}

QString mediaExtension(const QString& ext)
{
    QString e;
    for (QChar c : ext)
        if (c.isLetterOrNumber() && c.unicode() < 0x80)
            e.append(c.toLower());
    return e.isEmpty() ? QStringLiteral("mp3") : e.left(8);
}

Status sqlFailure(const sqlite::Database& db)
{
    return Status::error(QStringLiteral("cannot build the Anki collection: %1").arg(db.error()));
}

} // namespace

Status buildCollection(const std::vector<const WordEntry*>& entries, const ForeignExportOptions& options,
                       CollectionParts* out, ForeignExportResult* result)
{
    *out = CollectionParts{};
    ForeignExportResult local;
    if (!result)
        result = &local;
    const qint64 nowMs = Clock::system()->localNow().toMSecsSinceEpoch();
    const qint64 nowS = nowMs / 1000;
    const qint64 deckId = nowMs;
    const QString deckName = options.deckName.trimmed().isEmpty() ? QStringLiteral("Lexora") : options.deckName.trimmed();

    sqlite::Database db;
    if (db.openInMemory() != SQLITE_OK || db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;") != SQLITE_OK
        || db.exec(kSchema) != SQLITE_OK || db.exec("BEGIN") != SQLITE_OK)
        return sqlFailure(db);

    const QJsonObject conf{{"activeDecks", QJsonArray{deckId}}, {"curDeck", deckId}, {"newSpread", 0},
                           {"collapseTime", 1200}, {"timeLim", 0}, {"estTimes", true}, {"dueCounts", true},
                           {"curModel", QString::number(kNoteTypeId)}, {"nextPos", qint64(entries.size()) + 1},
                           {"sortType", "noteFld"}, {"sortBackwards", false}, {"addToCur", true}};
    {
        sqlite::Statement col(db.handle(), "INSERT INTO col VALUES (1, ?1, ?2, ?2, 11, 0, 0, 0, ?3, ?4, ?5, ?6, '{}')");
        if (!col)
            return sqlFailure(db);
        col.bind(1, nowS);
        col.bind(2, nowMs);
        col.bind(3, json(conf));
        col.bind(4, json(QJsonObject{{QString::number(kNoteTypeId), noteType(deckId, nowS)}}));
        col.bind(5, json(QJsonObject{{"1", deck(1, QStringLiteral("Default"), nowS)},
                                     {QString::number(deckId), deck(deckId, deckName, nowS)}}));
        col.bind(6, json(QJsonObject{{"1", deckOptions(nowS)}}));
        if (col.step() != SQLITE_DONE)
            return sqlFailure(db);
    }

    sqlite::Statement note(db.handle(), "INSERT INTO notes VALUES (?1, ?2, ?3, ?4, 0, ?5, ?6, ?7, ?8, 0, '')");
    sqlite::Statement card(db.handle(), "INSERT INTO cards VALUES (?1, ?2, ?3, ?4, ?5, 0, 0, 0, ?6, 0, 0, 0, 0, 0, 0, 0, 0, '')");
    if (!note || !card)
        return sqlFailure(db);
    note.bind(3, kNoteTypeId);
    note.bind(4, nowS);
    card.bind(3, deckId);
    card.bind(5, nowS);

    const QByteArray deckUtf8 = deckName.toUtf8();
    QJsonObject mediaMap;
    QSet<QString> mediaUsed;   // lower case: names must differ on file systems that ignore case
    QSet<QString> guids;
    int classesWithSpaces = 0;
    qint64 cardId = nowMs;
    const qint64 total = qint64(entries.size());
    for (qint64 i = 0; i < total; ++i) {
        if (options.progress && (i & 1023) == 0 && !options.progress(i, total))
            return Status::error(Status::Code::Refused, QStringLiteral("The export was cancelled."));
        const WordEntry& e = *entries[size_t(i)];
        QString sound;
        QByteArray data;
        QString ext;
        if (options.sound && options.sound(e, &data, &ext) && !data.isEmpty()) {
            const QString stem = mediaStem(e.word());
            const QString suffix = QStringLiteral(".") + mediaExtension(ext);
            QString name = stem + suffix;
            for (int n = 2; mediaUsed.contains(name.toLower()); ++n)
                name = stem + QStringLiteral("_%1").arg(n) + suffix;
            mediaUsed.insert(name.toLower());
            const QString member = QString::number(out->media.size());
            mediaMap.insert(member, name);
            out->media.push_back({member, std::move(data)});
            sound = QStringLiteral("[sound:%1]").arg(name);
            ++result->withSound;
        }
        const QString fields = fieldHtml(e.word()) + QChar(0x1f) + fieldHtml(e.phonetic()) + QChar(0x1f) +
                               fieldHtml(e.explanation()) + QChar(0x1f) + fieldHtml(e.comment()) + QChar(0x1f) + sound;
        // The sort field and the checksum are of the word as Anki strips it: no tags, no breaks.
        QString plain = e.word().toString();
        plain.remove(u'\r').remove(u'\n');
        const QByteArray plainUtf8 = plain.toUtf8();

        // The same entry exported again gets the same guid, so that Anki updates the note.
        const EntryTime& t = e.stored.added;
        const char added[5] = {char(t.year), char(t.month), char(t.day), char(t.hour), char(t.minute)};
        const QByteArray identity = deckUtf8 + '\x1f' + e.word().toUtf8() + '\x1f' + QByteArray(added, 5);
        QString guid = base91(sha1Prefix(identity, 8));
        for (int n = 2; guids.contains(guid); ++n)
            guid = base91(sha1Prefix(identity + '\x1f' + QByteArray::number(n), 8));
        guids.insert(guid);

        QString tags = QStringLiteral(" ");
        if (!e.className().isEmpty()) {
            const QString t = classTag(e.className());
            if (t != e.className())
                ++classesWithSpaces;
            tags += t + u' ';
        }
        for (Skill s : kSkills)
            tags.append(kDegreeTagPrefix).append(skillName(s)).append(u"::")
                .append(QString::number(e.strangeness(degreeOf(s)))).append(u' ');

        const qint64 noteId = nowMs + i;
        note.bind(1, noteId);
        note.bind(2, guid.toUtf8());
        note.bind(5, tags.toUtf8());
        note.bind(6, fields.toUtf8());
        note.bind(7, plainUtf8);
        note.bind(8, qint64(sha1Prefix(plainUtf8, 4)));
        if (note.step() != SQLITE_DONE)
            return sqlFailure(db);
        note.reset();
        for (int ord = 0; ord < (sound.isEmpty() ? 2 : 3); ++ord) {
            card.bind(1, cardId++);
            card.bind(2, noteId);
            card.bind(4, ord);
            card.bind(6, i + 1);   // new cards in Book order
            if (card.step() != SQLITE_DONE)
                return sqlFailure(db);
            card.reset();
        }
        ++result->written;
    }
    if (db.exec(kIndexes) != SQLITE_OK || db.exec("COMMIT") != SQLITE_OK)
        return sqlFailure(db);
    if (classesWithSpaces)
        result->losses << QStringLiteral("%1 class names hold white space, which Anki tags cannot; it became “_”.")
                              .arg(classesWithSpaces);

    sqlite3_int64 size = 0;
    unsigned char* bytes = sqlite3_serialize(db.handle(), "main", &size, 0);
    if (!bytes)
        return sqlFailure(db);
    out->collection = QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size));
    sqlite3_free(bytes);
    out->mediaMap = json(mediaMap);
    if (options.progress && !options.progress(total, total))
        return Status::error(Status::Code::Refused, QStringLiteral("The export was cancelled."));
    return Status::ok();
}

} // namespace lex::anki

namespace lex::foreign {

Status writeAnki(Env* env, const QString& path, const std::vector<const WordEntry*>& entries,
                 const ForeignExportOptions& options, ForeignExportResult* result)
{
    anki::CollectionParts parts;
    if (Status s = anki::buildCollection(entries, options, &parts, result); !s)
        return s;
    std::vector<std::pair<QString, QByteArray>> members;
    members.reserve(parts.media.size() + 2);
    members.push_back({QStringLiteral("collection.anki2"), std::move(parts.collection)});
    members.push_back({QStringLiteral("media"), std::move(parts.mediaMap)});
    for (auto& m : parts.media)
        members.push_back(std::move(m));
    QByteArray zip;
    if (Status s = anki::zipMembers(members, &zip, 1); !s)
        return s;
    members.clear();
    if (zip.size() > kForeignMaxFileBytes)
        return Status::error(Status::Code::Refused,
                             QStringLiteral("The Anki package would be larger than %1 MB; leave the sounds out or "
                                            "export fewer words.")
                                 .arg(kForeignMaxFileBytes >> 20));
    return writeFileAtomically(env, path, zip);
}

} // namespace lex::foreign
