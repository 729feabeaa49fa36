// Coverage-guided fuzzing of the amount conversions: each input is read as
// UTF-16 text for ParseLeadingNumber and TaxRateFromAnswer, and its first bytes
// as a double for FormatAmount and RoundToSignificantDigits.

#include "amountoracle.h"
#include "core/amountformat.h"
#include "keys/taxrate.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

void Check(bool condition, const char* what, double value)
{
    if (!condition) {
        std::fprintf(stderr, "%s fails for %.17g\n", what, value);
        std::abort();
    }
}

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// "-"? then 1 to 3 digits (not led by a 0) and groups of ",ddd", or nothing;
// then ".dd".
bool IsWellFormedAmount(const QString& text)
{
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    const qsizetype decimalPoint = text.size() - 3;
    if (decimalPoint < i || text[decimalPoint] != u'.' || !IsDigit(text[decimalPoint + 1]) ||
        !IsDigit(text[decimalPoint + 2])) {
        return false;
    }
    const QStringView integer = QStringView(text).mid(i, decimalPoint - i);
    if (integer.isEmpty()) {
        return true;
    }
    if (integer[0] == u'0' || integer.size() % 4 == 0) {
        return false;
    }
    for (qsizetype k = 0; k < integer.size(); ++k) {
        const bool separatorPlace = (integer.size() - k) % 4 == 0;
        if (separatorPlace ? integer[k] != u',' : !IsDigit(integer[k])) {
            return false;
        }
    }
    return true;
}

void FuzzParse(const QString& text)
{
    const double value = ParseLeadingNumber(text);
    Check(!std::isnan(value), "parse gives a number", value);
    Check(ParseLeadingNumber(text + u'#') == value, "parse stops at a stranger", value);
    QString withoutBlanks = text;
    withoutBlanks.remove(u' ').remove(u'\t').remove(u'\n');
    Check(ParseLeadingNumber(withoutBlanks) == value, "blanks are ignored", value);
}

void FuzzTaxRate(const QString& text, std::int16_t currentRate)
{
    Check(TaxRateFromAnswer(std::nullopt, currentRate) == currentRate, "cancel keeps the rate",
          currentRate);
    const std::int16_t rate = TaxRateFromAnswer(text, currentRate);
    Check(rate != 0, "the rate is never 0", rate);
    const double read = ParseLeadingNumber(text);
    Check(rate == currentRate || rate == DefaultTaxRate || std::fabs(read - rate) <= 0.5,
          "the rate is the rounded answer", read);
}

void FuzzFormat(double value)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const QString text = FormatAmount(value, english);
    if (!std::isfinite(value)) {
        Check(text == u"NaN" || text == u"\u221E" || text == u"-\u221E", "special text", value);
        return;
    }
    Check(IsWellFormedAmount(text), "well-formed amount", value);
    const bool negative = text.startsWith(u'-');
    const bool roundsToZero = QStringView(text).mid(negative ? 1 : 0) == u".00";
    Check(negative == (value < 0 && !roundsToZero), "sign", value);

    QString swapped = text;
    for (QChar& c : swapped) {
        c = c == u',' ? u'.' : c == u'.' ? u',' : c;
    }
    Check(FormatAmount(value, turkish) == swapped, "Turkish separators", value);

    const double magnitude = std::fabs(value);
    if (magnitude < 1e20) {
        Check(text == OracleFormat(value), "rounding agrees with the decimal oracle", value);
    }
    if (magnitude < 1e15) {
        const double read = ParseLeadingNumber(QString(text).remove(u','));
        const double spacing = std::nextafter(magnitude, INFINITY) - magnitude;
        Check(std::fabs(read - value) <= 0.005 + 2 * spacing, "reads back as the rounded value",
              value);
        if (magnitude < 1e12) {
            Check(FormatAmount(read, english) == text, "formatting is idempotent", value);
        }
    }
}

void FuzzSignificantDigits(double value, int digits)
{
    const double rounded = RoundToSignificantDigits(value, digits);
    Check(std::isfinite(rounded) == std::isfinite(value), "finiteness kept", value);
    if (std::isfinite(value) && digits >= 1) {
        const double tolerance = std::fabs(value) * std::pow(10.0, 1 - digits) +
                                 std::numeric_limits<double>::denorm_min();
        Check(std::fabs(rounded - value) <= tolerance, "rounding stays near", value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString text(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, size / 2 * sizeof(char16_t));
    FuzzParse(text);

    std::int16_t currentRate = 18;
    if (size >= 2) {
        std::memcpy(&currentRate, data, sizeof currentRate);
    }
    FuzzTaxRate(text, currentRate);

    if (size >= sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        FuzzFormat(value);
        FuzzSignificantDigits(value, size > sizeof value ? data[sizeof value] % 20 - 1 : 15);
    }
    return 0;
}
