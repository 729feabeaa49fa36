#include "core/amountformat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace {

// A finite, positive double written in decimal: digits[0].digits[1..] ×
// 10^exponent.
struct ScientificDigits {
    std::string digits;
    int exponent = 0;
};

// The shortest text that reads back as `magnitude`, or with `precision` digits
// after the first, correctly rounded.
ScientificDigits ScientificText(double magnitude, std::optional<int> precision = std::nullopt)
{
    // Room for the 767 significant digits of the longest exact expansion.
    char buffer[800];
    const auto format = std::chars_format::scientific;
    const auto end = precision
                         ? std::to_chars(buffer, std::end(buffer), magnitude, format, *precision)
                         : std::to_chars(buffer, std::end(buffer), magnitude, format);
    const std::string_view text(buffer, end.ptr - buffer);
    const auto e = text.find('e');
    ScientificDigits result;
    result.digits.reserve(e);
    for (char c : text.substr(0, e)) {
        if (c != '.') {
            result.digits += c;
        }
    }
    const auto exponentText = text.substr(e + 1);
    const char* first = exponentText.data();
    if (*first == '+') {
        ++first;
    }
    std::from_chars(first, exponentText.data() + exponentText.size(), result.exponent);
    return result;
}

// The decimal text an amount is rounded from: the shortest that reads back as
// the double, so that 1.005 is rounded as typed and not as its binary value
// 1.00499999.... From about 7e13 up doubles lie 1/64 or more apart, and one may
// lie exactly halfway between two equally short texts (124194910066811.625
// between ...811.62 and ...811.63); neither is then the better reading, and its
// exact value, which has just one digit more, is taken instead.
ScientificDigits DigitsToRound(double magnitude)
{
    const ScientificDigits shortest = ScientificText(magnitude);
    const int length = static_cast<int>(shortest.digits.size());
    if (ScientificText(magnitude, length).digits.back() != '5') {
        return shortest;
    }
    constexpr int LongestExactExpansion = 767;
    ScientificDigits exact = ScientificText(magnitude, LongestExactExpansion);
    if (exact.digits.find_first_not_of('0', length + 1) != std::string::npos) {
        return shortest;
    }
    exact.digits.resize(length + 1);
    return exact;
}

// The digits of |value| × 100 rounded to an integer, a half away from zero, in
// decimal arithmetic on the text of DigitsToRound. At least three digits, so
// that the last two are the decimals.
std::string RoundedCentDigits(double magnitude)
{
    if (magnitude == 0) {
        return "000";
    }
    const ScientificDigits d = DigitsToRound(magnitude);
    const auto digitAt = [&d](int place) -> char {
        const int index = d.exponent - place;
        return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
    };
    std::string cents;
    for (int place = std::max(d.exponent, 0); place >= -2; --place) {
        cents += digitAt(place);
    }
    if (digitAt(-3) >= '5') {
        auto it = cents.rbegin();
        for (; it != cents.rend() && *it == '9'; ++it) {
            *it = '0';
        }
        if (it == cents.rend()) {
            cents.insert(cents.begin(), '1');
        } else {
            ++*it;
        }
    }
    return cents;
}

QString GroupedInteger(std::string_view digits, const QString& separator)
{
    const auto first = digits.find_first_not_of('0');
    if (first == std::string_view::npos) {
        return {};
    }
    digits.remove_prefix(first);
    QString text;
    text.reserve(static_cast<qsizetype>(digits.size() + digits.size() / 3 * separator.size()));
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            text += separator;
        }
        text += QLatin1Char(digits[i]);
    }
    return text;
}

bool IsBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; }

bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Walks a text character by character, stepping over blanks.
class BlankSkippingReader {
public:
    explicit BlankSkippingReader(QStringView text)
        : text_(text)
    {
    }

    // The next character that is not a blank; 0 at the end of the text.
    char16_t peek()
    {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) {
            ++pos_;
        }
        return pos_ < text_.size() ? text_[pos_].unicode() : u'\0';
    }
    void advance() { ++pos_; }

private:
    QStringView text_;
    qsizetype pos_ = 0;
};

// The significant digits of a decimal number in bounded space: the value is
// digits × 10^scale. Beyond MaxDigits, further digits only move the scale and
// leave a sticky digit behind, which is enough for a correctly rounded double
// (deciding the rounding of a double needs at most 768 significant digits).
class SignificantDigits {
public:
    static constexpr std::size_t MaxDigits = 800;

    void add(char digit, bool afterPoint)
    {
        if (digits_.empty() && digit == '0') {
            scale_ -= afterPoint ? 1 : 0;
        } else if (digits_.size() < MaxDigits) {
            digits_ += digit;
            scale_ -= afterPoint ? 1 : 0;
        } else {
            scale_ += afterPoint ? 0 : 1;
            sticky_ = sticky_ || digit != '0';
        }
    }
    bool isZero() const { return digits_.empty(); }

    // The magnitude with the decimal exponent applied, nearest double.
    double magnitude(std::int64_t exponent) const
    {
        std::string text = digits_;
        std::int64_t scale = scale_ + exponent;
        if (sticky_) {
            text += '1';
            --scale;
        }
        // Decimal places of the leading digit plus one; far outside the range
        // of a double the answer is known without converting.
        const std::int64_t order = static_cast<std::int64_t>(text.size()) + scale;
        if (order > 310) {
            return std::numeric_limits<double>::infinity();
        }
        if (order < -330) {
            return 0;
        }
        text += 'e';
        text += std::to_string(scale);
        double value = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
        if (result.ec == std::errc::result_out_of_range) {
            return order > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        }
        return value;
    }

private:
    std::string digits_;
    std::int64_t scale_ = 0;
    bool sticky_ = false;
};

// Reads the digits of an exponent after its letter; no digits means no
// exponent. Saturates far beyond any exponent that matters.
std::int64_t ReadExponent(BlankSkippingReader& reader)
{
    constexpr std::int64_t Saturation = 1'000'000'000;
    bool negative = false;
    if (reader.peek() == u'+' || reader.peek() == u'-') {
        negative = reader.peek() == u'-';
        reader.advance();
    }
    std::int64_t exponent = 0;
    while (IsAsciiDigit(reader.peek())) {
        exponent = std::min(exponent * 10 + (reader.peek() - u'0'), Saturation);
        reader.advance();
    }
    return negative ? -exponent : exponent;
}

} // namespace

QString FormatAmount(double value, const QLocale& locale)
{
    if (std::isnan(value)) {
        return QStringLiteral("NaN");
    }
    if (std::isinf(value)) {
        return value < 0 ? QStringLiteral("-\u221E") : QStringLiteral("\u221E");
    }
    const std::string cents = RoundedCentDigits(std::fabs(value));
    const std::string_view digits(cents);
    const std::string_view integerDigits = digits.substr(0, digits.size() - 2);
    const std::string_view decimals = digits.substr(digits.size() - 2);

    const bool roundsToZero = digits.find_first_not_of('0') == std::string_view::npos;
    QString text;
    if (value < 0 && !roundsToZero) {
        text += QLatin1Char('-');
    }
    text += GroupedInteger(integerDigits, locale.groupSeparator());
    text += locale.decimalPoint();
    text += QLatin1StringView(decimals.data(), static_cast<qsizetype>(decimals.size()));
    return text;
}

double ParseLeadingNumber(QStringView text)
{
    BlankSkippingReader reader(text);
    bool negative = false;
    if (reader.peek() == u'+' || reader.peek() == u'-') {
        negative = reader.peek() == u'-';
        reader.advance();
    }
    SignificantDigits mantissa;
    bool anyDigit = false;
    bool afterPoint = false;
    for (char16_t c = reader.peek(); IsAsciiDigit(c) || (c == u'.' && !afterPoint);
         c = reader.peek()) {
        if (c == u'.') {
            afterPoint = true;
        } else {
            mantissa.add(static_cast<char>(c), afterPoint);
            anyDigit = true;
        }
        reader.advance();
    }
    if (!anyDigit) {
        return 0;
    }
    std::int64_t exponent = 0;
    if (reader.peek() == u'e' || reader.peek() == u'E') {
        reader.advance();
        exponent = ReadExponent(reader);
    }
    const double magnitude = mantissa.isZero() ? 0.0 : mantissa.magnitude(exponent);
    return negative ? -magnitude : magnitude;
}

double RoundToSignificantDigits(double value, int digits)
{
    if (!std::isfinite(value) || value == 0 || digits >= 17) {
        return value;
    }
    digits = std::max(digits, 1);
    char buffer[40];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value,
                                   std::chars_format::scientific, digits - 1)
                         .ptr;
    double rounded = value;
    const auto result = std::from_chars(buffer, end, rounded);
    if (result.ec == std::errc::result_out_of_range) {
        // Only rounding up past the largest double gets here.
        return std::copysign(std::numeric_limits<double>::max(), value);
    }
    return rounded;
}
