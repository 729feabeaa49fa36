#include "app/form1.h"

#include "app/layout.h"

#include <QTimer>

namespace {
constexpr double GrowthStep = 208; // about one tape line

// Once the tape grows, the calculator's bottom edge sits this far below the
// client area, as it does under a classic title bar of 510 twips.
constexpr double CalculatorBelowClientArea = 110;
} // namespace

// Grows the window upward by one step per calculation line until its top
// reaches one fifth of the screen height; from then on the tape scrolls.
void Form1::FitWindowToTape()
{
    if (m_startGeometryTimer->isActive())
        RestoreStartGeometry(); // C·CE's return comes first
    const float growthLimit = static_cast<float>(ScreenHeight()) / 5;
    // Where the window system keeps the window's place to itself, the window
    // may stand anywhere on the screen, and only the size it was shown at is
    // sure to fit there: it keeps that size, and the tape scrolls.
    if (m_platform->placesWindows() && growthLimit < WindowTop()) {
        SetWindowHeight(WindowHeight() + GrowthStep);
        PlaceWindowAboveScreenBottom();
        SetPicture1Top(WindowHeight() - FrameHeight() + CalculatorBelowClientArea -
                       Layout::Picture1AtStart.height());
        SetList1Height(List1Height() + GrowthStep);
    }
    SelectLastTapeLine();
}
