#include "eventcheck.h"

#include "amountoracle.h"
#include "keyrules.h"
#include "keys/keytable.h"
#include "tapereading.h"

#include <QRegularExpression>

#include <cmath>

namespace {

// The checks of one event; each failed expectation adds a message.
class EventCheck {
public:
    EventCheck(FormDriver& driver, const Snapshot& before, const ModalAnswers& modals)
        : m_driver(driver)
        , m_before(before)
        , m_after(takeSnapshot(driver))
        , m_modals(modals)
        , m_tape(inspectNewLines(driver, before))
    {
    }

    void invariants();
    void effect(const Delivered& event);
    void displays(const Delivered& event);
    QString errors() const { return m_errors.join(QStringLiteral("; ")); }

private:
    void expect(bool condition, const QString& what)
    {
        if (!condition)
            m_errors.append(what);
    }
    void expectText(const QString& actual, const QString& expected, const char* what)
    {
        if (actual != expected)
            m_errors.append(QStringLiteral("%1 is \"%2\", expected \"%3\"")
                                .arg(QLatin1String(what), actual, expected));
    }

    void key(int index, int button);
    void character(char16_t c);
    void print();
    void operatorKey(const QString& op);
    void equalsKey();
    void memoryKey(const QString& marker, double signedMemory);
    void taxKey(const QString& marker);
    void clearAll();
    void clearTape();

    // Nothing of the calculation changed: total, memory, rate.
    void sameCalculation();
    void sameOperators() { operators(m_before.state.PendingOperator, m_before.state.LastOperator); }
    void sameTape();
    void entryBecomes(const QString& text) { expectText(m_after.entry, text, "the entry"); }
    // The program shows the total and empties the entry field, also where that
    // changes nothing: both displays then show their values, blank before or not.
    void showsTotalAndEmptiesEntry()
    {
        entryBecomes(QString());
        m_shown = true;
    }
    void operators(const QString& pending, const QString& last);
    void firstLine(const QString& marker, const QString& amount = QString());
    // The first new line's amount, up to half a cent and the floating-point
    // noise of a model that takes its steps in another order.
    void firstAmountNear(double expected);
    // The total after the event, as the rule computes it, unless it overflowed;
    // `scale` is the size of the numbers it was computed from.
    void totalBecomes(double expected, double scale = 0);
    void noBoxesBut(int taxBoxes, int creditsBoxes, int printQuestions);

    FormDriver& m_driver;
    const Snapshot& m_before;
    Snapshot m_after;
    const ModalAnswers& m_modals;
    NewLines m_tape;
    QStringList m_errors;
    bool m_shown = false;
};

void EventCheck::invariants()
{
    const CalculatorState& s = m_after.state;
    expect(std::isfinite(s.Accumulator) && s.Accumulator <= 999999999999999.0,
           QStringLiteral("the total %1 is not a finite number up to 999999999999999")
               .arg(s.Accumulator, 0, 'g', 17));
    static const QStringList ops{"+", "-", "*", "/", "%"};
    expect(ops.contains(s.PendingOperator),
           QStringLiteral("PendingOperator is \"%1\"").arg(s.PendingOperator));
    expect(s.LastOperator.isEmpty() || ops.contains(s.LastOperator),
           QStringLiteral("LastOperator is \"%1\"").arg(s.LastOperator));
    static const QRegularExpression entryText(QStringLiteral("^[0-9.]{0,14}$"));
    expect(entryText.match(m_after.entry).hasMatch(),
           QStringLiteral("the entry field holds \"%1\"").arg(m_after.entry));
    expect(s.TaxRate != 0, QStringLiteral("the tax rate is 0"));
    expect(s.CreditsKeyCount >= 0 && s.CreditsKeyCount < 100,
           QStringLiteral("the credits count is %1").arg(s.CreditsKeyCount));
    expect(m_driver.form().focusWidget() == m_driver.entryField(),
           QStringLiteral("the entry field has lost the focus"));
    m_errors.append(checkGeometry(m_driver, m_after.growthSteps));
    m_errors.append(m_tape.errors);
}

// A fresh window's displays stay blank until something is shown in them; every
// typed character refreshes the entry display.
void EventCheck::displays(const Delivered& event)
{
    const bool entryShown = m_shown || !m_before.label4.isEmpty() || !m_after.entry.isEmpty() ||
                            event.kind == Delivered::Kind::Character;
    expectText(m_after.label4, entryShown ? OracleFormat(entryValue(m_after.entry)) : QString(),
               "Label4");
    const bool totalShown = m_shown || m_tape.reset || !m_before.label1.isEmpty();
    expectText(m_after.label1, totalShown ? OracleFormat(m_after.state.Accumulator) : QString(),
               "Label1");
}

void EventCheck::effect(const Delivered& event)
{
    const int typedKey =
        event.kind == Delivered::Kind::Character ? keyTypedBy(event.character) : -1;
    const bool credits = event.kind == Delivered::Kind::Character && event.character == u'S' &&
                         m_before.state.CreditsKeyCount == 99;
    const bool taxBox = event.kind == Delivered::Kind::Key && event.button == Button::Right &&
                        (event.key == Key::AddTax || event.key == Key::RemoveTax);
    noBoxesBut(taxBox ? 1 : 0, credits ? 1 : 0, event.kind == Delivered::Kind::Print ? 1 : 0);
    if (!(event.kind == Delivered::Kind::Character && event.character == u'S'))
        expect(m_after.state.CreditsKeyCount == m_before.state.CreditsKeyCount,
               QStringLiteral("the credits count changed"));

    if (typedKey >= 0) {
        key(typedKey, Button::Left);
        return;
    }
    switch (event.kind) {
    case Delivered::Kind::Key:
        key(event.key, event.button);
        break;
    case Delivered::Kind::Character:
        character(event.character);
        break;
    case Delivered::Kind::Print:
        print();
        break;
    case Delivered::Kind::Nothing:
        sameCalculation();
        sameOperators();
        sameTape();
        entryBecomes(m_before.entry);
        break;
    }
}

void EventCheck::key(int index, int button)
{
    const CalculatorState& was = m_before.state;
    if (button != Button::Left) {
        sameTape();
        entryBecomes(m_before.entry);
        operators(was.PendingOperator, was.LastOperator);
        expect(m_after.state.Accumulator == was.Accumulator, QStringLiteral("the total changed"));
        const bool memoryCleared = button == Button::Right && index == Key::MemoryStore;
        expect(m_after.state.MemoryValue == (memoryCleared ? 0 : was.MemoryValue),
               QStringLiteral("the memory is %1").arg(m_after.state.MemoryValue));
        std::int16_t rate = was.TaxRate;
        if (button == Button::Right && (index == Key::AddTax || index == Key::RemoveTax))
            rate = rateAfterAnswer(m_modals.taxAnswer, was.TaxRate);
        expect(
            m_after.state.TaxRate == rate,
            QStringLiteral("the tax rate is %1, expected %2").arg(m_after.state.TaxRate).arg(rate));
        return;
    }
    if (index <= 9 || index == Key::DecimalPoint) {
        sameCalculation();
        sameOperators();
        sameTape();
        entryBecomes(appended(m_before.entry, index <= 9 ? QChar(u'0' + index) : QChar(u'.')));
        return;
    }
    switch (index) {
    case Key::Equals:
        return equalsKey();
    case Key::MemoryStore:
        sameTape();
        sameOperators();
        entryBecomes(m_before.entry);
        expect(m_after.state.MemoryValue == was.Accumulator &&
                   m_after.state.Accumulator == was.Accumulator,
               QStringLiteral("R·CM did not copy the total into the memory"));
        return;
    case Key::MemorySubtract:
        return memoryKey(QStringLiteral("-M"), -was.MemoryValue);
    case Key::MemoryAdd:
        return memoryKey(QStringLiteral("+M"), was.MemoryValue);
    case Key::ClearAll:
        return clearAll();
    case Key::AddTax:
        return taxKey(QStringLiteral("+V"));
    case Key::RemoveTax:
        return taxKey(QStringLiteral("-V"));
    case Key::ClearEntryAndTape:
        return clearTape();
    default:
        return operatorKey(QString(QLatin1Char("+-*/%"[index - Key::Plus])));
    }
}

void EventCheck::character(char16_t c)
{
    sameCalculation();
    sameOperators();
    sameTape();
    const QString& entry = m_before.entry;
    if (c >= u'0' && c <= u'9')
        entryBecomes(appended(entry, QChar(c)));
    else if (c == u'.' || c == u',')
        entryBecomes(entry.contains(u'.') ? entry : appended(entry, QChar(u'.')));
    else if (c == u'\b')
        entryBecomes(entry.chopped(entry.isEmpty() ? 0 : 1));
    else
        entryBecomes(entry);
    if (c == u'S')
        expect(m_after.state.CreditsKeyCount == (m_before.state.CreditsKeyCount + 1) % 100,
               QStringLiteral("the credits count is %1").arg(m_after.state.CreditsKeyCount));
}

// Printing takes every line, with its total or cut to 23 characters, 60 rows a
// page, and changes nothing on the tape or in the calculation.
void EventCheck::print()
{
    sameCalculation();
    sameOperators();
    sameTape();
    entryBecomes(m_before.entry);
    const int perPage = m_modals.printAnswer == 'Y' ? 120 : m_modals.printAnswer == 'N' ? 180 : 0;
    const qsizetype pages = perPage ? (m_before.tapeCount + perPage - 1) / perPage : 0;
    expect(m_after.printedPages - m_before.printedPages == pages,
           QStringLiteral("%1 pages printed, expected %2")
               .arg(m_after.printedPages - m_before.printedPages)
               .arg(pages));
    const QList<QStringList>& printed = m_driver.platform().printedJobs;
    for (qsizetype page = m_before.printedPages; page < printed.size(); ++page)
        expect(printed.at(page).size() == 60,
               QStringLiteral("a page of %1 rows").arg(printed.at(page).size()));
}

void EventCheck::operatorKey(const QString& op)
{
    const CalculatorState& was = m_before.state;
    const QString last = was.PendingOperator;
    const double entry = entryValue(m_before.entry);
    if (!m_before.entry.isEmpty() && op == u"%" && isArithmetic(last)) {
        const double percent = percentOf(was.Accumulator, entry);
        firstLine(QStringLiteral("%"));
        firstAmountNear(percent);
        totalBecomes(percentTotal(last, was.Accumulator, entry), was.Accumulator + percent);
        showsTotalAndEmptiesEntry();
        operators(QStringLiteral("+"), QString());
        return;
    }
    if (!m_before.entry.isEmpty() && applies(last, entry)) {
        firstLine(last, OracleFormat(entry));
        totalBecomes(plainTotal(last, was.Accumulator, entry));
        showsTotalAndEmptiesEntry();
    } else {
        sameTape();
        sameCalculation();
        entryBecomes(m_before.entry);
    }
    if (m_tape.reset)
        operators(QStringLiteral("+"), QString());
    else
        operators(op, last);
}

void EventCheck::equalsKey()
{
    const CalculatorState& was = m_before.state;
    const QString last = was.PendingOperator;
    const double entry = entryValue(m_before.entry);
    const bool applied = !m_before.entry.isEmpty() && applies(last, entry);
    if (applied) {
        firstLine(last, OracleFormat(entry));
        totalBecomes(plainTotal(last, was.Accumulator, entry));
    } else if (was.Accumulator > 0) {
        firstLine(was.Accumulator > 99999999999999.0 ? overflowText() : QStringLiteral("T"));
        totalBecomes(was.Accumulator);
    } else {
        sameTape();
        sameCalculation();
    }
    if (applied || m_tape.reset)
        showsTotalAndEmptiesEntry();
    else
        entryBecomes(m_before.entry);
    if (m_tape.reset)
        operators(QStringLiteral("+"), QString());
    else
        operators(m_after.state.Accumulator > 0 ? QStringLiteral("+") : last, last);
}

void EventCheck::memoryKey(const QString& marker, double signedMemory)
{
    const CalculatorState& was = m_before.state;
    firstLine(marker, OracleFormat(was.MemoryValue));
    totalBecomes(was.Accumulator + signedMemory);
    expect(m_after.state.MemoryValue == was.MemoryValue, QStringLiteral("the memory changed"));
    showsTotalAndEmptiesEntry();
    operators(QStringLiteral("+"), QString());
}

void EventCheck::taxKey(const QString& marker)
{
    const CalculatorState& was = m_before.state;
    const double taxed = taxedTotal(marker == u"+V", was.TaxRate, was.Accumulator);
    firstLine(marker, OracleFormat(taxAmount(was.Accumulator, taxed)));
    totalBecomes(taxed);
    showsTotalAndEmptiesEntry();
    operators(QStringLiteral("+"), QString());
}

void EventCheck::clearAll()
{
    const CalculatorState& was = m_before.state;
    if (!(was.Accumulator > 0)) {
        sameTape();
        sameCalculation();
        sameOperators();
        entryBecomes(m_before.entry);
        return;
    }
    expect(m_tape.lines == QStringList{separatorText(), blankText(), blankText()},
           QStringLiteral("CA wrote %1").arg(m_tape.lines.join(u'|')));
    expect(m_after.state.Accumulator == 0, QStringLiteral("CA left a total"));
    showsTotalAndEmptiesEntry();
    operators(QStringLiteral("+"), was.LastOperator);
}

void EventCheck::clearTape()
{
    const CalculatorState& was = m_before.state;
    expect(m_driver.tapeLines() == QStringList{startText()},
           QStringLiteral("C·CE left %1 lines").arg(m_after.tapeCount));
    expect(m_after.state.Accumulator == 0, QStringLiteral("C·CE left a total"));
    expect(m_after.growthSteps == 0, QStringLiteral("C·CE did not shrink the window"));
    showsTotalAndEmptiesEntry();
    operators(was.PendingOperator, was.LastOperator);
}

void EventCheck::sameCalculation()
{
    const CalculatorState& was = m_before.state;
    const CalculatorState& now = m_after.state;
    expect(now.Accumulator == was.Accumulator, QStringLiteral("the total changed"));
    expect(now.MemoryValue == was.MemoryValue, QStringLiteral("the memory changed"));
    expect(now.TaxRate == was.TaxRate, QStringLiteral("the tax rate changed"));
}

void EventCheck::sameTape()
{
    expect(m_tape.lines.isEmpty() && m_after.tapeCount == m_before.tapeCount,
           QStringLiteral("the tape changed: %1").arg(m_tape.lines.join(u'|')));
    expect(m_after.currentRow == m_before.currentRow,
           QStringLiteral("the selected line moved from %1 to %2")
               .arg(m_before.currentRow)
               .arg(m_after.currentRow));
}

void EventCheck::operators(const QString& pending, const QString& last)
{
    expectText(m_after.state.PendingOperator, pending, "PendingOperator");
    expectText(m_after.state.LastOperator, last, "LastOperator");
}

void EventCheck::firstLine(const QString& marker, const QString& amount)
{
    if (m_tape.parts.isEmpty()) {
        m_errors.append(QStringLiteral("no line with \"%1\" was written").arg(marker));
        return;
    }
    expectText(m_tape.parts.first().marker, marker, "the first new line's marker");
    if (!amount.isNull())
        expectText(m_tape.parts.first().amount, amount, "the first new line's amount");
}

void EventCheck::firstAmountNear(double expected)
{
    const QString shown = m_tape.parts.isEmpty() ? QString() : m_tape.parts.first().amount;
    expect(shown.isNull() || nearlyEqual(amountValue(shown), expected, 0, 0.005),
           QStringLiteral("the first new line's amount is %1, expected about %2")
               .arg(shown)
               .arg(expected, 0, 'g', 17));
}

void EventCheck::totalBecomes(double expected, double scale)
{
    const double total = m_after.state.Accumulator;
    if (!m_tape.reset)
        expect(nearlyEqual(total, expected, scale), QStringLiteral("the total is %1, expected %2")
                                                        .arg(total, 0, 'g', 17)
                                                        .arg(expected, 0, 'g', 17));
}

void EventCheck::noBoxesBut(int taxBoxes, int creditsBoxes, int printQuestions)
{
    expect(m_modals.taxBoxes == taxBoxes && m_modals.creditsBoxes == creditsBoxes &&
               m_modals.printQuestions == printQuestions && m_modals.others == 0,
           QStringLiteral("boxes answered: %1 tax, %2 credits, %3 print, %4 other")
               .arg(m_modals.taxBoxes)
               .arg(m_modals.creditsBoxes)
               .arg(m_modals.printQuestions)
               .arg(m_modals.others));
}

} // namespace

Snapshot takeSnapshot(FormDriver& driver)
{
    Snapshot s;
    s.state = driver.state();
    s.entry = driver.entryField()->text();
    s.label1 = driver.display("Label1");
    s.label4 = driver.display("Label4");
    TapeView* tape = driver.tape();
    s.tapeCount = tape->count();
    s.lastLine = s.tapeCount > 0 ? tape->line(s.tapeCount - 1) : QString();
    s.currentRow = tape->currentRow();
    s.growthSteps = growthSteps(driver);
    s.printedPages = driver.platform().printedJobs.size();
    return s;
}

QString checkEvent(FormDriver& driver, const Delivered& event, const Snapshot& before,
                   const ModalAnswers& modals)
{
    EventCheck check(driver, before, modals);
    check.invariants();
    check.effect(event);
    check.displays(event);
    return check.errors();
}
