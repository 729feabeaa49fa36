#include "app/form1.h"

#include "tape/printlayout.h"

#include "tape/tapeview.h"

#include <QGuiApplication>

namespace {

// The busy pointer over every window of the program for as long as it lives:
// a long tape takes seconds to lay out and hand to the printer.
class BusyPointer {
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

} // namespace

// A right click on the tape prints it, with or without the running totals, a
// print job per page. Printing changes nothing on the tape or in the calculator.
void Form1::List1_MouseUp(int button)
{
    if (button != Button::Right)
        return;
    const Platform::Answer answer = m_platform->ask(
        this, QStringLiteral("D\u00F6k\u00FCm"),
        QStringLiteral("Yaziciya D\u00F6k\u00FCm. \n D\u00F6k\u00FCm toplamli olsun mu ?"));
    if (answer == Platform::Answer::Cancel)
        return;

    const BusyPointer busy;
    const PrintTotals totals =
        answer == Platform::Answer::Yes ? PrintTotals::With : PrintTotals::Without;
    m_platform->printPages(LayoutPrintPages(List1->lines(), totals));
}
