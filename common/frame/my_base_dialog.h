#pragma once
// CMyBaseDialog: a window that draws its own caption band, caption buttons and rounded border,
// and snaps to the edges of other windows while it is dragged.

#include "common/frame/caption.h"
#include "common/frame/snapping.h"
#include "common/ui/command.h"

#include <QColor>
#include <functional>

namespace lex {

class CMyBaseDialog : public ui::CommandDialog {
    Q_OBJECT
public:
    static inline const QColor kCaptionActive{136, 156, 202};
    static inline const QColor kCaptionInactive{164, 160, 168};
    static inline const QColor kFrame{185, 209, 234};
    static inline const QColor kOutline{55, 64, 72};
    static inline const QSize kOuterMinimumTrackSize{650, 400};

    explicit CMyBaseDialog(QWidget* parent = nullptr);

    // The no-snapping setting (IsForbidWinStick): one for all windows of this kind.
    static void setForbidWinStick(bool on);
    static bool forbidWinStick();
    // Where the other windows' rectangles come from (tests replace it); null restores the default.
    using WindowSource = std::function<std::vector<EdgeRect>(const QWidget* self)>;
    static void setWindowSource(WindowSource source);

    bool isActiveFrame() const { return active_; }
    // 0 inactive, 1 normal, 2 hovered, 3 pressed.
    int buttonState(CaptionButton b) const { return b >= 1 && b <= 3 ? states_[b - 1] : 0; }
    // A window of fixed size has only the close button: minimise and maximise are neither drawn
    // nor hit.
    bool showsSizeButtons() const { return minimumSize() != maximumSize(); }
    static CaptionButton pressedButton();
    static CaptionButton hoveredButton();

    // The client area in window coordinates: below the caption band, inside the border.
    QRect clientRect() const;
    static int captionHeight() { return kCaptionHeight; }

    // Sets the title and repaints the caption at once.
    void setCaption(const QString& text);

    const EdgeSnapper& snapper() const { return snapper_; }
    // One moving step of a drag: `proposed` is where the mouse would put the window.
    void moving(const QRect& proposed);

protected:
    void paintEvent(QPaintEvent*) override;
    // The client background; the outer window adds its tool-bar band after calling this.
    virtual void paintClientBackground(class QPainter& p);
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void changeEvent(QEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    bool isNonClient(QPoint local) const;
    CaptionButton buttonAt(QPoint local) const;
    Qt::Edges resizeEdges(QPoint local) const;
    void setAllStates(int s);
    void hoverAt(QPoint local);

    bool active_ = false;
    int states_[3] = {0, 0, 0};
    EdgeSnapper snapper_;
    bool moving_ = false;
    QPoint dragOffset_;
};

} // namespace lex
