#include "keyrules.h"

#include "keys/keytable.h"

#include <QRegularExpression>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int EntryCapacity = 14;

} // namespace

bool isArithmetic(const QString& op)
{
    return op == u"+" || op == u"-" || op == u"*" || op == u"/";
}

bool applies(const QString& op, double entry)
{
    return op == u"+" || op == u"-" || op == u"*" || (op == u"/" && entry > 0);
}

double plainTotal(const QString& op, double total, double entry)
{
    if (op == u"+")
        return total + entry;
    if (op == u"-")
        return total - entry;
    if (op == u"*")
        return total * entry;
    return total / entry;
}

double percentOf(double total, double entry) { return total * entry / 100; }

double percentTotal(const QString& op, double total, double entry)
{
    if (op == u"+")
        return total + percentOf(total, entry);
    if (op == u"-")
        return total - percentOf(total, entry);
    if (op == u"*")
        return percentOf(total, entry);
    return total * 100 / entry;
}

bool nearlyEqual(double actual, double expected, double scale, double slack)
{
    if (!std::isfinite(expected))
        return actual == expected || (std::isnan(actual) && std::isnan(expected));
    return std::fabs(actual - expected) <= slack + 1e-12 * (std::fabs(expected) + std::fabs(scale));
}

double taxedTotal(bool adding, int rate, double total)
{
    const double factor = rate / 100.0 + 1;
    return adding ? total * factor : total / factor;
}

// The C library rounds the exact binary value; a tie goes to the even digit.
double taxAmount(double total, double taxed)
{
    const double change = taxed - total;
    if (!std::isfinite(change))
        return change;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.14e", change);
    return std::strtod(digits, nullptr);
}

double entryValue(const QString& entry)
{
    QString number = entry.section(u'.', 0, 1);
    if (number.endsWith(u'.'))
        number.chop(1);
    return number.isEmpty() ? 0 : (QStringLiteral("0") + number).toDouble();
}

std::int16_t rateAfterAnswer(const std::optional<QString>& answer, std::int16_t rate)
{
    if (!answer)
        return rate;
    static const QRegularExpression blanks(QStringLiteral("[ \t\n]"));
    static const QRegularExpression number(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?"));
    QString read = number.match(QString(*answer).remove(blanks)).captured();
    // The C library reads any number of digits, and gives an infinity beyond a double.
    read.replace(u'.', QString::fromLatin1(std::localeconv()->decimal_point));
    const double value = read.isEmpty() ? 0 : std::strtod(read.toLatin1().constData(), nullptr);
    const double whole = std::nearbyint(value);
    if (!(whole >= -32768 && whole <= 32767))
        return rate;
    return whole == 0 ? std::int16_t(18) : static_cast<std::int16_t>(whole);
}

int keyTypedBy(char16_t c)
{
    static const QString keys = QStringLiteral("+-*/%");
    if (const qsizetype op = keys.indexOf(QChar(c)); op >= 0)
        return Key::Plus + static_cast<int>(op);
    if (c == u'\r')
        return Key::Equals;
    if (c == u'C' || c == u'c')
        return Key::ClearAll;
    return -1;
}

QString appended(const QString& entry, QChar c)
{
    return entry.size() < EntryCapacity ? entry + c : entry;
}
