#pragma once
// CColorPicker: the colour button of the settings page, with its pop-up palette.

#include <QAbstractButton>
#include <QColor>
#include <QCursor>
#include <QPointer>
#include <QWidget>

#include <QLineEdit>
class QPushButton;

namespace lex {

class UserServices;

// The pop-up palette: 19 x 12 cells (greys and the 216 web colours), a preview strip below.
class CColorPalette : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 19;
    static constexpr int kRows = 12;
    static constexpr int kWidth = 191;
    static constexpr int kHeight = 150;
    static constexpr int kGridHeight = 120;
    static constexpr int kMoreButtonId = 100;

    explicit CColorPalette(QWidget* parent = nullptr);

    // The cell (row * kColumns + column) under a client point, -1 on a grid line or outside.
    static int cellAt(QPoint client);
    static QColor cellColor(int column, int row);
    static QColor cellColor(int cell) { return cellColor(cell % kColumns, cell / kColumns); }
    static QRect cellRect(int column, int row) { return QRect(10 * column, 10 * row, 9, 9); }
    static QRect moreButtonRect() { return QRect(167, 126, 16, 16); }
    static QString colorText(const QColor& c);   // "#RRGGBB"

    // Starts a pick: `current` becomes the preview colour and the colour to return to.
    void begin(const QColor& current, QPoint pressGlobal);

    QColor previewColor() const { return preview_; }
    int focusCell() const { return focusCell_; }
    bool isPicking() const { return picking_; }
    QPushButton* moreButton() const { return more_; }

    // The picking cursor: the 16 x 16 pattern, hot spot (0, 15).
    static QCursor pickingCursor();

Q_SIGNALS:
    void finished(const QColor& color);
    void moreColorsRequested();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void hideEvent(QHideEvent*) override;
    void changeEvent(QEvent*) override;

private:
    void track(QPoint local, QPoint global);
    void finish(const QColor& c);
    QColor screenPixel(QPoint global) const;

    QColor opening_;
    QColor preview_;
    QPoint press_;
    bool picking_ = false;
    bool done_ = false;
    int focusCell_ = -1;
    QPushButton* more_ = nullptr;
};

class CColorPicker : public QAbstractButton {
    Q_OBJECT
public:
    explicit CColorPicker(QWidget* parent = nullptr, UserServices* services = nullptr);

    QColor color() const { return color_; }
    // Stores the colour, posts the command (clicked()) to the parent, writes the colour into the
    // attached text control and redraws.
    void setColor(const QColor& c);

    void setTextControl(QLineEdit* edit) { text_ = edit; }
    void setServices(UserServices* services) { services_ = services; }
    void setFlat(bool flat);
    bool isFlat() const { return flat_; }

    // The open palette, nullptr when none.
    CColorPalette* paletteWindow() const { return palette_; }
    // Opens the palette as a click at `pressGlobal` does.
    void openPalette(QPoint pressGlobal);

    QSize sizeHint() const override { return QSize(24, 22); }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    void paletteFinished(const QColor& c);
    void moreColors();
    void closePalette();

    QColor color_;
    QPointer<QLineEdit> text_;
    UserServices* services_ = nullptr;
    QPointer<CColorPalette> palette_;
    bool flat_ = false;
};

} // namespace lex
