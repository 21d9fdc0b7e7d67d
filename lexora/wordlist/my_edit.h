#pragma once
// The hover tip of the word list: a read-only text box over the cell that hides itself when the
// mouse leaves it, and passes clicks and the wheel on to the list beneath.

#include <QTextEdit>

namespace lex {

class CMyEdit : public QTextEdit {
    Q_OBJECT
public:
    static constexpr int kControlId = 99999;
    static constexpr QRgb kBackground = 0xFF59ECF9;   // RGB(89, 236, 249)

    // `parent` is the list's viewport: clicks and the wheel are passed on to it.
    explicit CMyEdit(QWidget* parent);

    // Sets the text (lines separated by CR LF), its font and the exact line spacing in pixels;
    // `more`, when not empty, follows on lines of its own in `moreFont`.
    void setTipText(const QString& text, const QFont& font, qreal lineHeight, const QString& more = {},
                    const QFont& moreFont = {});
    // The size that shows the whole text without wrapping, frame included.
    QSize fittingSize() const;
    // The height that shows the whole text wrapped to `width` (frame included); wraps from now on.
    int heightForWrappedWidth(int width);
    // The whole text as given to setTipText(), `more` on its own lines.
    const QString& tipText() const { return text_; }

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void passClick(QMouseEvent* e);

    QString text_;
};

} // namespace lex
