#include "tapereading.h"

#include "amountoracle.h"
#include "eventcheck.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>
#include <optional>

QString startText() { return QString(18, u' '); }
QString separatorText() { return QString(23, u'_'); }
QString blankText() { return QString(23, u' '); }
QString overflowText() { return QStringLiteral("E99,999,999,999,999.99"); }

namespace {

constexpr double Step = 208;
constexpr double ClientHeightAtStart = 4560;
constexpr double GapBelowWindow = 900;

bool isAmount(const QString& text)
{
    static const QRegularExpression amount(
        QStringLiteral("^(-?([1-9][0-9]{0,2}(,[0-9]{3})*)?\\.[0-9]{2}|-?\u221E|NaN)$"));
    return amount.match(text).hasMatch();
}

// Above the total-line limit, or not a number at all.
bool overflows(const QString& total)
{
    const double value = amountValue(total);
    return !std::isfinite(value) || value > 99999999999999.0;
}

// Above the result display's limit, where an entry line must be followed by
// an overflow line.
bool exceedsDisplay(const QString& total)
{
    const double value = amountValue(total);
    return !std::isfinite(value) || value > 999999999999999.0;
}

// Lines written before the total changes show the total from before.
bool showsTotalBefore(const QString& marker)
{
    static const QStringList markers{"%", "+M", "-M", "+V", "-V"};
    return markers.contains(marker);
}

std::optional<LineParts> takeApart(const QString& line, QStringList& errors)
{
    const auto fail = [&](const char* why) {
        errors.append(QStringLiteral("%1: \"%2\"").arg(QLatin1String(why), line));
        return std::nullopt;
    };
    const qsizetype totalStart = line.lastIndexOf(u' ') + 1;
    if (totalStart <= 0)
        return fail("no running total");
    LineParts parts;
    parts.total = line.mid(totalStart);
    QString entryColumn = line.left(totalStart);
    while (entryColumn.endsWith(u' '))
        entryColumn.chop(1);
    if (!isAmount(parts.total))
        return fail("a running total that is no amount");
    if (line.size() != entryColumn.size() + std::max<qsizetype>(27, parts.total.size() + 1))
        return fail("a running total not right-aligned in 27 columns");
    if (entryColumn == overflowText()) {
        parts.marker = entryColumn;
        return parts;
    }
    static const QRegularExpression column(QStringLiteral("^([-+][MV]|[-+*/%T])( *)([^ ]+)$"));
    const QRegularExpressionMatch match = column.match(entryColumn);
    if (!match.hasMatch())
        return fail("an entry column of no known marker");
    parts.marker = match.captured(1);
    parts.amount = match.captured(3);
    if (!isAmount(parts.amount))
        return fail("an entry amount that is no amount");
    if (entryColumn.size() != std::max<qsizetype>(22, parts.marker.size() + parts.amount.size()))
        return fail("an amount not ending at column 22");
    return parts;
}

// The running totals of one event's lines, as inspectNewLines() in the header describes them.
void checkTotals(NewLines& tape, const Snapshot& before, double totalAfter)
{
    QString newTotal;
    for (qsizetype i = 0; i < tape.parts.size(); ++i) {
        const LineParts& line = tape.parts.at(i);
        if (showsTotalBefore(line.marker)) {
            if (i != 0)
                tape.errors.append(QStringLiteral("a \"%1\" line after another").arg(line.marker));
            if (line.total != OracleFormat(before.state.Accumulator))
                tape.errors.append(
                    QStringLiteral("\"%1\" line shows %2, the total before was %3")
                        .arg(line.marker, line.total, OracleFormat(before.state.Accumulator)));
            continue;
        }
        if (!newTotal.isNull() && line.total != newTotal)
            tape.errors.append(
                QStringLiteral("lines of one step show %1 and %2").arg(newTotal, line.total));
        newTotal = line.total;
        if (line.marker == overflowText() && !overflows(line.total))
            tape.errors.append(QStringLiteral("an overflow line for %1").arg(line.total));
        if (line.marker == u"T" && (line.amount != line.total || overflows(line.total)))
            tape.errors.append(
                QStringLiteral("a total line of %1 for %2").arg(line.amount, line.total));
        const bool last = i + 1 == tape.parts.size();
        if (line.marker.size() == 1 && line.marker != u"T" && exceedsDisplay(line.total) &&
            (last || tape.parts.at(i + 1).marker != overflowText()))
            tape.errors.append(
                QStringLiteral("no overflow line after a total of %1").arg(line.total));
    }
    if (newTotal.isNull())
        return;
    if (tape.reset) {
        if (totalAfter != 0 || !overflows(newTotal))
            tape.errors.append(QStringLiteral("reset to %1 after a total of %2")
                                   .arg(OracleFormat(totalAfter), newTotal));
    } else if (newTotal != OracleFormat(totalAfter)) {
        tape.errors.append(QStringLiteral("the tape shows %1, the total is %2")
                               .arg(newTotal, OracleFormat(totalAfter)));
    }
}

void checkSelection(FormDriver& driver, NewLines& tape)
{
    TapeView* list = driver.tape();
    const int last = list->count() - 1;
    if (list->currentRow() != last) {
        tape.errors.append(
            QStringLiteral("line %1 of %2 is selected").arg(list->currentRow()).arg(last));
        return;
    }
    const QRect rect = list->rowRect(last);
    if (rect.top() < 0 || rect.bottom() >= list->viewport()->height())
        tape.errors.append(QStringLiteral("the newest line is out of view"));
}

int maxGrowthSteps(FormDriver& driver, double startHeight)
{
    const double screen = driver.platform().screen.height() * 15.0;
    const double startTop = screen - startHeight - GapBelowWindow;
    const double limit = static_cast<float>(screen / 5);
    return startTop > limit ? static_cast<int>(std::ceil((startTop - limit) / Step)) : 0;
}

double startHeight(FormDriver& driver)
{
    const QMargins frame = driver.platform().frame;
    return ClientHeightAtStart + (frame.top() + frame.bottom()) * 15.0;
}

} // namespace

double amountValue(const QString& text)
{
    if (text == u"\u221E")
        return std::numeric_limits<double>::infinity();
    if (text == u"-\u221E")
        return -std::numeric_limits<double>::infinity();
    if (text == u"NaN")
        return std::numeric_limits<double>::quiet_NaN();
    return QString(text).remove(u',').toDouble();
}

NewLines inspectNewLines(FormDriver& driver, const Snapshot& before)
{
    NewLines tape;
    TapeView* list = driver.tape();
    const int count = list->count();
    const bool kept =
        count >= before.tapeCount && list->line(before.tapeCount - 1) == before.lastLine;
    if (!kept) {
        tape.cleared = count == 1 && list->line(0) == startText();
        if (!tape.cleared)
            tape.errors.append(QStringLiteral("a line of the tape changed or vanished"));
        return tape;
    }
    for (int i = before.tapeCount; i < count; ++i)
        tape.lines.append(list->line(i));
    for (qsizetype i = 0; i < tape.lines.size(); ++i) {
        const QString& line = tape.lines.at(i);
        if (line == separatorText()) {
            tape.reset = true;
            if (tape.lines.mid(i + 1, 2) != QStringList{blankText(), blankText()})
                tape.errors.append(QStringLiteral("a separator without its two blank lines"));
            i += 2;
        } else if (line.trimmed().isEmpty()) {
            tape.errors.append(QStringLiteral("a blank line of %1 characters").arg(line.size()));
        } else if (const std::optional<LineParts> parts = takeApart(line, tape.errors)) {
            tape.parts.append(*parts);
        }
    }
    checkTotals(tape, before, driver.state().Accumulator);
    if (!tape.lines.isEmpty())
        checkSelection(driver, tape);
    const int maxSteps = maxGrowthSteps(driver, startHeight(driver));
    const int expectedSteps =
        std::min<int>(maxSteps, before.growthSteps + static_cast<int>(tape.parts.size()));
    if (growthSteps(driver) != expectedSteps)
        tape.errors.append(QStringLiteral("%1 growth steps after %2 lines, expected %3")
                               .arg(growthSteps(driver))
                               .arg(tape.parts.size())
                               .arg(expectedSteps));
    return tape;
}

int growthSteps(FormDriver& driver)
{
    const double height = driver.form().geometryTwips().windowHeight;
    return static_cast<int>(std::lround((height - startHeight(driver)) / Step));
}

QStringList checkGeometry(FormDriver& driver, int steps)
{
    QStringList errors;
    const Form1::Geometry g = driver.form().geometryTwips();
    const double screen = driver.platform().screen.height() * 15.0;
    const double height = startHeight(driver) + steps * Step;
    const int maxSteps = maxGrowthSteps(driver, startHeight(driver));
    if (steps < 0 || steps > maxSteps || g.windowHeight != height)
        errors.append(
            QStringLiteral("window height %1 after %2 steps").arg(g.windowHeight).arg(steps));
    if (g.windowTop != screen - height - GapBelowWindow)
        errors.append(QStringLiteral("window top %1 at height %2").arg(g.windowTop).arg(height));
    if (g.windowTop < screen - startHeight(driver) - GapBelowWindow - maxSteps * Step)
        errors.append(QStringLiteral("window top %1 above its limit").arg(g.windowTop));
    if (g.list1Top != 540 || g.list1Height != 300 + steps * Step)
        errors.append(QStringLiteral("tape at %1 and %2 high").arg(g.list1Top).arg(g.list1Height));
    if (g.picture1Top != (steps == 0 ? 765 : height - 3855 - 400))
        errors.append(QStringLiteral("calculator at %1").arg(g.picture1Top));
    return errors;
}
