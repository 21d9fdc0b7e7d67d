// Draws Lexora's own bitmaps in the sizes the windows expect. Black (0, 0, 0) is the transparent
// colour of the bitmaps that are drawn transparently, so no drawing here uses pure black.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>

namespace {

const QColor kInk(24, 24, 28);

// 1 for the bitmaps, 2 for their "@2x" twins: every drawing below is in the 1x pixel grid and
// the canvas's device pixel ratio makes the painter draw it at the scale.
int g_scale = 1;

QImage canvas(int w, int h, QColor fill = Qt::black)
{
    QImage img(w * g_scale, h * g_scale, QImage::Format_RGB32);
    img.setDevicePixelRatio(g_scale);
    img.fill(fill);
    return img;
}

// "bitmap_185_toolbar.png" at scale 1, "bitmap_185_toolbar@2x.png" at scale 2.
QString scaled(const QString& name)
{
    return g_scale == 1 ? name : QString(name).replace(QStringLiteral(".png"), QStringLiteral("@%1x.png").arg(g_scale));
}

bool save(const QImage& img, const QString& dir, const QString& name)
{
    const QString path = dir + QLatin1Char('/') + name;
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// 165: a green tick, 64 x 64.
QImage tick()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(8, 34);
    path.lineTo(25, 52);
    path.lineTo(57, 12);
    p.setPen(QPen(QColor(20, 110, 30), 13, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(QColor(60, 200, 70), 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    return img;
}

// 166: a red cross, 64 x 64.
QImage cross()
{
    QImage img = canvas(64, 64);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(12, 12);
    path.lineTo(52, 52);
    path.moveTo(52, 12);
    path.lineTo(12, 52);
    p.setPen(QPen(QColor(130, 16, 16), 13, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    p.setPen(QPen(QColor(230, 50, 40), 8, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    return img;
}

// 138: the "more" mark of a multi-line cell, 13 x 13.
QImage moreMark()
{
    QImage img = canvas(13, 13, QColor(255, 255, 255));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 13);
    g.setColorAt(0, QColor(120, 170, 235));
    g.setColorAt(1, QColor(60, 110, 190));
    p.setPen(QColor(40, 80, 150));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 12, 12), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const QPointF a[] = {{3.5, 4.5}, {9.5, 4.5}, {6.5, 9}};
    p.drawPolygon(a, 3);
    return img;
}

// 143: a speaker cursor, 32 x 32 with alpha; hot spot (4, 15).
QImage speakerCursor()
{
    QImage img(32 * g_scale, 32 * g_scale, QImage::Format_ARGB32);
    img.setDevicePixelRatio(g_scale);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.moveTo(3, 11);
    body.lineTo(8, 11);
    body.lineTo(15, 4);
    body.lineTo(15, 26);
    body.lineTo(8, 19);
    body.lineTo(3, 19);
    body.closeSubpath();
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(body);
    p.setPen(QPen(QColor(0, 0, 0), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(30, 30, 30));
    p.drawPath(body);
    for (int i = 0; i < 3; ++i) {
        const double r = 5 + 4.5 * i;
        const QRectF arc(15 - r, 15 - r, 2 * r, 2 * r);
        p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(arc, -40 * 16, 80 * 16);
        p.setPen(QPen(QColor(0, 0, 0), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(arc, -40 * 16, 80 * 16);
    }
    return img;
}

// 216: the caption buttons, four rows of 19 pixels (inactive, normal, hovered, pressed) and the
// columns minimise 0-26, maximise 26-51, close 51-95, restore 95-120.
QImage captionButtons()
{
    QImage img = canvas(120, 76);
    QPainter p(&img);
    struct Column { int x0, x1; char kind; };
    const Column cols[] = {{0, 26, 'm'}, {26, 51, 'x'}, {51, 95, 'c'}, {95, 120, 'r'}};
    for (int row = 0; row < 4; ++row) {
        for (const Column& c : cols) {
            const QRectF r(c.x0 + 0.5, row * 19 + 0.5, c.x1 - c.x0 - 1, 18);
            QColor top, bottom, edge, glyph = QColor(255, 255, 255);
            const bool close = c.kind == 'c';
            switch (row) {
            case 0:
                top = QColor(205, 203, 208); bottom = QColor(172, 168, 176); edge = QColor(120, 116, 124);
                glyph = QColor(238, 238, 240);
                break;
            case 1:
                top = close ? QColor(226, 150, 140) : QColor(186, 202, 236);
                bottom = close ? QColor(196, 72, 58) : QColor(110, 134, 190);
                edge = close ? QColor(118, 40, 34) : QColor(58, 72, 110);
                break;
            case 2:
                top = close ? QColor(250, 180, 160) : QColor(222, 234, 255);
                bottom = close ? QColor(232, 84, 60) : QColor(132, 170, 236);
                edge = close ? QColor(140, 44, 30) : QColor(62, 92, 150);
                break;
            default:
                top = close ? QColor(170, 44, 30) : QColor(70, 92, 150);
                bottom = close ? QColor(214, 96, 76) : QColor(120, 146, 206);
                edge = close ? QColor(96, 24, 18) : QColor(40, 52, 90);
                break;
            }
            p.setRenderHint(QPainter::Antialiasing, false);
            QLinearGradient g(r.topLeft(), r.bottomLeft());
            g.setColorAt(0, top);
            g.setColorAt(0.5, top.darker(104));
            g.setColorAt(0.51, bottom.lighter(108));
            g.setColorAt(1, bottom);
            p.setPen(QPen(edge, 1));
            p.setBrush(g);
            p.drawRoundedRect(r, 3, 3);
            p.setRenderHint(QPainter::Antialiasing, true);
            const QPointF m((c.x0 + c.x1) / 2.0, row * 19 + 9.5);
            QPen shadow(QColor(40, 40, 60, 160), 3.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
            QPen pen(glyph, 1.8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
            for (const QPen& pn : {shadow, pen}) {
                p.setPen(pn);
                p.setBrush(Qt::NoBrush);
                switch (c.kind) {
                case 'm': p.drawLine(QPointF(m.x() - 4.5, m.y() + 3.5), QPointF(m.x() + 4.5, m.y() + 3.5)); break;
                case 'x': p.drawRect(QRectF(m.x() - 5, m.y() - 4.5, 10, 8)); break;
                case 'c':
                    p.drawLine(QPointF(m.x() - 4.5, m.y() - 4.5), QPointF(m.x() + 4.5, m.y() + 4.5));
                    p.drawLine(QPointF(m.x() + 4.5, m.y() - 4.5), QPointF(m.x() - 4.5, m.y() + 4.5));
                    break;
                default:
                    p.drawRect(QRectF(m.x() - 5, m.y() - 2, 7, 6));
                    p.drawPolyline(QPolygonF({QPointF(m.x() - 2, m.y() - 4.5), QPointF(m.x() + 5, m.y() - 4.5),
                                              QPointF(m.x() + 5, m.y() + 1.5)}));
                    break;
                }
            }
        }
    }
    return img;
}

void toolIcon(QPainter& p, int index, QRectF r)
{
    p.save();
    p.translate(r.topLeft());
    p.setRenderHint(QPainter::Antialiasing);
    const QPen ink(kInk, 1.2);
    switch (index) {
    case 0: { // web page: a globe
        QRadialGradient g(11, 10, 16);
        g.setColorAt(0, QColor(150, 215, 255));
        g.setColorAt(1, QColor(30, 110, 200));
        p.setPen(QPen(QColor(20, 70, 140), 1.2));
        p.setBrush(g);
        p.drawEllipse(QRectF(3, 3, 24, 24));
        p.setPen(QPen(QColor(235, 245, 255), 1.1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(10, 3.5, 10, 23));
        p.drawLine(QPointF(3.5, 15), QPointF(26.5, 15));
        p.drawLine(QPointF(15, 3.5), QPointF(15, 26.5));
        p.drawArc(QRectF(5, 7, 20, 6), 0, 180 * 16);
        p.drawArc(QRectF(5, 17, 20, 6), 180 * 16, 180 * 16);
        break;
    }
    case 1: { // learning: an open book
        p.setPen(QPen(QColor(90, 50, 20), 1.2));
        p.setBrush(QColor(190, 110, 50));
        p.drawRoundedRect(QRectF(2, 7, 26, 18), 2, 2);
        p.setBrush(QColor(252, 250, 240));
        QPainterPath left, right;
        left.moveTo(15, 9); left.cubicTo(11, 6, 6, 6, 4, 7); left.lineTo(4, 23); left.cubicTo(7, 22, 11, 22, 15, 24); left.closeSubpath();
        right.moveTo(15, 9); right.cubicTo(19, 6, 24, 6, 26, 7); right.lineTo(26, 23); right.cubicTo(23, 22, 19, 22, 15, 24); right.closeSubpath();
        p.drawPath(left);
        p.drawPath(right);
        p.setPen(QPen(QColor(120, 140, 180), 1));
        for (int i = 0; i < 4; ++i) {
            p.drawLine(QPointF(6, 11 + 3 * i), QPointF(13, 11.5 + 3 * i));
            p.drawLine(QPointF(17, 11.5 + 3 * i), QPointF(24, 11 + 3 * i));
        }
        break;
    }
    case 2: { // home: a house
        p.setPen(QPen(QColor(120, 30, 20), 1.2));
        p.setBrush(QColor(214, 70, 50));
        const QPointF roof[] = {{2, 15}, {15, 3}, {28, 15}};
        p.drawPolygon(roof, 3);
        p.setPen(QPen(QColor(110, 90, 60), 1.2));
        p.setBrush(QColor(246, 232, 196));
        p.drawRect(QRectF(6, 14, 18, 13));
        p.setBrush(QColor(120, 80, 40));
        p.drawRect(QRectF(13, 18, 5, 9));
        break;
    }
    case 3: // back
    case 4: { // forward
        QLinearGradient g(0, 4, 0, 26);
        g.setColorAt(0, QColor(120, 220, 110));
        g.setColorAt(1, QColor(30, 140, 40));
        p.setPen(QPen(QColor(20, 90, 30), 1.2));
        p.setBrush(g);
        QPolygonF arrow({{4, 15}, {15, 4}, {15, 10}, {26, 10}, {26, 20}, {15, 20}, {15, 26}});
        if (index == 4) {
            QTransform t;
            t.translate(30, 0);
            t.scale(-1, 1);
            arrow = t.map(arrow);
        }
        p.drawPolygon(arrow);
        break;
    }
    case 5: { // stop
        p.setPen(QPen(QColor(120, 20, 20), 1.2));
        p.setBrush(QColor(220, 50, 40));
        QPolygonF oct;
        for (int i = 0; i < 8; ++i) {
            const double a = (22.5 + 45 * i) * M_PI / 180;
            oct << QPointF(15 + 12 * std::cos(a), 15 + 12 * std::sin(a));
        }
        p.drawPolygon(oct);
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10.5, 10.5), QPointF(19.5, 19.5));
        p.drawLine(QPointF(19.5, 10.5), QPointF(10.5, 19.5));
        break;
    }
    case 6: { // refresh
        p.setPen(QPen(QColor(30, 120, 60), 4, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(5, 5, 20, 20), 60 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 120, 60));
        const QPointF head[] = {{17, 2}, {25, 7.5}, {17, 12.5}};
        p.drawPolygon(head, 3);
        break;
    }
    case 7: { // file: a folder
        p.setPen(QPen(QColor(150, 110, 20), 1.2));
        p.setBrush(QColor(236, 190, 70));
        p.drawRoundedRect(QRectF(3, 6, 11, 6), 1.5, 1.5);
        QLinearGradient g(0, 9, 0, 26);
        g.setColorAt(0, QColor(255, 226, 130));
        g.setColorAt(1, QColor(230, 172, 50));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(3, 9, 24, 17), 2, 2);
        break;
    }
    case 8: { // edit: a pencil over a page
        p.setPen(QPen(QColor(120, 130, 150), 1));
        p.setBrush(QColor(250, 250, 252));
        p.drawRect(QRectF(4, 3, 17, 23));
        p.setPen(QPen(QColor(170, 180, 200), 1));
        for (int i = 0; i < 5; ++i)
            p.drawLine(QPointF(7, 8 + 4 * i), QPointF(18, 8 + 4 * i));
        p.translate(19, 17);
        p.rotate(45);
        p.setPen(QPen(QColor(110, 70, 20), 1));
        p.setBrush(QColor(240, 180, 40));
        p.drawRect(QRectF(-3, -12, 6, 17));
        p.setBrush(QColor(240, 200, 160));
        const QPointF tip[] = {{-3, 5}, {3, 5}, {0, 10}};
        p.drawPolygon(tip, 3);
        p.setBrush(QColor(230, 120, 140));
        p.drawRect(QRectF(-3, -14, 6, 3));
        break;
    }
    case 9: { // practice: a target
        p.setPen(QPen(QColor(120, 20, 20), 1));
        const QColor ring[] = {QColor(220, 50, 40), QColor(250, 250, 250), QColor(220, 50, 40), QColor(250, 250, 250)};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(ring[i]);
            const double d = 24 - 6 * i;
            p.drawEllipse(QRectF(15 - d / 2, 15 - d / 2, d, d));
        }
        p.setPen(QPen(QColor(40, 60, 120), 2));
        p.drawLine(QPointF(15, 15), QPointF(27, 3));
        break;
    }
    default: { // help: a question mark
        QRadialGradient g(11, 10, 16);
        g.setColorAt(0, QColor(140, 190, 255));
        g.setColorAt(1, QColor(40, 90, 200));
        p.setPen(QPen(QColor(20, 50, 130), 1.2));
        p.setBrush(g);
        p.drawEllipse(QRectF(3, 3, 24, 24));
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(19);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(3, 3, 24, 24), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    }
    p.restore();
}

// 185: the tool-bar images, 30 x 30 each, in tool-bar order (separator excluded).
QImage toolBarImages()
{
    constexpr int kCount = 11;
    QImage img = canvas(30 * kCount, 30);
    QPainter p(&img);
    for (int i = 0; i < kCount; ++i)
        toolIcon(p, i, QRectF(30 * i, 0, 30, 30));
    return img;
}

// The letter "A" of Lexora's icon as a path (a font would differ between machines and the SVG).
QPainterPath letterA()
{
    QPainterPath a;
    a.setFillRule(Qt::OddEvenFill);
    a.addPolygon(QPolygonF({QPointF(18, 35), QPointF(24.5, 13), QPointF(28.5, 13), QPointF(35, 35), QPointF(31, 35),
                            QPointF(29.6, 30), QPointF(23.4, 30), QPointF(22, 35), QPointF(18, 35)}));
    a.addPolygon(QPolygonF({QPointF(24.4, 26.5), QPointF(28.6, 26.5), QPointF(26.5, 19), QPointF(24.4, 26.5)}));
    return a;
}

// The rounded square behind both programs' icons, on a 48-unit grid.
void iconBase(QPainter& p, QColor top, QColor bottom, QColor edge)
{
    QLinearGradient g(0, 0, 0, 48);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(edge, 1.5));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 2, 44, 44), 9, 9);
}

QImage iconCanvas(int size, QPainter& p, QImage& img)
{
    img = QImage(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    p.begin(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 48.0, size / 48.0);
    return img;
}

// 188: the application icon, Lexora's: a word book with a red spine and an "A". Drawn on the
// same grid as data/desktop/icons/org.lexora.Lexora.svg.
QImage appIcon(int size)
{
    QImage img;
    QPainter p;
    iconCanvas(size, p, img);
    iconBase(p, QColor(136, 156, 202), QColor(70, 88, 150), QColor(40, 50, 90));
    p.setPen(QPen(QColor(60, 50, 40), 1.2));
    p.setBrush(QColor(252, 250, 240));
    p.drawRoundedRect(QRectF(10, 8, 28, 33), 2, 2);
    p.setBrush(QColor(214, 70, 50));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(10, 8, 5, 33));
    p.setBrush(QColor(40, 60, 120));
    p.drawPath(letterA());
    p.end();
    return img;
}

// Glosix's icon: a dictionary page under a magnifying glass (data/desktop/icons/org.lexora.Glosix.svg).
QImage glosixIcon(int size)
{
    QImage img;
    QPainter p;
    iconCanvas(size, p, img);
    iconBase(p, QColor(124, 192, 176), QColor(46, 118, 104), QColor(29, 77, 68));
    p.setPen(QPen(QColor(60, 50, 40), 1.2));
    p.setBrush(QColor(252, 250, 240));
    p.drawRoundedRect(QRectF(9, 7, 24, 31), 2, 2);
    p.setPen(QPen(QColor(154, 146, 132), 2, Qt::SolidLine, Qt::RoundCap));
    for (double y : {13.0, 18.0, 23.0})
        p.drawLine(QPointF(13, y), QPointF(29, y));
    p.setPen(QPen(QColor(40, 60, 120), 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(34.7, 33.7), QPointF(41, 40));
    p.setPen(QPen(QColor(40, 60, 120), 3));
    p.setBrush(QColor(200, 230, 255, 160));
    p.drawEllipse(QPointF(29, 28), 8, 8);
    p.end();
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: lexdraw BITMAP_FOLDER [DESKTOP_ICON_FOLDER]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    bool ok = true;
    // The bitmaps and the cursor at 1x and, for screens of device pixel ratio 2, at 2x.
    for (g_scale = 1; g_scale <= 2; ++g_scale) {
        ok = ok && save(speakerCursor(), dir, scaled(QStringLiteral("cursor_143_speaker.png")))
             && save(moreMark(), dir, scaled(QStringLiteral("bitmap_138_more.png")))
             && save(tick(), dir, scaled(QStringLiteral("bitmap_165_tick.png")))
             && save(cross(), dir, scaled(QStringLiteral("bitmap_166_cross.png")))
             && save(toolBarImages(), dir, scaled(QStringLiteral("bitmap_185_toolbar.png")))
             && save(captionButtons(), dir, scaled(QStringLiteral("bitmap_216_caption.png")));
    }
    g_scale = 1;
    for (int size : {16, 32, 48})
        ok = ok && save(appIcon(size), dir, QStringLiteral("icon_188_%1.png").arg(size));
    if (argc == 3) {
        // The launchers' icons, one file per hicolor size (the SVGs beside them are written by hand).
        const QString icons = QString::fromLocal8Bit(argv[2]);
        QDir().mkpath(icons);
        for (int size : {16, 32, 48, 64, 128, 256}) {
            ok = ok && save(appIcon(size), icons, QStringLiteral("org.lexora.Lexora-%1.png").arg(size))
                 && save(glosixIcon(size), icons, QStringLiteral("org.lexora.Glosix-%1.png").arg(size));
        }
    }
    return ok ? 0 : 1;
}
