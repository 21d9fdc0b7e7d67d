// KDE vocabulary files (.kvtml 2.0), as Parley and KWordQuiz read and write them.
//
// One entry per word: translation 0 (English) holds the word with its pronunciation and comment,
// translation 1 (Chinese) the explanation. Class names travel as lessons: a lesson lists the ids of
// its entries. On reading, an entry's lesson (nested lessons joined by "/") becomes both the field
// "Lesson" and the row's tag.
//
// Line breaks: XML turns every CR LF in the text into LF, so the writer gives each CR as a
// character reference, and the reader turns each LF not preceded by CR into CR LF, Lexora's line
// break, so that files from other programs read as multi-line fields too.

#include "lexora/exchange/formats/foreign_format.h"

#include "lexora/book/word_entry.h"
#include "lexora/exchange/formats/format_common.h"

#include <QHash>
#include <QMap>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cstring>
#include <map>

namespace lex::foreign {
namespace {

enum Field { FWord, FPhonetic, FExplanation, FComment, FLesson, FieldCount };

QStringList fieldNames()
{
    return {QStringLiteral("Word"), QStringLiteral("Phonetic"), QStringLiteral("Explanation"),
            QStringLiteral("Comment"), QStringLiteral("Lesson")};
}

struct Translation {
    QString text, comment, pronunciation;
};

struct Entry {
    QString id;
    QMap<int, Translation> translations;   // by translation id
};

struct Identifier {
    int id = 0;
    QString name, locale;
};

// Lexora's line break for every LF that XML left alone.
QString withCrLf(QString s)
{
    for (qsizetype i = 0; i < s.size(); ++i)
        if (s[i] == u'\n' && (i == 0 || s[i - 1] != u'\r')) {
            s.insert(i, u'\r');
            ++i;
        }
    return s;
}

class Reader {
public:
    // Reads `bytes` in place (QByteArray::fromRawData): a view is not copied.
    Reader(const QByteArray& bytes, ForeignTable* out, const ForeignProgressFn& progress)
        : xml_(bytes), total_(bytes.size()), out_(out), progress_(progress)
    {
    }

    Status run()
    {
        if (!readRoot())
            return failure();
        buildRows();
        return failure_;
    }

private:
    QXmlStreamReader xml_;
    qint64 total_;
    ForeignTable* out_;
    const ForeignProgressFn& progress_;
    Status failure_;
    bool failed_ = false;

    std::vector<Identifier> identifiers_;
    std::vector<Entry> entries_;
    QHash<QString, QStringList> lessonsOf_;   // entry id -> lesson paths, in file order
    std::map<QString, int> skipped_;           // what was not read -> entries with it

    bool fail(Status::Code code, const QString& message)
    {
        if (!failed_) {
            failed_ = true;
            failure_ = Status::error(code, message);
        }
        return false;
    }
    Status failure() const
    {
        return failed_ ? failure_
                       : Status::error(Status::Code::Damaged, QStringLiteral("not a KDE vocabulary file"));
    }

    // Every token passes here, so that the refusals hold wherever the token stands.
    bool next()
    {
        const QXmlStreamReader::TokenType t = xml_.readNext();
        if (t == QXmlStreamReader::DTD) {
            // Entities are how XML files grow without bound or reach outside; a vocabulary file needs none.
            if (!xml_.entityDeclarations().isEmpty() || xml_.text().contains(QLatin1String("<!ENTITY")))
                return fail(Status::Code::Refused,
                            QStringLiteral("the file declares XML entities; such files are not read"));
        } else if (t == QXmlStreamReader::EntityReference) {
            return fail(Status::Code::Refused,
                        QStringLiteral("the file refers to the XML entity \"&%1;\"; such files are not read")
                            .arg(xml_.name().toString()));
        } else if (t == QXmlStreamReader::Invalid) {
            return fail(Status::Code::Damaged, QStringLiteral("the file is not well-formed XML (line %1, column %2: %3)")
                                                   .arg(xml_.lineNumber())
                                                   .arg(xml_.columnNumber())
                                                   .arg(xml_.errorString()));
        }
        return true;
    }

    // Moves to the next child element of the current one; false at its end or on failure.
    bool nextChild()
    {
        while (next()) {
            if (xml_.isStartElement())
                return true;
            if (xml_.isEndElement() || xml_.atEnd())
                return false;
        }
        return false;
    }

    bool skip()
    {
        int depth = 1;
        while (depth > 0 && next()) {
            if (xml_.isStartElement())
                ++depth;
            else if (xml_.isEndElement())
                --depth;
        }
        return !failed_;
    }

    // The text of the current element; elements inside it are passed over.
    bool readText(QString* out)
    {
        out->clear();
        int depth = 1;
        while (depth > 0 && next()) {
            if (xml_.isStartElement()) {
                ++depth;
            } else if (xml_.isEndElement()) {
                --depth;
            } else if (depth == 1 && xml_.isCharacters()) {
                if (out->size() + xml_.text().size() > kForeignMaxFieldChars)
                    return fail(Status::Code::Refused, QStringLiteral("a text near line %1 is longer than %2 characters; "
                                                                      "the file is not read")
                                                           .arg(xml_.lineNumber())
                                                           .arg(kForeignMaxFieldChars));
                out->append(xml_.text());
            }
        }
        *out = withCrLf(std::move(*out));
        return !failed_;
    }

    bool readRoot()
    {
        while (next() && !xml_.isStartElement() && !xml_.atEnd()) {
        }
        if (failed_)
            return false;
        if (xml_.name() != u"kvtml")
            return fail(Status::Code::Damaged, QStringLiteral("not a KDE vocabulary file (it starts with <%1>)")
                                                   .arg(xml_.name().toString()));
        const QString version = xml_.attributes().value(QLatin1String("version")).toString();
        if (!version.startsWith(u'2'))
            return fail(Status::Code::Refused,
                        QStringLiteral("this is a KDE vocabulary file of version %1; only version 2.0 is read "
                                       "(Parley saves older files as 2.0)")
                            .arg(version.isEmpty() ? QStringLiteral("1") : version));
        while (nextChild()) {
            const QStringView name = xml_.name();
            bool ok;
            if (name == u"identifiers")
                ok = readIdentifiers();
            else if (name == u"entries")
                ok = readEntries();
            else if (name == u"lessons")
                ok = readLessons();
            else {
                if (name == u"wordtypes")
                    ++skipped_[QStringLiteral("word types")];
                else if (name == u"leitnerboxes")
                    ++skipped_[QStringLiteral("Leitner boxes")];
                ok = skip();
            }
            if (!ok)
                return false;
        }
        if (failed_)
            return false;
        // Only comments and processing instructions may follow the root; the reader checks them.
        while (!xml_.atEnd())
            if (!next())
                return false;
        return true;
    }

    bool readIdentifiers()
    {
        while (nextChild()) {
            if (xml_.name() != u"identifier") {
                if (!skip())
                    return false;
                continue;
            }
            Identifier id;
            id.id = xml_.attributes().value(QLatin1String("id")).toInt();
            while (nextChild()) {
                const QStringView name = xml_.name();
                if (name == u"name") {
                    if (!readText(&id.name))
                        return false;
                } else if (name == u"locale") {
                    if (!readText(&id.locale))
                        return false;
                } else if (!skip()) {
                    return false;
                }
            }
            identifiers_.push_back(id);
        }
        return !failed_;
    }

    bool readEntries()
    {
        while (nextChild()) {
            if (xml_.name() != u"entry") {
                if (!skip())
                    return false;
                continue;
            }
            if (qsizetype(entries_.size()) >= kForeignMaxRows)
                return fail(tooManyRows().code(), tooManyRows().message());
            Entry e;
            e.id = xml_.attributes().value(QLatin1String("id")).toString();
            int position = 0;
            std::map<QString, bool> skippedHere;
            while (nextChild()) {
                if (xml_.name() != u"translation") {
                    if (!skip())
                        return false;
                    continue;
                }
                bool hasId = false;
                int tid = xml_.attributes().value(QLatin1String("id")).toInt(&hasId);
                if (!hasId)
                    tid = position;
                ++position;
                Translation& t = e.translations[tid];
                while (nextChild()) {
                    const QStringView name = xml_.name();
                    bool ok;
                    if (name == u"text")
                        ok = readText(&t.text);
                    else if (name == u"comment")
                        ok = readText(&t.comment);
                    else if (name == u"pronunciation")
                        ok = readText(&t.pronunciation);
                    else {
                        skippedHere[name.toString()] = true;
                        ok = skip();
                    }
                    if (!ok)
                        return false;
                }
            }
            if (failed_)
                return false;
            for (const auto& [what, _] : skippedHere)
                ++skipped_[what];
            entries_.push_back(std::move(e));
            if (progress_ && entries_.size() % kProgressEvery == 0 && !progress_(xml_.characterOffset(), total_))
                return fail(cancelled().code(), cancelled().message());
        }
        return !failed_;
    }

    bool readLessons()
    {
        while (nextChild()) {
            const bool ok = xml_.name() == u"container" ? readLesson(QString()) : skip();
            if (!ok)
                return false;
        }
        return !failed_;
    }

    // One lesson (a container) and the lessons inside it; the reader stands on its start.
    bool readLesson(const QString& parent)
    {
        QString name;
        QStringList ids;
        bool ok = true;
        while (ok && nextChild()) {
            const QStringView tag = xml_.name();
            if (tag == u"name")
                ok = readText(&name);
            else if (tag == u"entry") {
                ids << xml_.attributes().value(QLatin1String("id")).toString();
                ok = skip();
            } else if (tag == u"container")
                ok = readLesson(joined(parent, name));
            else
                ok = skip();
        }
        if (!ok || failed_)
            return false;
        for (const QString& id : ids)
            lessonsOf_[id] << joined(parent, name);
        return true;
    }

    static QString joined(const QString& parent, const QString& name)
    {
        return parent.isEmpty() ? name : parent + u'/' + name;
    }

    // The English side is the word, the first other language the explanation; without an English
    // identifier the first two in file order.
    void chooseSides(int* wordId, int* explanationId)
    {
        *wordId = 0;
        *explanationId = 1;
        if (identifiers_.empty())
            return;
        const Identifier* word = nullptr;
        for (const Identifier& i : identifiers_)
            if (i.locale.startsWith(QLatin1String("en"), Qt::CaseInsensitive) ||
                i.name.compare(QLatin1String("English"), Qt::CaseInsensitive) == 0) {
                word = &i;
                break;
            }
        if (!word)
            word = &identifiers_.front();
        *wordId = word->id;
        for (const Identifier& i : identifiers_)
            if (i.id != word->id) {
                *explanationId = i.id;
                break;
            }
        for (const Identifier& i : identifiers_)
            if (i.id != *wordId && i.id != *explanationId)
                out_->losses << QStringLiteral("the language \"%1\" is not read")
                                    .arg(i.name.isEmpty() ? i.locale : i.name);
    }

    void buildRows()
    {
        int wordId, explanationId;
        chooseSides(&wordId, &explanationId);
        out_->fields = fieldNames();
        out_->rows.reserve(entries_.size());
        int inSeveral = 0, otherPronunciation = 0;
        for (const Entry& e : entries_) {
            const Translation word = e.translations.value(wordId);
            const Translation expl = e.translations.value(explanationId);
            ForeignRow row;
            row.values.resize(FieldCount);
            row.values[FWord] = word.text;
            row.values[FPhonetic] = word.pronunciation;
            row.values[FExplanation] = expl.text;
            // A comment on either side is the learner's; neither is dropped.
            row.values[FComment] = word.comment.isEmpty() ? expl.comment
                                   : expl.comment.isEmpty() ? word.comment
                                                            : word.comment + QStringLiteral("\r\n") + expl.comment;
            if (!expl.pronunciation.isEmpty() && word.pronunciation.isEmpty())
                row.values[FPhonetic] = expl.pronunciation;
            else if (!expl.pronunciation.isEmpty())
                ++otherPronunciation;
            const QStringList lessons = lessonsOf_.value(e.id);
            if (!lessons.isEmpty()) {
                row.values[FLesson] = lessons.front();
                row.tags = lessons;
                if (lessons.size() > 1)
                    ++inSeveral;
            }
            out_->rows.push_back(std::move(row));
        }
        if (inSeveral)
            out_->losses << QStringLiteral("%1 entries are in more than one lesson; each keeps the first as its class")
                                .arg(inSeveral);
        if (otherPronunciation)
            out_->losses << QStringLiteral("%1 pronunciations of the explanation side are not read").arg(otherPronunciation);
        for (const auto& [what, count] : skipped_)
            out_->losses << QStringLiteral("not read: %1 (%2)").arg(what).arg(count);
    }
};

// XML 1.0 holds no control character but TAB, LF and CR, no U+FFFE or U+FFFF and no lone half of
// a surrogate pair.
bool xmlAllows(QStringView s, qsizetype i)
{
    const char16_t c = s[i].unicode();
    if (c < 0x20)
        return c == u'\t' || c == u'\n' || c == u'\r';
    if (c == 0xFFFE || c == 0xFFFF)
        return false;
    if (QChar::isHighSurrogate(c))
        return i + 1 < s.size() && QChar::isLowSurrogate(s[i + 1].unicode());
    if (QChar::isLowSurrogate(c))
        return i > 0 && QChar::isHighSurrogate(s[i - 1].unicode());
    return true;
}

// <name>text</name>, each CR as a character reference; characters XML cannot hold are left out and
// counted in *dropped.
void writeText(QXmlStreamWriter& w, const QString& name, QStringView text, int* dropped)
{
    w.writeStartElement(name);
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool cr = text[i] == u'\r';
        if (!cr && xmlAllows(text, i))
            continue;
        if (i > from)
            w.writeCharacters(text.mid(from, i - from).toString());
        if (cr)
            w.writeEntityReference(QStringLiteral("#13"));
        else
            ++*dropped;
        from = i + 1;
    }
    if (text.size() > from)
        w.writeCharacters(text.mid(from).toString());
    w.writeEndElement();
}

// Whether some text of the file is surely longer than a field may be, found without parsing: a
// run of bytes without '<' holds at least a fifth as many characters (a character reference
// such as "&#x10FFFF;" is the most bytes per UTF-16 unit). Cheap, so that a file of one huge
// field is refused at once.
bool surelyTooLong(QByteArrayView bytes, qint64* where)
{
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    const qint64 limit = qint64(kForeignMaxFieldChars) * 5;
    while (p < end) {
        const char* lt = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)));
        const char* stop = lt ? lt : end;
        if (stop - p > limit) {
            *where = p - bytes.data();
            return true;
        }
        p = stop + 1;
    }
    return false;
}

Status parse(QByteArrayView bytes, ForeignTable* out, const ForeignProgressFn& progress)
{
    *out = ForeignTable{};
    if (bytes.size() > kForeignMaxFileBytes)
        return Status::error(Status::Code::Refused, QStringLiteral("the file is larger than %1 MB; it is not read")
                                                        .arg(kForeignMaxFileBytes >> 20));
    qint64 where = 0;
    if (surelyTooLong(bytes, &where))
        return Status::error(Status::Code::Refused,
                             QStringLiteral("a text at byte %1 is longer than %2 characters; the file is not read")
                                 .arg(where)
                                 .arg(kForeignMaxFieldChars));
    Status s = Reader(QByteArray::fromRawData(bytes.data(), bytes.size()), out, progress).run();
    if (!s)
        *out = ForeignTable{};
    return s;
}

} // namespace

Status parseKvtml(QByteArrayView bytes, ForeignTable* out) { return parse(bytes, out, {}); }

Status readKvtml(Env* env, const QString& path, ForeignTable* out, const ForeignProgressFn& progress)
{
    *out = ForeignTable{};
    QByteArray bytes;
    Status s = readWithinLimit(env, path, &bytes);
    if (s)
        s = parse(bytes, out, progress);
    if (s && progress && !progress(bytes.size(), bytes.size()))
        s = cancelled();
    if (!s)
        *out = ForeignTable{};
    return s;
}

Status writeKvtml(Env* env, const QString& path, const std::vector<const WordEntry*>& entries,
                  const ForeignExportOptions& options, ForeignExportResult* result)
{
    QByteArray bytes;
    QXmlStreamWriter w(&bytes);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    w.writeDTD(QStringLiteral("<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\">"));
    w.writeStartElement(QStringLiteral("kvtml"));
    w.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));

    int dropped = 0;
    w.writeStartElement(QStringLiteral("information"));
    w.writeTextElement(QStringLiteral("generator"), QStringLiteral("Lexora"));
    if (!options.deckName.isEmpty())
        writeText(w, QStringLiteral("title"), options.deckName, &dropped);
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("identifiers"));
    const std::pair<const char*, const char*> languages[] = {{"English", "en"}, {"Chinese", "zh_CN"}};
    for (int i = 0; i < 2; ++i) {
        w.writeStartElement(QStringLiteral("identifier"));
        w.writeAttribute(QStringLiteral("id"), QString::number(i));
        w.writeTextElement(QStringLiteral("name"), QString::fromLatin1(languages[i].first));
        w.writeTextElement(QStringLiteral("locale"), QString::fromLatin1(languages[i].second));
        w.writeEndElement();
    }
    w.writeEndElement();

    // Lessons in the order their class names first appear.
    QStringList lessonNames;
    QHash<QString, QList<int>> lessonEntries;
    int withBadCharacters = 0;
    w.writeStartElement(QStringLiteral("entries"));
    for (size_t n = 0; n < entries.size(); ++n) {
        const WordEntry& e = *entries[n];
        const int before = dropped;
        w.writeStartElement(QStringLiteral("entry"));
        w.writeAttribute(QStringLiteral("id"), QString::number(n));
        w.writeStartElement(QStringLiteral("translation"));
        w.writeAttribute(QStringLiteral("id"), QStringLiteral("0"));
        writeText(w, QStringLiteral("text"), e.word(), &dropped);
        if (!e.comment().isEmpty())
            writeText(w, QStringLiteral("comment"), e.comment(), &dropped);
        if (!e.phonetic().isEmpty())
            writeText(w, QStringLiteral("pronunciation"), e.phonetic(), &dropped);
        w.writeEndElement();
        w.writeStartElement(QStringLiteral("translation"));
        w.writeAttribute(QStringLiteral("id"), QStringLiteral("1"));
        writeText(w, QStringLiteral("text"), e.explanation(), &dropped);
        w.writeEndElement();
        w.writeEndElement();
        if (dropped != before)
            ++withBadCharacters;
        if (!e.className().isEmpty()) {
            const QString cls = e.className().toString();
            auto it = lessonEntries.find(cls);
            if (it == lessonEntries.end()) {
                lessonNames << cls;
                it = lessonEntries.insert(cls, {});
            }
            it->append(int(n));
        }
        if (options.progress && (n + 1) % kProgressEvery == 0 && !options.progress(qint64(n + 1), qint64(entries.size())))
            return cancelled();
    }
    w.writeEndElement();

    if (!lessonNames.isEmpty()) {
        w.writeStartElement(QStringLiteral("lessons"));
        for (const QString& name : lessonNames) {
            w.writeStartElement(QStringLiteral("container"));
            writeText(w, QStringLiteral("name"), name, &dropped);
            w.writeTextElement(QStringLiteral("inpractice"), QStringLiteral("true"));
            for (int id : lessonEntries.value(name)) {
                w.writeEmptyElement(QStringLiteral("entry"));
                w.writeAttribute(QStringLiteral("id"), QString::number(id));
            }
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument();
    if (w.hasError())
        return Status::error(QStringLiteral("the .kvtml text could not be made"));

    Status s = writeFileAtomically(env, path, bytes);
    if (!s)
        return s;
    result->written = int(entries.size());
    if (!entries.empty())
        result->losses << degreesAndTimesLost();
    if (withBadCharacters)
        result->losses << QStringLiteral("%1 entries held control characters that a .kvtml file cannot hold; "
                                         "they were left out")
                              .arg(withBadCharacters);
    return Status::ok();
}

} // namespace lex::foreign
