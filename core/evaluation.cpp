// Applying the pending operator to the running total and the typed entry.

#include "app/form1.h"

#include "core/amountformat.h"
#include "input/entryfield.h"
#include "tape/tapeline.h"

#include <QLabel>

namespace {

bool isArithmetic(const QString& op)
{
    return op == u"+" || op == u"-" || op == u"*" || op == u"/";
}

// The four percent rules: p is the given percent of the total.
double applyPercent(const QString& op, double total, double entry, double p)
{
    if (op == u"+")
        return p + total;
    if (op == u"-")
        return total - p;
    if (op == u"*")
        return p;
    // Taking a total as a percentage of the whole: 200 ÷ 10 % gives 2000.
    // A zero entry divides by zero and ends in the overflow display.
    return total / entry * 100;
}

} // namespace

double Form1::Entry() const { return ParseLeadingNumber(Text1->text()); }

void Form1::ApplyPendingOperator()
{
    CalculatorState& s = m_state;
    Label2->setText(s.PendingOperator);
    if (Text1->text().isEmpty())
        return;

    if (s.PendingOperator == u"%" && isArithmetic(s.LastOperator)) {
        const double entry = Entry();
        const double p = s.Accumulator / 100 * entry;
        s.TapeText = FormatAmount(p);
        AddTapeLine(EntryColumn(QStringLiteral("%"), s.TapeText));
        s.Accumulator = applyPercent(s.LastOperator, s.Accumulator, entry, p);
        ShowTotal();
        ClearEntry();
        return;
    }

    const double entry = Entry();
    if (s.LastOperator == u"+")
        s.Accumulator = entry + s.Accumulator;
    else if (s.LastOperator == u"-")
        s.Accumulator = s.Accumulator - entry;
    else if (s.LastOperator == u"*")
        s.Accumulator = entry * s.Accumulator;
    else if (s.LastOperator == u"/" && entry > 0)
        s.Accumulator = s.Accumulator / entry;
    else
        return; // nothing to apply: the entry stays where it is
    PostEntry();
    ClearEntry();
}
