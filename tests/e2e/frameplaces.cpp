// Where the program's window stood on an X display, from the X server's own
// reports about the root window's children.

#include "desktops.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <deque>
#include <memory>

namespace {

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPtr<Reply> owned(Reply* reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

struct Report {
    enum Kind { Placed, Mapped, Unmapped } kind;
    xcb_window_t window;
    QRect outer;
};

QRect outerRect(int16_t x, int16_t y, uint16_t width, uint16_t height, uint16_t border)
{
    return QRect(x, y, width + 2 * border, height + 2 * border);
}

// WM_CLASS: instance and class, each ended by a zero byte.
bool isProgramWindow(xcb_connection_t* connection, xcb_window_t window)
{
    const auto reply = owned(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, false, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64),
        nullptr));
    if (!reply)
        return false;
    const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply.get())),
                           xcb_get_property_value_length(reply.get()));
    return value.split('\0').value(1) == "Serit";
}

QList<xcb_window_t> children(xcb_connection_t* connection, xcb_window_t window)
{
    const auto reply =
        owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!reply)
        return {};
    const xcb_window_t* first = xcb_query_tree_children(reply.get());
    return QList<xcb_window_t>(first, first + xcb_query_tree_children_length(reply.get()));
}

bool viewable(xcb_connection_t* connection, xcb_window_t window)
{
    const auto reply = owned(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

// The shown child of the root that holds the program's window (a frame, or
// the window itself), found breadth first.
xcb_window_t programTopLevel(xcb_connection_t* connection, xcb_window_t root)
{
    for (const xcb_window_t topLevel : children(connection, root)) {
        if (!viewable(connection, topLevel))
            continue;
        std::deque<xcb_window_t> toSee{topLevel};
        while (!toSee.empty()) {
            const xcb_window_t window = toSee.front();
            toSee.pop_front();
            if (isProgramWindow(connection, window))
                return topLevel;
            for (const xcb_window_t child : children(connection, window))
                toSee.push_back(child);
        }
    }
    return XCB_WINDOW_NONE;
}

} // namespace

struct FramePlaces::Recorder {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;
    QList<Report> reports;

    void collect()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            switch (event->response_type & 0x7f) {
            case XCB_CREATE_NOTIFY: {
                const auto* e = reinterpret_cast<xcb_create_notify_event_t*>(event);
                reports.append({Report::Placed, e->window,
                                outerRect(e->x, e->y, e->width, e->height, e->border_width)});
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                const auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                reports.append({Report::Placed, e->window,
                                outerRect(e->x, e->y, e->width, e->height, e->border_width)});
                break;
            }
            case XCB_MAP_NOTIFY:
                reports.append(
                    {Report::Mapped, reinterpret_cast<xcb_map_notify_event_t*>(event)->window, {}});
                break;
            case XCB_UNMAP_NOTIFY:
                reports.append({Report::Unmapped,
                                reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window,
                                {}});
                break;
            }
            std::free(event);
        }
    }
};

FramePlaces::FramePlaces(const QString& display)
    : m_recorder(std::make_unique<Recorder>())
{
    const QByteArray name = display.toLocal8Bit();
    m_recorder->connection = xcb_connect(display.isEmpty() ? nullptr : name.constData(), nullptr);
    if (xcb_connection_has_error(m_recorder->connection))
        return;
    m_recorder->root = xcb_setup_roots_iterator(xcb_get_setup(m_recorder->connection)).data->root;
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    // Checked, so that recording has begun once the constructor returns.
    const xcb_void_cookie_t cookie = xcb_change_window_attributes_checked(
        m_recorder->connection, m_recorder->root, XCB_CW_EVENT_MASK, &events);
    std::free(xcb_request_check(m_recorder->connection, cookie));
}

FramePlaces::~FramePlaces() { xcb_disconnect(m_recorder->connection); }

QList<QRect> FramePlaces::ofProgram(const QSize& window)
{
    if (xcb_connection_has_error(m_recorder->connection))
        return {};
    m_recorder->collect();
    const xcb_window_t topLevel = programTopLevel(m_recorder->connection, m_recorder->root);
    QList<QRect> places;
    QRect now;
    bool mapped = false;
    for (const Report& report : m_recorder->reports) {
        if (report.window != topLevel)
            continue;
        if (report.kind == Report::Placed)
            now = report.outer;
        mapped = report.kind == Report::Mapped || (mapped && report.kind == Report::Placed);
        if (mapped && report.kind != Report::Unmapped && now.width() >= window.width() &&
            now.height() >= window.height())
            places.append(now);
    }
    return places;
}
