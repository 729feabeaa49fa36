// The window's outer geometry and the controls that move, read and set in twips.

#include "app/form1.h"

#include "app/layout.h"
#include "app/twips.h"
#include "tape/tapeview.h"

#include <QGuiApplication>
#include <QShowEvent>
#include <QStyleHints>
#include <QTimer>
#include <QWindow>

namespace {

constexpr double GapBelowWindow = 900; // between the window and the bottom of the screen

// A value the program set stays exact as long as the window system has not
// moved the window since; otherwise the window's real position counts.
double readTwips(double stored, int actualPixels)
{
    return Twips::toPixels(stored) == actualPixels ? stored : Twips::fromPixels(actualPixels);
}

int verticalFrame(const QMargins& frame) { return frame.top() + frame.bottom(); }

} // namespace

double Form1::ScreenWidth() const { return Twips::fromPixels(m_platform->screenSize().width()); }

double Form1::ScreenHeight() const { return Twips::fromPixels(m_platform->screenSize().height()); }

// Where the window system keeps where a window stands to itself (Wayland), the
// window stands where the program last put it, as far as the program knows.
double Form1::WindowLeft() const
{
    return m_platform->placesWindows() ? readTwips(m_windowLeft, OuterCorner().x()) : m_windowLeft;
}

double Form1::WindowTop() const
{
    return m_platform->placesWindows() ? readTwips(m_windowTop, OuterCorner().y()) : m_windowTop;
}

// The window is placed by the top-left corner of its client area, the frame
// counted: the window manager keeps the client area where it is asked to be
// and puts its frame around it. A window manager that could not tell the
// frame beforehand then still puts its title bar above the place and not the
// whole window lower. (The toolkit's own pos() counts the frame only once the
// window system has moved the window itself.)
QPoint Form1::OuterCorner() const
{
    const QMargins frame = m_platform->frameMargins(*this);
    return geometry().topLeft() - QPoint(frame.left(), frame.top());
}

void Form1::MoveOuterCorner(const QPoint& to)
{
    const QMargins frame = m_platform->frameMargins(*this);
    setGeometry(QRect(to + QPoint(frame.left(), frame.top()), size()));
}

double Form1::WindowWidth() const
{
    const QMargins frame = m_platform->frameMargins(*this);
    return Twips::fromPixels(width() + frame.left() + frame.right());
}

double Form1::WindowHeight() const
{
    return readTwips(m_windowHeight, height() + verticalFrame(m_platform->frameMargins(*this)));
}

double Form1::FrameHeight() const
{
    return Twips::fromPixels(verticalFrame(m_platform->frameMargins(*this)));
}

double Form1::StartWindowHeight() const { return Layout::ClientArea.height() + FrameHeight(); }

void Form1::SetWindowLeft(double twips)
{
    m_windowLeft = twips;
    MoveOuterCorner(QPoint(Twips::toPixels(twips), OuterCorner().y()));
}

void Form1::SetWindowTop(double twips)
{
    m_windowTop = twips;
    MoveOuterCorner(QPoint(OuterCorner().x(), Twips::toPixels(twips)));
}

// On the screen the window's height changes about its bottom edge, in one
// request: grown with its top fixed and then moved up, it would stand for a
// moment a step below its place. The size limits are widened first and fixed
// again only once the window system reports the new height: a window manager
// that saw the new limits first would resize the window on its own, top fixed.
void Form1::SetWindowHeight(double twips)
{
    m_windowHeight = twips;
    const int client =
        std::max(Twips::toPixels(twips) - verticalFrame(m_platform->frameMargins(*this)), 0);
    if (!isVisible()) {
        setFixedHeight(client);
        return;
    }
    setMinimumHeight(std::min(client, minimumHeight()));
    setMaximumHeight(std::max(client, maximumHeight()));
    m_heightToFix = client;
    QRect area = geometry();
    area.setTop(area.bottom() + 1 - client);
    setGeometry(area);
}

void Form1::FixReportedHeight(int height)
{
    if (height == m_heightToFix)
        setFixedHeight(height);
}

double Form1::List1Top() const { return m_list1Top; }

double Form1::List1Height() const { return m_list1Height; }

double Form1::Picture1Top() const { return m_picture1Top; }

void Form1::SetList1Top(double twips)
{
    m_list1Top = twips;
    List1->setGeometry(
        Twips::toPixels(QRectF(0, m_list1Top, Layout::List1AtStart.width(), m_list1Height)));
}

void Form1::SetList1Height(double twips)
{
    m_list1Height = twips;
    List1->setGeometry(
        Twips::toPixels(QRectF(0, m_list1Top, Layout::List1AtStart.width(), m_list1Height)));
}

void Form1::SetPicture1Top(double twips)
{
    m_picture1Top = twips;
    Picture1->move(Twips::toPixels(QRectF(0, twips, Layout::Picture1AtStart.width(), 0)).topLeft());
}

// The one rule that places the window vertically: its bottom edge 900 twips
// above the bottom of the screen.
void Form1::PlaceWindowAboveScreenBottom()
{
    SetWindowTop(ScreenHeight() - WindowHeight() - GapBelowWindow);
}

void Form1::ApplyStartLayout()
{
    SetList1Top(Layout::List1AtStart.top());
    SetList1Height(Layout::List1AtStart.height());
    SetPicture1Top(Layout::Picture1AtStart.top());
}

void Form1::PlaceAtStart()
{
    SetWindowLeft(ScreenWidth() - WindowWidth());
    PlaceWindowAboveScreenBottom();
    m_placedWithFrame = m_platform->frameMargins(*this);
}

// The window returns to its start size and place only once no second click of
// a double click can follow: moved under the pointer between the two clicks of
// the double click that ends the program, it would take the second click as
// a press of another key, or lose it to whatever lies under the pointer then.
void Form1::RestoreStartGeometrySoon()
{
    m_startGeometryTimer->start(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

void Form1::RestoreStartGeometry()
{
    m_startGeometryTimer->stop();
    SetWindowHeight(StartWindowHeight());
    PlaceWindowAboveScreenBottom();
    ApplyStartLayout();
}

// Only the program sizes the window. Maximized or made full screen all the
// same (some window managers and Wayland's decorations offer it regardless),
// it returns to its own size.
void Form1::DeclineMaximizing()
{
    const Qt::WindowStates states = windowState();
    if (states & (Qt::WindowMaximized | Qt::WindowFullScreen))
        setWindowState(states & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
}

// The native window is made by now, and not yet mapped: the moment to tell
// the window manager what it may do with it.
void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    m_platform->fixWindowSize(*this);
    connect(windowHandle(), &QWindow::heightChanged, this, &Form1::FixReportedHeight,
            Qt::UniqueConnection);
}

// A window manager that did not tell its frame before the window was shown
// puts it around the window all the same: once the window is on the screen,
// the window, still as it started, is placed again by its outer edges. (Later
// moves are the user's own.)
void Form1::PlaceByKnownFrame()
{
    if (!m_placedWithFrame.isNull())
        return;
    const QMargins frame = m_platform->frameMargins(*this);
    if (frame.isNull())
        return;
    m_placedWithFrame = frame;
    const bool asStarted = m_windowHeight == Layout::ClientArea.height() &&
                           m_list1Height == Layout::List1AtStart.height();
    if (asStarted) {
        m_windowHeight = StartWindowHeight();
        PlaceAtStart();
    }
}
