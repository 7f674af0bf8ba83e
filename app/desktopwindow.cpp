#include "app/desktopwindow.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace {

// Told by a pager or the user's own action, which a manager honours across desktops.
constexpr quint32 PagerSource = 2;
// _NET_WM_DESKTOP of a window shown on every desktop.
constexpr quint32 EveryDesktop = 0xFFFFFFFF;

struct FreeReply
{
    void operator()(void* reply) const { std::free(reply); }
};

xcb_connection_t* connection()
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, quint16(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_window_t rootOf(xcb_connection_t* c, xcb_window_t window)
{
    const std::unique_ptr<xcb_get_geometry_reply_t, FreeReply> reply(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    return reply ? reply->root : xcb_window_t(XCB_WINDOW_NONE);
}

std::optional<quint32> cardinal(xcb_connection_t* c, xcb_window_t window, const char* name)
{
    const std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom(c, name), XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    return *static_cast<const quint32*>(xcb_get_property_value(reply.get()));
}

// A request to the window manager about `window`, sent to the root window as EWMH asks.
void ask(xcb_connection_t* c, xcb_window_t window, const char* name, quint32 first, quint32 second)
{
    const xcb_window_t root = rootOf(c, window);
    const xcb_atom_t type = atom(c, name);
    if (root == XCB_WINDOW_NONE || type == XCB_ATOM_NONE)
        return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    event.data.data32[0] = first;
    event.data.data32[1] = second;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}

} // namespace

void DesktopWindow::bringToCurrentDesktop(QWidget* window)
{
    xcb_connection_t* c = connection();
    if (!c || !window->testAttribute(Qt::WA_WState_Created))
        return;
    const auto id = xcb_window_t(window->winId());
    const std::optional<quint32> current = cardinal(c, rootOf(c, id), "_NET_CURRENT_DESKTOP");
    const std::optional<quint32> own = cardinal(c, id, "_NET_WM_DESKTOP");
    if (current && own && *own != EveryDesktop && *own != *current)
        ask(c, id, "_NET_WM_DESKTOP", *current, PagerSource);
}

void DesktopWindow::activate(QWidget* window)
{
    if (xcb_connection_t* c = connection(); c && window->testAttribute(Qt::WA_WState_Created))
        ask(c, xcb_window_t(window->winId()), "_NET_ACTIVE_WINDOW", PagerSource, XCB_CURRENT_TIME);
}
