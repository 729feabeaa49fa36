#include "app/form1.h"

#include "app/face/displaylabel.h"
#include "core/amountformat.h"
#include "input/entryfield.h"
#include "tape/tapeline.h"
#include "tape/tapeview.h"

// Digits and the point are appended as they come; the field's capacity of 14
// characters is the only bound, and a character past it is dropped.
void Form1::DigitKey(int digit) { Text1->setText(Text1->text() + QChar(u'0' + digit)); }

void Form1::DecimalPointKey() { Text1->setText(Text1->text() + QLatin1Char('.')); }

// CA closes a positive total with a separator; any other total stays.
void Form1::ClearAllKey()
{
    CalculatorState& s = m_state;
    if (!(s.Accumulator > 0))
        return;
    s.Accumulator = 0;
    AppendSeparator();
    ClearEntry();
    Label1->setText(FormatAmount(0));
    s.PendingOperator = QStringLiteral("+");
}

// C·CE starts afresh: an empty tape, no total, and the window as it started.
// The pending operator, the memory and the tax rate stay.
void Form1::ClearEntryAndTapeKey()
{
    m_state.Accumulator = 0;
    List1->clear();
    AppendTapeText(StartLine());
    ClearEntry();
    Label1->setText(FormatAmount(0));
    RestoreStartGeometrySoon();
}
