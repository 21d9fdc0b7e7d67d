// Anki packages: what we write reads back byte for byte and is the collection Anki expects; the
// newer zstd layout reads; damaged, oversized, hostile and too new packages are refused.
#include "lexora/exchange/formats/anki_package.h"

#include "entry_builder.h"
#include "fault_env.h"
#include "mem_env.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <zstd.h>

using lex::ForeignKind;
using lex::ForeignTable;
using lex::Status;
namespace anki = lex::anki;

namespace {

const QString kPath = QStringLiteral("/words.apkg");

// An SQLite database built by `sql`, as file bytes.
QByteArray sqliteBytes(const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK)
        ADD_FAILURE() << err;
    sqlite3_int64 size = 0;
    unsigned char* p = sqlite3_serialize(db, "main", &size, 0);
    QByteArray out(reinterpret_cast<const char*>(p), qsizetype(size));
    sqlite3_free(p);
    sqlite3_close(db);
    return out;
}

// Answers to SQL over a collection's bytes: each row's columns joined by '|', rows by '\n'.
QString query(const QByteArray& collection, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    QByteArray copy = collection;
    sqlite3_deserialize(db, "main", reinterpret_cast<unsigned char*>(copy.data()), copy.size(), copy.size(),
                        SQLITE_DESERIALIZE_READONLY);
    sqlite3_stmt* s = nullptr;
    QStringList rows;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
        rows << QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db));
    while (s && sqlite3_step(s) == SQLITE_ROW) {
        QStringList cols;
        for (int i = 0; i < sqlite3_column_count(s); ++i)
            cols << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i)));
        rows << cols.join(u'|');
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return rows.join(u'\n');
}

QByteArray zstd(const QByteArray& in)
{
    QByteArray out(qsizetype(ZSTD_compressBound(size_t(in.size()))), 0);
    out.resize(qsizetype(ZSTD_compress(out.data(), size_t(out.size()), in.constData(), size_t(in.size()), 3)));
    return out;
}

QByteArray zip(const std::vector<std::pair<QString, QByteArray>>& members, int level = 1)
{
    QByteArray out;
    EXPECT_TRUE(anki::zipMembers(members, &out, level));
    return out;
}

// Sets the uncompressed size of every member in both the local and the central header.
QByteArray withDeclaredSize(QByteArray z, quint32 size)
{
    auto put = [&](qsizetype at) {
        for (int i = 0; i < 4; ++i)
            z[at + i] = char((size >> (8 * i)) & 0xFF);
    };
    for (qsizetype at = 0; (at = z.indexOf("PK\x03\x04", at)) >= 0; at += 4)
        put(at + 22);
    for (qsizetype at = 0; (at = z.indexOf("PK\x01\x02", at)) >= 0; at += 4)
        put(at + 24);
    return z;
}

struct Package : ::testing::Test {
    lextest::MemEnv env;
    std::vector<std::unique_ptr<lex::WordEntry>> owned;
    std::vector<const lex::WordEntry*> entries;

    void add(std::unique_ptr<lex::WordEntry> e)
    {
        entries.push_back(e.get());
        owned.push_back(std::move(e));
    }
    Status write(lex::ForeignExportOptions options = {}, lex::ForeignExportResult* result = nullptr)
    {
        if (options.deckName.isEmpty())
            options.deckName = QStringLiteral("四级 词汇");
        return lex::writeForeign(ForeignKind::Anki, &env, kPath, entries, options, result);
    }
    Status read(const QByteArray& bytes, ForeignTable* table)
    {
        env.files[kPath] = bytes;
        return lex::readForeign(ForeignKind::Anki, &env, kPath, table);
    }
};

// Every word sounds: the bytes name the word.
lex::ForeignExportOptions withSound()
{
    lex::ForeignExportOptions o;
    o.sound = [](const lex::WordEntry& e, QByteArray* data, QString* ext) {
        *data = "RIFF" + e.word().toUtf8();
        *ext = QStringLiteral("wav");
        return true;
    };
    return o;
}

TEST_F(Package, RoundTripKeepsEveryTextByteForByte)
{
    struct Case {
        QString word, phonetic, explanation, comment;
    };
    const Case cases[] = {
        {"English", "5iN^liF", "adj.英文的, 英国人的\r\nn.英国人, 英语", "注释第一行\r\n注释第二行"},
        {"café", "ˈkæfeɪ", "n.咖啡馆 \"quoted\" 'single'", "tab\there\tand\ttrailing\t"},
        {"<b>bold</b>", "&amp;", "<b>粗体</b> &amp; &lt; &nbsp; &#9; <br>", "lone\nLF, lone\rCR, \r\n\r\nend\r\n"},
        {"x [sound:fake.mp3]", "  spaced  ", "sep\x1f" "ara\u00A0tor", "{{Word}} [sound:"},
        {"中文", "", "", ""},
    };
    for (const Case& c : cases) {
        add(lextest::entry(c.word, c.explanation, c.phonetic, QStringLiteral("my class"), c.comment, 7));
        owned.back()->stored.spelling = 0;
        owned.back()->stored.listening = 10;
    }
    lex::ForeignExportResult result;
    ASSERT_TRUE(write(withSound(), &result));
    EXPECT_EQ(result.written, 5);
    EXPECT_EQ(result.withSound, 5);
    ASSERT_EQ(result.losses.size(), 1);   // the class name's space
    EXPECT_TRUE(result.losses[0].contains(u"_"));

    ForeignTable table;
    ASSERT_TRUE(lex::readForeign(ForeignKind::Anki, &env, kPath, &table));
    EXPECT_EQ(table.fields, (QStringList{"Word", "Phonetic", "Explanation", "Comment", "Sound"}));
    EXPECT_TRUE(table.losses.isEmpty()) << table.losses.join(u'\n').toStdString();
    lex::FieldMap map = lex::guessFieldMap(table.fields);
    map.classFromTags = true;
    const auto records = lex::recordsFromTable(table, map);
    ASSERT_EQ(records.size(), std::size(cases));
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(records[i].word, cases[i].word.trimmed());
        EXPECT_EQ(records[i].phonetic, cases[i].phonetic);
        EXPECT_EQ(records[i].explanation, cases[i].explanation);
        EXPECT_EQ(records[i].comment, cases[i].comment);
        EXPECT_EQ(records[i].className, u"my_class");
        EXPECT_EQ(records[i].degrees, (std::array<int, 3>{7, 0, 10})) << "the degrees come back from the tags";
        ASSERT_EQ(table.rows[i].sounds.size(), 1);
        QByteArray sound;
        ASSERT_TRUE(table.readMedia(table.rows[i].sounds[0], &sound));
        EXPECT_EQ(sound, "RIFF" + cases[i].word.toUtf8());
    }
    EXPECT_EQ(table.mediaNames.size(), 5);
    EXPECT_EQ(table.rows[0].sounds[0], u"English.wav");
    EXPECT_EQ(table.rows[2].sounds[0], u"_b_bold__b_.wav");   // no <>/ in file names
}

TEST_F(Package, AFailedExportLeavesTheEarlierFile)
{
    add(lextest::entry("go", "v.去"));
    ASSERT_TRUE(write());
    const QByteArray before = env.files[kPath];
    entries.push_back(entries.front());
    lextest::FaultEnv probe(&env);
    ASSERT_TRUE(lex::writeForeign(ForeignKind::Anki, &probe, kPath, entries, {}));
    env.files[kPath] = before;
    // Every step up to the rename that puts the new package in place, that one included.
    int renameStep = 0;
    while (renameStep < probe.log().size() && !probe.log()[renameStep].startsWith(u"rename"))
        ++renameStep;
    ASSERT_LT(renameStep, probe.log().size());
    for (int k = 1; k <= renameStep + 1; ++k) {
        SCOPED_TRACE(probe.log().value(k - 1).toStdString());
        lextest::FaultEnv faults(&env);
        faults.breakAt(k, lextest::FaultEnv::Mode::Fail);
        EXPECT_FALSE(lex::writeForeign(ForeignKind::Anki, &faults, kPath, entries, {}));
        EXPECT_EQ(env.files[kPath], before);
    }
}

TEST_F(Package, CollectionIsWhatAnkiExpects)
{
    add(lextest::entry("apple", "n.苹果"));
    add(lextest::entry("apple", "n.苹果公司"));   // the same word twice: two notes, two guids
    add(lextest::entry("pear", "n.梨"));
    auto o = withSound();
    o.sound = [](const lex::WordEntry& e, QByteArray* data, QString* ext) {
        *data = "ID3";
        *ext = QStringLiteral("MP3");
        return e.word() == u"apple";
    };
    ASSERT_TRUE(write(o));
    QByteArray col, media;
    ASSERT_TRUE(anki::unzipMember(env.files[kPath], QStringLiteral("collection.anki2"), &col));
    ASSERT_TRUE(anki::unzipMember(env.files[kPath], QStringLiteral("media"), &media));
    EXPECT_EQ(QJsonDocument::fromJson(media).object(),
              (QJsonObject{{"0", "apple.mp3"}, {"1", "apple_2.mp3"}}));

    EXPECT_EQ(query(col, "PRAGMA integrity_check"), u"ok");
    EXPECT_EQ(query(col, "SELECT ver FROM col"), u"11");
    EXPECT_EQ(query(col, "SELECT count(*), count(DISTINCT guid) FROM notes"), u"3|3");
    // Three cards for a note with a sound, two without (Anki leaves out a card with an empty front).
    EXPECT_EQ(query(col, "SELECT count(*) FROM cards GROUP BY nid ORDER BY nid"), u"3\n3\n2");
    EXPECT_EQ(query(col, "SELECT count(*) FROM cards c JOIN notes n ON n.id = c.nid WHERE c.type = 0 AND c.queue = 0"),
              u"8");
    const QString sha = QString::fromLatin1(QCryptographicHash::hash("pear", QCryptographicHash::Sha1).toHex().left(8));
    EXPECT_EQ(query(col, "SELECT sfld, csum FROM notes ORDER BY id DESC LIMIT 1"),
              QStringLiteral("pear|%1").arg(sha.toUInt(nullptr, 16)));

    const QJsonObject decks = QJsonDocument::fromJson(query(col, "SELECT decks FROM col").toUtf8()).object();
    const QString did = query(col, "SELECT DISTINCT did FROM cards");
    EXPECT_EQ(decks.value(did).toObject().value(u"name").toString(), u"四级 词汇");
    const QJsonObject models = QJsonDocument::fromJson(query(col, "SELECT models FROM col").toUtf8()).object();
    const QJsonObject model = models.value(query(col, "SELECT DISTINCT mid FROM notes")).toObject();
    EXPECT_EQ(model.value(u"tmpls").toArray().size(), 3);
    EXPECT_EQ(model.value(u"flds").toArray().size(), 5);
    EXPECT_TRUE(model.value(u"tmpls").toArray()[1].toObject().value(u"qfmt").toString().contains(u"{{type:Word}}"));
    EXPECT_EQ(query(col, "SELECT flds FROM notes ORDER BY id LIMIT 1"),
              QStringLiteral("apple\x1f\x1fn.苹果\x1f\x1f[sound:apple.mp3]"));
}

TEST_F(Package, NewerLayoutReads)
{
    const QByteArray col = sqliteBytes(R"(
        CREATE TABLE col (id integer primary key, crt, mod, scm, ver, dty, usn, ls, conf, models, decks, dconf, tags);
        INSERT INTO col VALUES (1, 0, 0, 0, 18, 0, 0, 0, '', '', '', '', '');
        CREATE TABLE notetypes (id integer primary key, name text, mtime_secs, usn, config blob);
        INSERT INTO notetypes VALUES (10, 'Basic', 0, 0, x''), (20, 'Cloze', 0, 0, x'');
        CREATE TABLE fields (ntid integer, ord integer, name text, config blob, primary key (ntid, ord));
        INSERT INTO fields VALUES (10, 1, 'Back', x''), (10, 0, 'Front', x''), (20, 0, 'Text', x'');
        CREATE TABLE notes (id integer primary key, guid, mid, mod, usn, tags, flds, sfld, csum, flags, data);
        INSERT INTO notes VALUES
          (1, 'a', 10, 0, 0, ' vocab Lesson_1 ', 'go<div>went</div>' || char(31) || 'v.去&nbsp;[sound:go.mp3]', '', 0, 0, ''),
          (2, 'b', 20, 0, 0, '', '{{c1::cloze}}', '', 0, 0, ''),
          (3, 'c', 10, 0, 0, '', '<b>run</b><br>ran' || char(31) || '跑 <img src="x.png">&#x4E2D;', '', 0, 0, '');
    )");
    // MediaEntries { entries { name = "go.mp3" } entries { name = "../up.mp3" } }
    const QByteArray mediaList = QByteArray("\x0a\x08\x0a\x06go.mp3", 10) + QByteArray("\x0a\x0b\x0a\x09../up.mp3", 13);
    ForeignTable table;
    ASSERT_TRUE(read(zip({{"collection.anki2", "dummy"}, {"meta", QByteArray("\x08\x03", 2)},
                          {"collection.anki21b", zstd(col)}, {"media", zstd(mediaList)}, {"0", zstd("ID3go")},
                          {"1", zstd("ID3up")}}),
                     &table));
    EXPECT_EQ(table.fields, (QStringList{"Front", "Back"}));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0].values, (QStringList{"go\r\nwent", "v.去 "}));
    EXPECT_EQ(table.rows[0].tags, (QStringList{"vocab", "Lesson_1"}));
    EXPECT_EQ(table.rows[0].sounds, QStringList{"go.mp3"});
    EXPECT_EQ(table.rows[1].values, (QStringList{"run\r\nran", "跑 中"}));
    EXPECT_EQ(table.mediaNames, QStringList{"go.mp3"});
    QByteArray sound;
    ASSERT_TRUE(table.readMedia(QStringLiteral("go.mp3"), &sound));
    EXPECT_EQ(sound, "ID3go");
    EXPECT_FALSE(table.readMedia(QStringLiteral("../up.mp3"), &sound));
    const QString losses = table.losses.join(u'\n');
    EXPECT_TRUE(losses.contains(u"1 notes of the note type “Cloze”")) << losses.toStdString();
    EXPECT_TRUE(losses.contains(u"../up.mp3")) << losses.toStdString();
    EXPECT_TRUE(losses.contains(u"1 pictures")) << losses.toStdString();
}

TEST_F(Package, HostileMediaNamesAreLeftOut)
{
    add(lextest::entry("go", "v.去"));
    anki::CollectionParts parts;
    lex::ForeignExportResult result;
    ASSERT_TRUE(anki::buildCollection(entries, {}, &parts, &result));
    const QByteArray media = R"({"0": "../../etc/evil.mp3", "1": "/abs.mp3", "2": "a/b.mp3", "3": "C:\\x.mp3",
                                  "4": "..", "5": "ok.mp3"})";
    ForeignTable table;
    ASSERT_TRUE(read(zip({{"collection.anki2", parts.collection}, {"media", media}, {"5", "ID3"}}), &table));
    EXPECT_EQ(table.mediaNames, QStringList{"ok.mp3"});
    EXPECT_EQ(table.losses.size(), 5) << table.losses.join(u'\n').toStdString();
    // A media list that cannot be read costs the media only.
    ASSERT_TRUE(read(zip({{"collection.anki2", parts.collection}, {"media", "{not json"}}), &table));
    EXPECT_EQ(table.rows.size(), 1u);
    EXPECT_TRUE(table.mediaNames.isEmpty());
    ASSERT_EQ(table.losses.size(), 1);
    EXPECT_TRUE(table.losses[0].contains(u"media"));
}

TEST_F(Package, BadPackagesAreRefusedWithAMessage)
{
    add(lextest::entry("go", "v.去"));
    ASSERT_TRUE(write());
    const QByteArray good = env.files[kPath];
    anki::CollectionParts parts;
    lex::ForeignExportResult result;
    ASSERT_TRUE(anki::buildCollection(entries, {}, &parts, &result));
    auto colWithVersion = [](int v) {
        return sqliteBytes(("CREATE TABLE col (id, crt, mod, scm, ver, dty, usn, ls, conf, models, decks, dconf, tags);"
                            "INSERT INTO col VALUES (1,0,0,0," + std::to_string(v) + ",0,0,0,'{}','{}','{}','{}','{}');"
                            "CREATE TABLE notes (id, guid, mid, mod, usn, tags, flds, sfld, csum, flags, data);")
                               .c_str());
    };
    const QByteArray longWord(lex::kForeignMaxFieldChars + 1, 'w');
    auto longEntry = lextest::entry(QString::fromLatin1(longWord));
    std::vector<const lex::WordEntry*> longEntries{longEntry.get()};
    ASSERT_TRUE(anki::buildCollection(longEntries, {}, &parts, &result));
    const QByteArray longCol = parts.collection;

    struct Case {
        const char* name;
        QByteArray bytes;
        Status::Code code;
        const char* says;
    };
    const Case cases[] = {
        {"not a zip", "PK\x03\x04 this is no zip", Status::Code::Damaged, "damaged"},
        {"cut short", good.left(good.size() / 2), Status::Code::Damaged, "damaged"},
        {"one byte changed", [&] { QByteArray b = good; b[b.size() / 3] = char(b[b.size() / 3] ^ 0x55); return b; }(),
         Status::Code::Damaged, "damaged"},
        {"no collection", zip({{"media", "{}"}}), Status::Code::Damaged, "no Anki package"},
        {"not SQLite", zip({{"collection.anki2", "SQLite format 2 nonsense"}}), Status::Code::Damaged,
         "no Anki collection"},
        {"SQLite without notes", zip({{"collection.anki2", sqliteBytes("CREATE TABLE t (x); INSERT INTO t VALUES (1);")}}),
         Status::Code::Damaged, "no Anki collection"},
        {"newer schema", zip({{"collection.anki2", colWithVersion(19)}}), Status::Code::Refused, "newer Anki version"},
        {"newer package", zip({{"meta", QByteArray("\x08\x04", 2)}, {"collection.anki21b", "x"}}),
         Status::Code::Refused, "newer Anki version"},
        {"declared past the limit", withDeclaredSize(good, 0xFFFFFFF0u), Status::Code::Refused, "more than"},
        {"more than declared", withDeclaredSize(good, 100), Status::Code::Damaged, "damaged"},
        {"field past the limit", zip({{"collection.anki2", longCol}}), Status::Code::Refused, "longer than"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForeignTable table;
        const Status s = read(c.bytes, &table);
        EXPECT_EQ(s.code(), c.code) << s.message().toStdString();
        EXPECT_TRUE(s.message().contains(QString::fromUtf8(c.says))) << s.message().toStdString();
        EXPECT_TRUE(table.rows.empty() && table.fields.isEmpty() && !table.readMedia);
    }
}

TEST(AnkiLimits, BombsAreRefusedWhileUnpacking)
{
    const QByteArray zeros(3 << 20, '\0');
    anki::Limits limits;
    limits.member = 2 << 20;
    const std::pair<const char*, QByteArray> cases[] = {
        {"deflated member", zip({{"collection.anki2", zeros}}, 9)},
        {"zstd collection", zip({{"meta", QByteArray("\x08\x03", 2)}, {"collection.anki21b", zstd(zeros)}})},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        ForeignTable table;
        const Status s = anki::readPackage(bytes, &table, {}, limits);
        EXPECT_EQ(s.code(), Status::Code::Refused) << s.message().toStdString();
        EXPECT_TRUE(s.message().contains(u"more than 2 MB")) << s.message().toStdString();
    }

    // Media are unpacked one by one as asked for; the package's total still binds them.
    auto e = lextest::entry("go");
    anki::CollectionParts parts;
    lex::ForeignExportResult result;
    ASSERT_TRUE(anki::buildCollection({e.get()}, {}, &parts, &result));
    const QByteArray media(1500000, 'm');
    limits.total = parts.collection.size() + media.size() * 3 / 2;
    ForeignTable table;
    ASSERT_TRUE(anki::readPackage(zip({{"collection.anki2", parts.collection}, {"media", R"({"0":"a.mp3","1":"b.mp3"})"},
                                       {"0", media}, {"1", media}}, 0),
                                  &table, {}, limits));
    QByteArray got;
    EXPECT_TRUE(table.readMedia(QStringLiteral("a.mp3"), &got));
    EXPECT_EQ(got.size(), media.size());
    const Status s = table.readMedia(QStringLiteral("b.mp3"), &got);
    EXPECT_EQ(s.code(), Status::Code::Refused) << s.message().toStdString();
}

TEST(AnkiHtml, OtherProgramsHtmlBecomesPlainText)
{
    struct Case {
        const char* html;
        const char* text;
        int sounds;
    };
    const Case cases[] = {
        {"<div>one</div><div>two</div>", "one\r\ntwo", 0},
        {"one<br>two<br/><BR>", "one\r\ntwo\r\n\r\n", 0},
        {"<div>a<br></div><div>b</div>", "a\r\nb", 0},
        {"a\n<b>b</b>\r\n", "a b", 0},
        {"&lt;&gt;&amp;&quot;&#39;&#x4e2d;&nbsp;&unknown; & x", "<>&\"'中 &unknown; & x", 0},
        {"a < b", "a < b", 0},
        {"[sound:a.mp3]word[sound:b b.ogg]", "word", 2},
        {"<style>.x{}</style><script>alert(1)</script>text", "text", 0},
        {"&#0;&#xD800;&#1114112;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", 0},
    };
    // Openings without an end stay text, in time linear in their number.
    for (const QString& opening : {QStringLiteral("<"), QStringLiteral("&"), QStringLiteral("[sound:")}) {
        const QString run = opening.repeated(300000);
        EXPECT_EQ(anki::fieldText(run), run);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.html);
        QStringList sounds;
        EXPECT_EQ(anki::fieldText(QString::fromUtf8(c.html), &sounds), QString::fromUtf8(c.text));
        EXPECT_EQ(sounds.size(), c.sounds);
    }
}

} // namespace
