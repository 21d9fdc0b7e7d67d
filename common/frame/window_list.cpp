#include "common/frame/window_list.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#if LEXORA_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <cstdlib>
#endif

namespace lex {

namespace {

std::vector<EdgeRect> ownWindows(const QWidget* self)
{
    std::vector<EdgeRect> out;
    const QWidget* selfWindow = self ? self->window() : nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == selfWindow || !w->isVisible() || w->isMaximized() || w->isMinimized())
            continue;
        if (w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip)
            continue;
        out.push_back(EdgeRect::fromQRect(w->frameGeometry()));
    }
    return out;
}

#if LEXORA_HAVE_XCB
xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, static_cast<uint16_t>(strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

// The property as 32-bit values (windows, atoms or cardinals); empty when missing.
std::vector<uint32_t> property32(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type)
{
    std::vector<uint32_t> values;
    if (prop == XCB_ATOM_NONE)
        return values;
    xcb_get_property_reply_t* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 4096), nullptr);
    if (r && r->format == 32) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(r));
        values.assign(data, data + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return values;
}

bool x11Windows(const QWidget* self, std::vector<EdgeRect>* out)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t stacking = atom(c, "_NET_CLIENT_LIST_STACKING");
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    const xcb_atom_t maxV = atom(c, "_NET_WM_STATE_MAXIMIZED_VERT");
    const xcb_atom_t maxH = atom(c, "_NET_WM_STATE_MAXIMIZED_HORZ");
    const xcb_atom_t hidden = atom(c, "_NET_WM_STATE_HIDDEN");
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");

    std::vector<uint32_t> list = property32(c, root, stacking, XCB_ATOM_WINDOW);
    if (list.empty())
        return false;   // no EWMH window manager: fall back to our own windows
    const xcb_window_t selfId = self && self->window()->windowHandle()
                                    ? static_cast<xcb_window_t>(self->window()->winId()) : 0;

    // The list runs bottom to top; the rule wants top to bottom.
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        const xcb_window_t w = *it;
        if (w == selfId)
            continue;
        xcb_get_window_attributes_reply_t* attr =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
        const bool viewable = attr && attr->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attr);
        if (!viewable)
            continue;
        const std::vector<uint32_t> st = property32(c, w, state, XCB_ATOM_ATOM);
        bool v = false, h = false, hide = false;
        for (uint32_t a : st) {
            v |= a == maxV;
            h |= a == maxH;
            hide |= a == hidden;
        }
        if ((v && h) || hide)
            continue;
        xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
        xcb_translate_coordinates_reply_t* t =
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr);
        if (g && t) {
            EdgeRect r{t->dst_x, t->dst_y, t->dst_x + g->width, t->dst_y + g->height};
            const std::vector<uint32_t> ext = property32(c, w, extents, XCB_ATOM_CARDINAL);
            if (ext.size() == 4) {   // left, right, top, bottom decorations
                r.left -= static_cast<int>(ext[0]);
                r.right += static_cast<int>(ext[1]);
                r.top -= static_cast<int>(ext[2]);
                r.bottom += static_cast<int>(ext[3]);
            }
            out->push_back(r);
        }
        std::free(g);
        std::free(t);
    }
    return true;
}
#endif

} // namespace

std::vector<EdgeRect> otherWindowRects(const QWidget* self)
{
#if LEXORA_HAVE_XCB
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        std::vector<EdgeRect> out;
        if (x11Windows(self, &out))
            return out;
    }
#endif
    return ownWindows(self);
}

} // namespace lex
