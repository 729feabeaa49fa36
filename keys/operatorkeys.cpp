#include "app/form1.h"

#include "core/amountformat.h"
#include "tape/tapeline.h"

// An operator key applies the operator that was pending to the entry, and
// becomes the pending operator itself.
void Form1::OperatorKey(const QString& op)
{
    m_state.LastOperator = m_state.PendingOperator;
    m_state.PendingOperator = op;
    ApplyPendingOperator();
}

// "=" applies the pending operator and, when the total is positive, writes it
// as a total line; the total carries on.
void Form1::EqualsKey()
{
    CalculatorState& s = m_state;
    s.LastOperator = s.PendingOperator;
    ApplyPendingOperator();
    WritePositiveTotal();
}

// A positive total is written as a total line, or overflows above the
// total-line limit; either way "+" is pending afterwards.
void Form1::WritePositiveTotal()
{
    if (!(m_state.Accumulator > 0))
        return;
    if (ExceedsTotalLine(m_state.Accumulator))
        ShowOverflow();
    else
        WriteTotalLine();
    m_state.PendingOperator = QStringLiteral("+");
}

void Form1::WriteTotalLine()
{
    m_state.TapeText = FormatAmount(m_state.Accumulator);
    AddTapeLine(EntryColumn(QStringLiteral("T"), m_state.TapeText));
}
