#include "app/form1.h"

#include "core/amountformat.h"
#include "tape/tapeline.h"

void Form1::MemoryStoreKey() { m_state.MemoryValue = m_state.Accumulator; }

// The right button on R·CM empties the memory and flashes the key.
void Form1::MemoryClear()
{
    FlashKeyUntilTick(Key::MemoryStore);
    m_state.MemoryValue = 0;
}

void Form1::MemoryAddKey() { ApplyMemory(QStringLiteral("+M"), m_state.MemoryValue); }

void Form1::MemorySubtractKey() { ApplyMemory(QStringLiteral("-M"), -m_state.MemoryValue); }

// Writes the memory line with the total before the change, adds the memory to
// the total, and shows the new total; the memory itself never changes here.
void Form1::ApplyMemory(const QString& marker, double signedMemory)
{
    CalculatorState& s = m_state;
    s.TapeText = FormatAmount(s.MemoryValue);
    AddTapeLine(EntryColumn(marker, s.TapeText));
    s.Accumulator = s.Accumulator + signedMemory;
    WritePositiveTotal();
    ShowTotal();
}
