// Anki keeps every field as HTML. What we write is escaped so that it reads back exactly; what
// other programs wrote is reduced to the plain text a learner would see.

#include "lexora/exchange/formats/anki_package.h"

#include <QHash>
#include <algorithm>

namespace lex::anki {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr QStringView kSound = u"[sound:";

bool endsWithBreak(const QString& s)
{
    return s.endsWith(kCrLf);
}

// Tags after whose start or end the text goes on in a new line.
bool isBlockTag(QStringView name)
{
    static const QStringView blocks[] = {u"div", u"p", u"li", u"ul", u"ol", u"tr", u"table", u"h1", u"h2",
                                         u"h3", u"h4", u"h5", u"h6", u"blockquote", u"pre", u"hr", u"dt", u"dd"};
    for (QStringView b : blocks)
        if (name == b)
            return true;
    return false;
}

// The named entities that occur in real decks; the rest stay as they are written.
const QHash<QString, char32_t>& namedEntities()
{
    static const QHash<QString, char32_t> table{
        {QStringLiteral("amp"), U'&'},       {QStringLiteral("lt"), U'<'},        {QStringLiteral("gt"), U'>'},
        {QStringLiteral("quot"), U'"'},      {QStringLiteral("apos"), U'\''},     {QStringLiteral("nbsp"), U' '},
        {QStringLiteral("ensp"), U' '},      {QStringLiteral("emsp"), U' '},      {QStringLiteral("thinsp"), U' '},
        {QStringLiteral("copy"), U'©'},      {QStringLiteral("reg"), U'®'},       {QStringLiteral("trade"), U'™'},
        {QStringLiteral("hellip"), U'…'},    {QStringLiteral("mdash"), U'—'},     {QStringLiteral("ndash"), U'–'},
        {QStringLiteral("lsquo"), U'‘'},     {QStringLiteral("rsquo"), U'’'},     {QStringLiteral("ldquo"), U'“'},
        {QStringLiteral("rdquo"), U'”'},     {QStringLiteral("laquo"), U'«'},     {QStringLiteral("raquo"), U'»'},
        {QStringLiteral("middot"), U'·'},    {QStringLiteral("bull"), U'•'},      {QStringLiteral("times"), U'×'},
        {QStringLiteral("divide"), U'÷'},    {QStringLiteral("deg"), U'°'},       {QStringLiteral("plusmn"), U'±'},
        {QStringLiteral("sect"), U'§'},      {QStringLiteral("para"), U'¶'},      {QStringLiteral("larr"), U'←'},
        {QStringLiteral("rarr"), U'→'},      {QStringLiteral("uarr"), U'↑'},      {QStringLiteral("darr"), U'↓'},
        {QStringLiteral("eacute"), U'é'},    {QStringLiteral("egrave"), U'è'},    {QStringLiteral("agrave"), U'à'},
        {QStringLiteral("aacute"), U'á'},    {QStringLiteral("uuml"), U'ü'},      {QStringLiteral("ouml"), U'ö'},
        {QStringLiteral("auml"), U'ä'},      {QStringLiteral("ccedil"), U'ç'},    {QStringLiteral("szlig"), U'ß'},
        {QStringLiteral("shy"), U'\u00AD'},  {QStringLiteral("zwj"), U'\u200D'},  {QStringLiteral("zwnj"), U'\u200C'},
    };
    return table;
}

void appendCodePoint(QString& out, char32_t c)
{
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    if (c > 0xFFFF) {
        const char16_t pair[2] = {QChar::highSurrogate(c), QChar::lowSurrogate(c)};
        out.append(QStringView(pair, 2));
    } else {
        out.append(QChar(char16_t(c)));
    }
}

// Decodes the entity starting at html[i] == '&' into out; returns the index after it, or i + 1
// with a literal '&' when it is no entity.
qsizetype decodeEntity(QStringView html, qsizetype i, QString& out)
{
    const qsizetype end = html.sliced(i, std::min<qsizetype>(14, html.size() - i)).indexOf(u';') + i;
    if (end < i + 2) {
        out.append(u'&');
        return i + 1;
    }
    const QStringView body = html.sliced(i + 1, end - i - 1);
    if (body.startsWith(u'#')) {
        bool ok = false;
        const uint v = body.size() > 1 && (body[1] == u'x' || body[1] == u'X') ? body.sliced(2).toUInt(&ok, 16)
                                                                                : body.sliced(1).toUInt(&ok, 10);
        if (ok && !body.sliced(1).startsWith(u'+') && !body.sliced(1).startsWith(u'-')) {
            appendCodePoint(out, char32_t(v));
            return end + 1;
        }
    } else {
        const auto it = namedEntities().constFind(body.toString());
        if (it != namedEntities().constEnd()) {
            appendCodePoint(out, *it);
            return end + 1;
        }
    }
    out.append(u'&');
    return i + 1;
}

} // namespace

QString fieldHtml(QStringView text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'&': out.append(u"&amp;"); break;
        case u'<': out.append(u"&lt;"); break;
        case u'>': out.append(u"&gt;"); break;
        case u'\t': out.append(u"&#9;"); break;
        case u'\n': out.append(u"&#10;"); break;
        case 0x1F: out.append(u"&#31;"); break;
        case u'\r':
            if (i + 1 < text.size() && text[i + 1] == u'\n') {
                out.append(u"<br>");
                ++i;
            } else {
                out.append(u"&#13;");
            }
            break;
        case u'[':
            // A literal "[sound:" would become a sound reference in Anki.
            if (text.sliced(i).startsWith(kSound))
                out.append(u"&#91;");
            else
                out.append(c);
            break;
        default: out.append(c);
        }
    }
    return out;
}

QString fieldText(QStringView html, QStringList* sounds, int* images)
{
    QString out;
    out.reserve(html.size());
    bool pendingBreak = false;   // a block ended or began: the next text starts a new line
    auto emitText = [&](QStringView piece) {
        if (pendingBreak && !out.isEmpty() && !endsWithBreak(out))
            out.append(kCrLf);
        pendingBreak = false;
        out.append(piece);
    };
    // Where the next '>' and ']' are, found once for a run of '<' or "[sound:" without an end,
    // so that hostile text costs linear time.
    qsizetype nextClose = -2, nextBracket = -2;
    auto next = [&](qsizetype& cached, QChar c, qsizetype from) {
        if (cached != -1 && cached < from)
            cached = html.indexOf(c, from);
        return cached;
    };
    qsizetype i = 0;
    while (i < html.size()) {
        const QChar c = html[i];
        if (c == u'<') {
            const qsizetype close = next(nextClose, u'>', i + 1);
            const QStringView inner = close < 0 ? QStringView() : html.sliced(i + 1, close - i - 1);
            // "<" not followed by a tag name is text ("a < b" typed in an editor that did not escape it).
            const bool isTag = close >= 0 && !inner.isEmpty() &&
                               (inner[0].isLetter() || inner[0] == u'/' || inner[0] == u'!');
            if (!isTag) {
                emitText(html.sliced(i, 1));
                ++i;
                continue;
            }
            const bool closing = inner.startsWith(u'/');
            QStringView name = closing ? inner.sliced(1) : inner;
            qsizetype n = 0;
            while (n < name.size() && name[n].isLetterOrNumber())
                ++n;
            const QString tag = name.first(n).toString().toLower();
            i = close + 1;
            if (tag == u"br") {
                out.append(kCrLf);
                pendingBreak = false;
            } else if (tag == u"img") {
                if (images)
                    ++*images;
            } else if (!closing && (tag == u"script" || tag == u"style")) {
                const qsizetype endTag = html.indexOf(QStringLiteral("</") + tag, i, Qt::CaseInsensitive);
                const qsizetype after = endTag < 0 ? -1 : html.indexOf(u'>', endTag);
                i = after < 0 ? html.size() : after + 1;
            } else if (isBlockTag(tag)) {
                pendingBreak = !out.isEmpty();
            }
            continue;
        }
        if (c == u'&') {
            QString piece;
            i = decodeEntity(html, i, piece);
            emitText(piece);
            continue;
        }
        if (c == u'[' && html.sliced(i).startsWith(kSound)) {
            const qsizetype end = next(nextBracket, u']', i + kSound.size());
            if (end > 0) {
                if (sounds)
                    sounds->append(html.sliced(i + kSound.size(), end - i - kSound.size()).toString());
                i = end + 1;
                continue;
            }
        }
        if (c == u'\r' || c == u'\n') {
            // A raw line break is white space in HTML: one space, none beside a line break.
            while (i < html.size() && (html[i] == u'\r' || html[i] == u'\n'))
                ++i;
            if (!out.isEmpty() && !endsWithBreak(out) && !pendingBreak && i < html.size())
                emitText(u" ");
            continue;
        }
        qsizetype j = i + 1;
        while (j < html.size() && html[j] != u'<' && html[j] != u'&' && html[j] != u'[' && html[j] != u'\r' &&
               html[j] != u'\n')
            ++j;
        emitText(html.sliced(i, j - i));
        i = j;
    }
    return out;
}

bool isSafeMediaName(QStringView name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(u"..") || name.startsWith(u'~'))
        return false;
    if (name.size() >= 2 && name[1] == u':')   // a drive letter
        return false;
    for (QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return true;
}

} // namespace lex::anki
