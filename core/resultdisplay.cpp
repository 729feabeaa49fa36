// The result display, the entry's tape line, and the overflow display.

#include "app/form1.h"

#include "app/announcer.h"
#include "app/face/displaylabel.h"
#include "core/amountformat.h"
#include "input/entryfield.h"
#include "tape/tapeline.h"

void Form1::ShowTotal()
{
    CalculatorState& s = m_state;
    if (ExceedsResultDisplay(s.Accumulator)) {
        ShowOverflow();
        return;
    }
    Label1->setText(FormatAmount(s.Accumulator));
    ClearEntry();
    s.PendingOperator = QStringLiteral("+");
    s.LastOperator.clear();
    Label2->setText(s.PendingOperator);
}

void Form1::PostEntry()
{
    CalculatorState& s = m_state;
    s.EntryValue = Entry();
    s.TapeText = FormatAmount(s.EntryValue);
    AddTapeLine(EntryColumn(s.LastOperator, s.TapeText));
    if (ExceedsResultDisplay(s.Accumulator)) {
        ShowOverflow();
        return;
    }
    Label1->setText(FormatAmount(s.Accumulator));
}

// Writes the overflow line with the total that overflowed, then starts afresh.
// The operator box keeps showing the operator that led here.
void Form1::ShowOverflow()
{
    CalculatorState& s = m_state;
    AddTapeLine(OverflowText());
    s.Accumulator = 0;
    AppendSeparator();
    ClearEntry();
    Label1->setText(FormatAmount(0));
    s.LastOperator.clear();
    s.PendingOperator = QStringLiteral("+");
}

// A rule of underscores and two blank lines, written straight onto the tape.
void Form1::AppendSeparator()
{
    AppendTapeText(SeparatorLine());
    AppendTapeText(BlankLine());
    AppendTapeText(BlankLine());
    SelectLastTapeLine();
}

// A key press tells a screen reader the tape lines it writes and then, if it
// changed the result display, the display's new text. A key press drops what
// the one before has not yet said: when keys come faster than speech, the
// latest wins.
QString Form1::StartKeyAnnouncement()
{
    if (!Announcer::listening())
        return {};
    m_announcer->startOver();
    return Label1->text();
}

void Form1::FinishKeyAnnouncement(const QString& resultBefore)
{
    if (Announcer::listening() && Label1->text() != resultBefore)
        m_announcer->say(Label1->text());
}
