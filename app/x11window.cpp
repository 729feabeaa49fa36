#include "app/x11window.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPtr<Reply> owned(Reply* reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, false, uint16_t(std::strlen(name)), name);
    const auto reply = owned(xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

ReplyPtr<xcb_get_property_reply_t> property(xcb_connection_t* connection, xcb_window_t window,
                                            xcb_atom_t name, xcb_atom_t type, uint32_t length)
{
    const auto cookie = xcb_get_property(connection, false, window, name, type, 0, length);
    return owned(xcb_get_property_reply(connection, cookie, nullptr));
}

// A window manager runs when the root names a check window that names itself.
bool windowManagerRuns(xcb_connection_t* connection, xcb_window_t root)
{
    const xcb_atom_t check = atom(connection, "_NET_SUPPORTING_WM_CHECK");
    const auto onRoot = property(connection, root, check, XCB_ATOM_WINDOW, 1);
    if (!onRoot || xcb_get_property_value_length(onRoot.get()) != 4)
        return false;
    const auto child = *static_cast<xcb_window_t*>(xcb_get_property_value(onRoot.get()));
    const auto onChild = property(connection, child, check, XCB_ATOM_WINDOW, 1);
    return onChild && xcb_get_property_value_length(onChild.get()) == 4 &&
           *static_cast<xcb_window_t*>(xcb_get_property_value(onChild.get())) == child;
}

bool supports(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t wanted)
{
    const auto supported =
        property(connection, root, atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 4096);
    if (!supported)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
    const int count = xcb_get_property_value_length(supported.get()) / int(sizeof(xcb_atom_t));
    return std::find(atoms, atoms + count, wanted) != atoms + count;
}

void requestExtents(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window,
                    xcb_atom_t request)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = request;
    xcb_send_event(connection, false, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

// _NET_FRAME_EXTENTS: left, right, top, bottom.
std::optional<QMargins> extents(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name)
{
    const auto reply = property(connection, window, name, XCB_ATOM_CARDINAL, 4);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}

xcb_connection_t* x11Connection()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

void forbidX11Resizing(QWindow& window)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    // The Motif hints: which hints are given, the functions, the decorations.
    enum : uint32_t { Functions = 1 << 0, Decorations = 1 << 1 };
    enum : uint32_t { Move = 1 << 2, Minimize = 1 << 3, Close = 1 << 5 };
    enum : uint32_t { Border = 1 << 1, Title = 1 << 3, Menu = 1 << 4, MinimizeButton = 1 << 5 };
    const uint32_t hints[5] = {Functions | Decorations, Move | Minimize | Close,
                               Border | Title | Menu | MinimizeButton, 0, 0};
    const xcb_atom_t motif = atom(connection, "_MOTIF_WM_HINTS");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window.winId()), motif,
                        motif, 32, 5, hints);
    xcb_flush(connection);
}

std::optional<QMargins> askX11FrameExtents(QWindow& window, std::chrono::milliseconds patience)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return std::nullopt;
    const auto id = xcb_window_t(window.winId());
    const auto tree =
        owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, id), nullptr));
    if (!tree)
        return std::nullopt;
    const xcb_window_t root = tree->root;
    const xcb_atom_t request = atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    if (!windowManagerRuns(connection, root) || !supports(connection, root, request))
        return std::nullopt;

    const xcb_atom_t frameExtents = atom(connection, "_NET_FRAME_EXTENTS");
    requestExtents(connection, root, id, request);
    const QDeadlineTimer deadline(patience);
    do {
        if (const auto answer = extents(connection, id, frameExtents))
            return answer;
        QThread::msleep(1);
    } while (!deadline.hasExpired());
    return std::nullopt;
}
