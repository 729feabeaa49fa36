#include "app/form1.h"

#include "core/amountformat.h"
#include "keys/taxrate.h"
#include "resources/maker.h"
#include "tape/tapeline.h"

namespace {

// The tax amount as it is written: rounded to 15 significant digits first.
QString taxAmountText(double amount) { return FormatAmount(RoundToSignificantDigits(amount, 15)); }

double taxFactor(std::int16_t rate) { return rate / 100.0 + 1; }

} // namespace

void Form1::AddTaxKey()
{
    CalculatorState& s = m_state;
    ApplyTax(QStringLiteral("+V"), taxFactor(s.TaxRate) * s.Accumulator);
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
    ApplyTax(QStringLiteral("-V"), m_state.Accumulator / taxFactor(m_state.TaxRate));
    WritePositiveTotal();
    ShowTotal();
}

// Writes the tax line with the total before the change, then takes the new total.
void Form1::ApplyTax(const QString& marker, double newTotal)
{
    CalculatorState& s = m_state;
    s.TapeText = taxAmountText(newTotal - s.Accumulator);
    AddTapeLine(EntryColumn(marker, s.TapeText));
    s.Accumulator = newTotal;
}

void Form1::AskTaxRate()
{
    const std::optional<QString> answer =
        m_platform->askText(this, MakerAddress(), QStringLiteral("Vergi % sini girin"),
                            QString::number(m_state.TaxRate));
    m_state.TaxRate = TaxRateFromAnswer(answer, m_state.TaxRate);
}
