#include "app/platform/x11window.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPtr<Reply> owned(Reply* reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

xcb_connection_t* x11Connection()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The names the window manager is asked and told about, interned in one
// round trip, the first time they are needed.
struct Atoms {
    xcb_atom_t supportingCheck, supported, requestExtents, frameExtents, motifHints;
};

const Atoms& atoms(xcb_connection_t* connection)
{
    static const Atoms interned = [connection] {
        const std::array names{"_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED",
                               "_NET_REQUEST_FRAME_EXTENTS", "_NET_FRAME_EXTENTS",
                               "_MOTIF_WM_HINTS"};
        std::array<xcb_intern_atom_cookie_t, names.size()> cookies{};
        for (size_t i = 0; i < names.size(); ++i)
            cookies[i] =
                xcb_intern_atom(connection, false, uint16_t(std::strlen(names[i])), names[i]);
        std::array<xcb_atom_t, names.size()> found{};
        for (size_t i = 0; i < names.size(); ++i) {
            const auto reply = owned(xcb_intern_atom_reply(connection, cookies[i], nullptr));
            found[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        }
        return Atoms{found[0], found[1], found[2], found[3], found[4]};
    }();
    return interned;
}

ReplyPtr<xcb_get_property_reply_t> property(xcb_connection_t* connection, xcb_window_t window,
                                            xcb_atom_t name, xcb_atom_t type, uint32_t length)
{
    const auto cookie = xcb_get_property(connection, false, window, name, type, 0, length);
    return owned(xcb_get_property_reply(connection, cookie, nullptr));
}

std::optional<xcb_window_t> windowIn(const xcb_get_property_reply_t* reply)
{
    if (!reply || xcb_get_property_value_length(reply) != sizeof(xcb_window_t))
        return std::nullopt;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
}

xcb_window_t rootWindow(xcb_connection_t* connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

// A window manager runs when the root names a check window that names itself;
// a name left behind by one that has gone names a window that is gone.
bool windowManagerRuns(xcb_connection_t* connection, xcb_window_t root)
{
    const xcb_atom_t check = atoms(connection).supportingCheck;
    const auto child = windowIn(property(connection, root, check, XCB_ATOM_WINDOW, 1).get());
    return child &&
           windowIn(property(connection, *child, check, XCB_ATOM_WINDOW, 1).get()) == child;
}

bool supports(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t wanted)
{
    const auto supported =
        property(connection, root, atoms(connection).supported, XCB_ATOM_ATOM, 4096);
    if (!supported)
        return false;
    const auto* names = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
    const int count = xcb_get_property_value_length(supported.get()) / int(sizeof(xcb_atom_t));
    return std::find(names, names + count, wanted) != names + count;
}

void requestExtents(xcb_connection_t* connection, xcb_window_t window)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atoms(connection).requestExtents;
    xcb_send_event(connection, false, rootWindow(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

// _NET_FRAME_EXTENTS: left, right, top, bottom.
std::optional<QMargins> extents(xcb_connection_t* connection, xcb_window_t window)
{
    const auto reply =
        property(connection, window, atoms(connection).frameExtents, XCB_ATOM_CARDINAL, 4);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}

} // namespace

bool x11FrameExtentsCanBeAsked()
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return false;
    const xcb_window_t root = rootWindow(connection);
    return windowManagerRuns(connection, root) &&
           supports(connection, root, atoms(connection).requestExtents);
}

std::optional<QMargins> askX11FrameExtents(QWindow& window, std::chrono::milliseconds patience)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return std::nullopt;
    const auto id = xcb_window_t(window.winId());
    requestExtents(connection, id);
    const QDeadlineTimer deadline(patience);
    do {
        if (const auto answer = extents(connection, id))
            return answer;
        QThread::msleep(1);
    } while (!deadline.hasExpired());
    return std::nullopt;
}

std::optional<QMargins> x11FrameExtents(const QWindow& window)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return std::nullopt;
    return extents(connection, xcb_window_t(window.winId()));
}

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
    const xcb_atom_t motif = atoms(connection).motifHints;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window.winId()), motif,
                        motif, 32, 5, hints);
    xcb_flush(connection);
}
