#include "app/form1.h"

#include "app/announcer.h"

#include "core/amountformat.h"
#include "tape/tapeline.h"

#include "tape/tapeview.h"

// Writes a calculation line: the caller's entry column, then the running total.
void Form1::AddTapeLine(const QString& entryColumn)
{
    m_state.TapeText = FormatAmount(m_state.Accumulator);
    AppendTapeText(TapeLine(entryColumn, m_state.TapeText));
    FitWindowToTape();
}

// Appends a line as it stands, without a running total and without growing the
// window; a screen reader is told the line.
void Form1::AppendTapeText(const QString& line)
{
    List1->addLine(line);
    m_announcer->say(line);
}

void Form1::SelectLastTapeLine() { List1->setCurrentRow(List1->count() - 1); }
