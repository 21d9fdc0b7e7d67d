#pragma once
// CBMStatic: a bitmap with black as the transparent colour (the practice window's tick and cross).

#include <QPixmap>
#include <QWidget>

namespace lex {

class CBMStatic : public QWidget {
    Q_OBJECT
public:
    // The widget takes the bitmap's size.
    explicit CBMStatic(const QPixmap& bitmap, QWidget* parent = nullptr);

    const QPixmap& bitmap() const { return bitmap_; }

protected:
    void paintEvent(QPaintEvent*) override;
    // Each showing raises it above its siblings and moves it to the top right of the parent's
    // client area, keeping its size.
    void showEvent(QShowEvent*) override;

private:
    QPixmap bitmap_;
};

} // namespace lex
