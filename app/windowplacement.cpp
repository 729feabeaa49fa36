// The window's outer geometry and the controls that move, read and set in twips.

#include "app/form1.h"

#include "app/layout.h"
#include "app/twips.h"
#include "tape/tapeview.h"

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

double Form1::WindowLeft() const { return readTwips(m_windowLeft, x()); }

double Form1::WindowTop() const { return readTwips(m_windowTop, y()); }

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
    move(Twips::toPixels(twips), y());
}

void Form1::SetWindowTop(double twips)
{
    m_windowTop = twips;
    move(x(), Twips::toPixels(twips));
}

void Form1::SetWindowHeight(double twips)
{
    m_windowHeight = twips;
    const int client = Twips::toPixels(twips) - verticalFrame(m_platform->frameMargins(*this));
    setFixedHeight(std::max(client, 0));
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
