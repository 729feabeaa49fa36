#include "app/form1.h"

#include "core/amountformat.h"
#include "keys/taxrate.h"
#include "resources/maker.h"
#include "tape/tapeline.h"

namespace {

// The tax amount as it is written: rounded to 15 significant digits first.
QString taxAmountText(double amount) { return FormatAmount(RoundToSignificantDigits(amount, 15)); }

} // namespace

void Form1::AddTaxKey()
{
    CalculatorState& s = m_state;
    const double factor = s.TaxRate / 100.0 + 1;
    s.TapeText = taxAmountText(factor * s.Accumulator - s.Accumulator);
    AddTapeLine(EntryColumn(QStringLiteral("+V"), s.TapeText));
    s.Accumulator = factor * s.Accumulator;
    if (s.Accumulator > 0) {
        // Above the total-line limit only the overflow text is written; the
        // total stays, and the result display decides whether it overflows.
        if (ExceedsTotalLine(s.Accumulator))
            AddTapeLine(OverflowText());
        else
            WriteTotalLine();
        s.PendingOperator = QStringLiteral("+");
    }
    ShowTotal();
}

void Form1::RemoveTaxKey()
{
    CalculatorState& s = m_state;
    const double factor = s.TaxRate / 100.0 + 1;
    s.TapeText = taxAmountText(s.Accumulator / factor - s.Accumulator);
    AddTapeLine(EntryColumn(QStringLiteral("-V"), s.TapeText));
    s.Accumulator = s.Accumulator / factor;
    if (s.Accumulator > 0) {
        if (ExceedsTotalLine(s.Accumulator))
            ShowOverflow();
        else
            WriteTotalLine();
        s.PendingOperator = QStringLiteral("+");
    }
    ShowTotal();
}

void Form1::AskTaxRate()
{
    const std::optional<QString> answer =
        m_platform->askText(this, MakerAddress(), QStringLiteral("Vergi % sini girin"),
                            QString::number(m_state.TaxRate));
    m_state.TaxRate = TaxRateFromAnswer(answer, m_state.TaxRate);
}
