#include "glosix/entry_view.h"

#include "glosix/entry_markup.h"

#include <QFontInfo>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace lex {

int entryCharHeight(const QFont& font)
{
    return QFontInfo(font).pixelSize();
}

void ShowEntryText(QTextEdit* pane, QStringView text, const EntryFonts& fonts)
{
    showEntryMarkup(pane, parseEntryText(text), fonts);
}

void showEntryMarkup(QTextEdit* pane, const EntryMarkup& m, const EntryFonts& fonts)
{
    const int h = entryCharHeight(fonts.text);
    QTextCharFormat plain;
    plain.setFont(fonts.text);
    plain.setForeground(QColor(0, 0, 0));
    auto runFormat = [&](int marker) {
        const EntryStyle s = entryStyle(marker);
        QTextCharFormat f = plain;
        f.setForeground(QColor(s.red, s.green, s.blue));
        if (s.bold)
            f.setFontWeight(QFont::Bold);
        return f;
    };
    auto blockFormat = [&](size_t paragraph) {
        QTextBlockFormat b;
        const int marker = paragraph < m.paragraphMarkers.size() ? m.paragraphMarkers[paragraph] : 0;
        b.setLeftMargin(entryStyle(marker).indent * h);
        return b;
    };

    pane->setUpdatesEnabled(false);
    QTextDocument* doc = pane->document();
    doc->clear();
    QTextCursor c(doc);
    c.beginEditBlock();
    size_t paragraph = 0;
    c.setBlockFormat(blockFormat(paragraph));
    c.setBlockCharFormat(plain);

    // Inserts text[from, to) in `format`, starting a new paragraph at each '\n'.
    const QString& text = m.text;
    auto insert = [&](qsizetype from, qsizetype to, const QTextCharFormat& format) {
        while (from < to) {
            qsizetype nl = text.indexOf(QLatin1Char('\n'), from);
            if (nl < 0 || nl >= to)
                nl = to;
            if (nl > from)
                c.insertText(text.mid(from, nl - from), format);
            if (nl < to) {
                c.insertBlock(blockFormat(++paragraph), format);
                ++nl;
            }
            from = nl;
        }
    };
    qsizetype pos = 0;
    for (const EntryRun& r : m.runs) {
        insert(pos, r.start, plain);
        insert(r.start, r.end, runFormat(r.marker));
        pos = r.end;
    }
    insert(pos, text.size(), plain);
    c.endEditBlock();

    QTextCursor start(doc);
    pane->setTextCursor(start);
    pane->verticalScrollBar()->setValue(0);
    pane->horizontalScrollBar()->setValue(0);
    pane->setUpdatesEnabled(true);
    pane->viewport()->update();
}

} // namespace lex
