#include "app/form1.h"

#include "tape/printlayout.h"

#include "tape/tapeview.h"

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

    const PrintTotals totals =
        answer == Platform::Answer::Yes ? PrintTotals::With : PrintTotals::Without;
    m_platform->printPages(LayoutPrintPages(List1->lines(), totals));
}
