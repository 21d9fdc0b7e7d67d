#include "lexora/exchange/epub_text.h"

#include <QHash>
#include <QStringList>
#include <QUrl>
#include <QXmlStreamReader>
#include <QtEndian>
#include <zlib.h>

namespace lex {
namespace {

constexpr qint64 kMaxMemberBytes = 64 * 1024 * 1024;

Status damaged(const QString& why) { return Status::error(Status::Code::Damaged, QStringLiteral("电子书已损坏：") + why); }
Status refused(const QString& why) { return Status::error(Status::Code::Refused, QStringLiteral("不能读取这本电子书：") + why); }

struct Member {
    QString name;
    uint16_t method = 0;
    uint32_t packed = 0, size = 0, localOffset = 0;
};

uint16_t le16(QByteArrayView b, qsizetype at) { return qFromLittleEndian<uint16_t>(b.data() + at); }
uint32_t le32(QByteArrayView b, qsizetype at) { return qFromLittleEndian<uint32_t>(b.data() + at); }

// A member's name or a link's target made plain: "a/./b/../c" is "a/c"; false when it climbs
// above the archive's root or is absolute.
bool normalisedPath(const QString& path, QString* out)
{
    if (path.startsWith(QLatin1Char('/')) || path.contains(QLatin1Char('\\')) ||
        (path.size() > 1 && path[1] == QLatin1Char(':')))
        return false;
    QStringList parts;
    for (const QString& p : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (p == QLatin1String("."))
            continue;
        if (p == QLatin1String("..")) {
            if (parts.isEmpty())
                return false;
            parts.removeLast();
            continue;
        }
        parts << p;
    }
    *out = parts.join(QLatin1Char('/'));
    return true;
}

class Archive {
public:
    explicit Archive(QByteArrayView zip) : zip_(zip) {}

    Status open()
    {
        // The end-of-central-directory record: within the last 64 KiB + 22 bytes.
        const qsizetype n = zip_.size();
        qsizetype eocd = -1;
        for (qsizetype at = n - 22; at >= 0 && at >= n - 22 - 65535; --at)
            if (le32(zip_, at) == 0x06054b50) {
                eocd = at;
                break;
            }
        if (eocd < 0)
            return damaged(QStringLiteral("不是 zip 文件"));
        const uint16_t count = le16(zip_, eocd + 10);
        const uint32_t dirSize = le32(zip_, eocd + 12), dirOffset = le32(zip_, eocd + 16);
        if (count == 0xFFFF || dirOffset == 0xFFFFFFFF)
            return refused(QStringLiteral("不支持 zip64"));
        if (count > kMaxEpubMembers)
            return refused(QStringLiteral("文件太多"));
        if (qint64(dirOffset) + dirSize > eocd)
            return damaged(QStringLiteral("目录超出文件"));
        qsizetype at = dirOffset;
        for (int i = 0; i < count; ++i) {
            if (at + 46 > eocd || le32(zip_, at) != 0x02014b50)
                return damaged(QStringLiteral("目录不完整"));
            Member m;
            m.method = le16(zip_, at + 10);
            m.packed = le32(zip_, at + 20);
            m.size = le32(zip_, at + 24);
            const uint16_t nameLen = le16(zip_, at + 28), extraLen = le16(zip_, at + 30), commentLen = le16(zip_, at + 32);
            m.localOffset = le32(zip_, at + 42);
            if (at + 46 + nameLen > eocd)
                return damaged(QStringLiteral("目录不完整"));
            const QString raw = QString::fromUtf8(zip_.sliced(at + 46, nameLen));
            at += 46 + nameLen + extraLen + commentLen;
            if (raw.endsWith(QLatin1Char('/')))
                continue;   // a folder
            if (!normalisedPath(raw, &m.name))
                return refused(QStringLiteral("其中的文件 %1 指向包外").arg(raw));
            members_.insert(m.name, m);
        }
        return Status::ok();
    }

    bool has(const QString& name) const { return members_.contains(name); }

    // A member's bytes, unpacked within the archive's budget.
    Status read(const QString& name, QByteArray* out)
    {
        const auto it = members_.constFind(name);
        if (it == members_.cend())
            return damaged(QStringLiteral("缺少 %1").arg(name));
        const Member& m = *it;
        const qsizetype local = m.localOffset;
        if (local < 0 || local + 30 > zip_.size() || le32(zip_, local) != 0x04034b50)
            return damaged(QStringLiteral("%1 的位置不对").arg(name));
        const qsizetype data = local + 30 + le16(zip_, local + 26) + le16(zip_, local + 28);
        if (data + qint64(m.packed) > zip_.size())
            return damaged(QStringLiteral("%1 不完整").arg(name));
        const QByteArrayView packed = zip_.sliced(data, m.packed);
        if (m.method == 0) {
            if (!spend(packed.size()))
                return tooLarge();
            *out = packed.toByteArray();
            return Status::ok();
        }
        if (m.method != 8)
            return refused(QStringLiteral("%1 的压缩方式不支持").arg(name));
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return damaged(name);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
        z.avail_in = uInt(packed.size());
        out->clear();
        char buffer[64 * 1024];
        int rc = Z_OK;
        while (rc != Z_STREAM_END) {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            rc = inflate(&z, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END) {
                inflateEnd(&z);
                return damaged(QStringLiteral("%1 解压失败").arg(name));
            }
            const qsizetype got = qsizetype(sizeof buffer - z.avail_out);
            // The declared size may lie: the budget counts what actually comes out.
            if (out->size() + got > kMaxMemberBytes || !spend(got)) {
                inflateEnd(&z);
                out->clear();
                return tooLarge();
            }
            out->append(buffer, got);
            if (rc == Z_OK && got == 0 && z.avail_in == 0) {
                inflateEnd(&z);
                return damaged(QStringLiteral("%1 不完整").arg(name));
            }
        }
        inflateEnd(&z);
        return Status::ok();
    }

private:
    bool spend(qint64 n)
    {
        unpacked_ += n;
        return unpacked_ <= kMaxEpubUnpackedBytes;
    }
    static Status tooLarge() { return refused(QStringLiteral("解压后太大（可能是压缩炸弹）")); }

    QByteArrayView zip_;
    QHash<QString, Member> members_;
    qint64 unpacked_ = 0;
};

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

// A link inside the book, resolved against the file it is in; empty when it is remote or refused.
Status resolveLink(const QString& base, const QString& href, QString* out)
{
    out->clear();
    const QUrl url(href);
    if (!url.scheme().isEmpty())
        return Status::ok();   // remote or another scheme: never loaded
    const QString path = QUrl::fromPercentEncoding(url.path(QUrl::FullyEncoded).toUtf8());
    if (path.isEmpty())
        return Status::ok();
    if (!normalisedPath(folderOf(base) + path, out))
        return refused(QStringLiteral("链接 %1 指向包外").arg(href));
    return Status::ok();
}

bool isBlock(QStringView name)
{
    static const QStringList blocks{QStringLiteral("p"),   QStringLiteral("div"), QStringLiteral("br"),
                                    QStringLiteral("h1"),  QStringLiteral("h2"),  QStringLiteral("h3"),
                                    QStringLiteral("h4"),  QStringLiteral("h5"),  QStringLiteral("h6"),
                                    QStringLiteral("li"),  QStringLiteral("tr"),  QStringLiteral("blockquote"),
                                    QStringLiteral("section"), QStringLiteral("title"), QStringLiteral("dt"),
                                    QStringLiteral("dd")};
    return blocks.contains(name.toString().toLower());
}

// XHTML pages name HTML's entities through a DTD the reader does not fetch: the common ones by
// their characters, any other as a space.
class HtmlEntities final : public QXmlStreamEntityResolver {
public:
    QString resolveUndeclaredEntity(const QString& name) override
    {
        static const QHash<QString, QChar> known{
            {QStringLiteral("nbsp"), QChar(0xA0)},   {QStringLiteral("mdash"), QChar(0x2014)},
            {QStringLiteral("ndash"), QChar(0x2013)}, {QStringLiteral("hellip"), QChar(0x2026)},
            {QStringLiteral("lsquo"), QChar(0x2018)}, {QStringLiteral("rsquo"), QChar(0x2019)},
            {QStringLiteral("ldquo"), QChar(0x201C)}, {QStringLiteral("rdquo"), QChar(0x201D)},
            {QStringLiteral("copy"), QChar(0xA9)},    {QStringLiteral("eacute"), QChar(0xE9)},
            {QStringLiteral("egrave"), QChar(0xE8)},  {QStringLiteral("agrave"), QChar(0xE0)},
            {QStringLiteral("ccedil"), QChar(0xE7)},  {QStringLiteral("uuml"), QChar(0xFC)},
            {QStringLiteral("ouml"), QChar(0xF6)},    {QStringLiteral("auml"), QChar(0xE4)},
            {QStringLiteral("shy"), QChar(0xAD)},     {QStringLiteral("middot"), QChar(0xB7)}};
        return QString(known.value(name, QLatin1Char(' ')));
    }
};

// One page's text: scripts, styles and the head left out.
Status pageText(const QByteArray& page, QString* out)
{
    QXmlStreamReader xml(page);
    HtmlEntities entities;
    xml.setEntityResolver(&entities);
    int depth = 0, skipDepth = 0;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (++depth > kMaxEpubDepth)
                return refused(QStringLiteral("页面的元素嵌套太深"));
            const QString name = xml.name().toString().toLower();
            if (!skipDepth && (name == QLatin1String("script") || name == QLatin1String("style") ||
                               name == QLatin1String("head")))
                skipDepth = depth;
            if (!skipDepth && isBlock(name))
                *out += QLatin1String("\n\n");
            break;
        }
        case QXmlStreamReader::EndElement:
            if (skipDepth == depth)
                skipDepth = 0;
            else if (!skipDepth && isBlock(xml.name()))
                *out += QLatin1String("\n\n");
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (!skipDepth)
                *out += xml.text();
            break;
        default:
            break;
        }
        if (out->size() > kMaxEpubTextChars)
            return refused(QStringLiteral("文字太多"));
    }
    if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        return damaged(QStringLiteral("页面不是 XHTML：%1").arg(xml.errorString()));
    return Status::ok();
}

} // namespace

Status epubText(QByteArrayView zip, QString* text)
{
    text->clear();
    Archive archive(zip);
    if (Status s = archive.open(); !s)
        return s;
    QByteArray container;
    if (Status s = archive.read(QStringLiteral("META-INF/container.xml"), &container); !s)
        return s;
    QString opfPath;
    {
        QXmlStreamReader xml(container);
        while (!xml.atEnd() && opfPath.isEmpty())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("rootfile"))
                if (Status s = resolveLink(QString(), xml.attributes().value(QLatin1String("full-path")).toString(), &opfPath); !s)
                    return s;
    }
    if (opfPath.isEmpty())
        return damaged(QStringLiteral("找不到内容目录"));
    QByteArray opf;
    if (Status s = archive.read(opfPath, &opf); !s)
        return s;
    QHash<QString, QString> manifest;   // id -> member
    QStringList spine;
    {
        QXmlStreamReader xml(opf);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == QLatin1String("item")) {
                const QString type = a.value(QLatin1String("media-type")).toString();
                if (type != QLatin1String("application/xhtml+xml") && type != QLatin1String("text/html"))
                    continue;
                QString member;
                if (Status s = resolveLink(opfPath, a.value(QLatin1String("href")).toString(), &member); !s)
                    return s;
                if (!member.isEmpty())
                    manifest.insert(a.value(QLatin1String("id")).toString(), member);
            } else if (xml.name() == QLatin1String("itemref")) {
                spine << a.value(QLatin1String("idref")).toString();
            }
        }
        if (xml.hasError())
            return damaged(QStringLiteral("内容目录不是 XML：%1").arg(xml.errorString()));
    }
    for (const QString& id : spine) {
        const QString member = manifest.value(id);
        if (member.isEmpty() || !archive.has(member))
            continue;
        QByteArray page;
        if (Status s = archive.read(member, &page); !s)
            return s;
        if (Status s = pageText(page, text); !s) {
            text->clear();
            return s;
        }
        *text += QLatin1String("\n\n");
    }
    return Status::ok();
}

} // namespace lex
