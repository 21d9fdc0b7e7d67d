#pragma once
// A zip archive built in memory for tests: members stored or deflated, with the option to name
// a member anything and to declare a size it does not have.

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <vector>
#include <zlib.h>

namespace lextest {

struct ZipMember {
    QByteArray name;
    QByteArray data;
    bool deflate = true;
    qint64 declaredSize = -1;   // -1: the data's own size
};

inline QByteArray deflateRaw(const QByteArray& data)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(data.size()))), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

inline QByteArray zipBytes(const std::vector<ZipMember>& members)
{
    auto le16 = [](QByteArray& b, uint16_t v) { char p[2]; qToLittleEndian(v, p); b.append(p, 2); };
    auto le32 = [](QByteArray& b, uint32_t v) { char p[4]; qToLittleEndian(v, p); b.append(p, 4); };
    QByteArray out, dir;
    for (const ZipMember& m : members) {
        const QByteArray packed = m.deflate ? deflateRaw(m.data) : m.data;
        const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(m.data.constData()), uInt(m.data.size())));
        const uint32_t size = uint32_t(m.declaredSize >= 0 ? m.declaredSize : m.data.size());
        const uint32_t offset = uint32_t(out.size());
        le32(out, 0x04034b50); le16(out, 20); le16(out, 0); le16(out, m.deflate ? 8 : 0); le16(out, 0); le16(out, 0);
        le32(out, crc); le32(out, uint32_t(packed.size())); le32(out, size);
        le16(out, uint16_t(m.name.size())); le16(out, 0);
        out += m.name + packed;
        le32(dir, 0x02014b50); le16(dir, 20); le16(dir, 20); le16(dir, 0); le16(dir, m.deflate ? 8 : 0);
        le16(dir, 0); le16(dir, 0); le32(dir, crc); le32(dir, uint32_t(packed.size())); le32(dir, size);
        le16(dir, uint16_t(m.name.size())); le16(dir, 0); le16(dir, 0); le16(dir, 0); le16(dir, 0); le32(dir, 0);
        le32(dir, offset);
        dir += m.name;
    }
    const uint32_t dirOffset = uint32_t(out.size());
    out += dir;
    le32(out, 0x06054b50); le16(out, 0); le16(out, 0); le16(out, uint16_t(members.size()));
    le16(out, uint16_t(members.size())); le32(out, uint32_t(dir.size())); le32(out, dirOffset); le16(out, 0);
    return out;
}

// An e-book of `pages` (XHTML bodies), in this order, with extra members appended.
inline QByteArray epubBytes(const std::vector<QByteArray>& pages, std::vector<ZipMember> extra = {},
                            const QByteArray& extraManifest = {})
{
    std::vector<ZipMember> m;
    m.push_back({"mimetype", "application/epub+zip", false});
    m.push_back({"META-INF/container.xml",
                 "<?xml version=\"1.0\"?><container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">"
                 "<rootfiles><rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>"
                 "</rootfiles></container>"});
    QByteArray manifest, spine;
    for (size_t i = 0; i < pages.size(); ++i) {
        const QByteArray id = "p" + QByteArray::number(qsizetype(i));
        manifest += "<item id=\"" + id + "\" href=\"text/" + id + ".xhtml\" media-type=\"application/xhtml+xml\"/>";
        spine += "<itemref idref=\"" + id + "\"/>";
        m.push_back({"OEBPS/text/" + id + ".xhtml",
                     "<?xml version=\"1.0\" encoding=\"utf-8\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><head>"
                     "<title>Page</title></head><body>" + pages[i] + "</body></html>"});
    }
    m.push_back({"OEBPS/content.opf", "<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\">"
                                      "<manifest>" + manifest + extraManifest + "</manifest><spine>" + spine + "</spine></package>"});
    for (ZipMember& e : extra)
        m.push_back(std::move(e));
    return zipBytes(m);
}

} // namespace lextest
