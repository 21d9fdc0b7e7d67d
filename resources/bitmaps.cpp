#include "resources/resources.h"

#include <QBitmap>
#include <QGuiApplication>

namespace lex::res {

namespace {
QString pathOf(int id)
{
    switch (id) {
    case IDB_MORE: return QStringLiteral(":/lexora/bitmaps/bitmap_138_more.png");
    case IDC_SPEAKER: return QStringLiteral(":/lexora/bitmaps/cursor_143_speaker.png");
    case IDB_TICK: return QStringLiteral(":/lexora/bitmaps/bitmap_165_tick.png");
    case IDB_CROSS: return QStringLiteral(":/lexora/bitmaps/bitmap_166_cross.png");
    case IDB_TOOLBAR: return QStringLiteral(":/lexora/bitmaps/bitmap_185_toolbar.png");
    case IDB_CAPTION_BUTTONS: return QStringLiteral(":/lexora/bitmaps/bitmap_216_caption.png");
    case IDI_APP: return QStringLiteral(":/lexora/bitmaps/icon_188_32.png");
    default: return {};
    }
}
} // namespace

QPixmap bitmap(int id)
{
    const QString path = pathOf(id);
    if (path.isEmpty())
        return {};
    // On a screen of device pixel ratio 2 the bitmap drawn at twice the size, when there is one:
    // its device-independent size is the 1x size, so layouts stay as they are.
    if (qGuiApp && qGuiApp->devicePixelRatio() > 1.0) {
        QString twin = path;
        twin.replace(QStringLiteral(".png"), QStringLiteral("@2x.png"));
        QPixmap pm(twin);
        if (!pm.isNull()) {
            pm.setDevicePixelRatio(2.0);
            return pm;
        }
    }
    return QPixmap(path);
}

QPixmap transparentBitmap(int id)
{
    QPixmap pm = bitmap(id);
    if (!pm.isNull())
        pm.setMask(pm.createMaskFromColor(QColor(0, 0, 0), Qt::MaskInColor));
    return pm;
}

QPixmap toolBarImage(int index)
{
    const QPixmap strip = transparentBitmap(IDB_TOOLBAR);
    const qreal dpr = strip.devicePixelRatio();
    if (index < 0 || (index + 1) * 30 > strip.deviceIndependentSize().width())
        return {};
    QPixmap image = strip.copy(QRectF(index * 30 * dpr, 0, 30 * dpr, 30 * dpr).toRect());
    image.setDevicePixelRatio(dpr);
    return image;
}

QCursor cursor(int id)
{
    if (id == IDC_SPEAKER)
        return QCursor(bitmap(IDC_SPEAKER), 4, 15);
    return QCursor(Qt::ArrowCursor);
}

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/lexora/bitmaps/icon_188_%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace lex::res
