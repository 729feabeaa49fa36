#include "amountoracle.h"

#include <QByteArray>

#include <cmath>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

struct BinaryForm {
    qint64 odd = 0; // |value| = odd × 2^power
    int power = 0;
};

BinaryForm Binary(double magnitude)
{
    int exponent = 0;
    const double fraction = std::frexp(magnitude, &exponent);
    BinaryForm form{qint64(std::ldexp(fraction, 53)), exponent - 53};
    while (form.odd % 2 == 0) {
        form.odd /= 2;
        ++form.power;
    }
    return form;
}

// Whether 2 × |value| × 10^decimals is an odd integer, that is, whether the
// value lies exactly halfway between two texts with `decimals` decimals.
bool IsHalfway(const BinaryForm& form, int decimals)
{
    if (form.power + 1 + decimals != 0) {
        return false;
    }
    qint64 fives = 1;
    for (int i = 0; i < -decimals; ++i) {
        if (fives > form.odd) {
            return false;
        }
        fives *= 5;
    }
    return form.odd % fives == 0;
}

__int128 ExactCents(const BinaryForm& form)
{
    const __int128 scaled = __int128(form.odd) * 100;
    if (form.power >= 0) {
        return scaled << form.power;
    }
    if (form.power < -100) {
        return 0;
    }
    const __int128 half = __int128(1) << (-form.power - 1);
    return (scaled + half) >> -form.power;
}

__int128 TextCents(const QByteArray& text)
{
    const qsizetype e = text.indexOf('e');
    const QByteArray mantissa = text.left(e).replace(".", "");
    __int128 digits = 0;
    for (char c : mantissa) {
        digits = digits * 10 + (c - '0');
    }
    // value × 100 = digits × 10^shift
    const int shift = text.mid(e + 1).toInt() - int(mantissa.size() - 1) + 2;
    if (shift < -30) {
        return 0;
    }
    __int128 power = 1;
    for (int i = 0; i < std::abs(shift); ++i) {
        power *= 10;
    }
    return shift >= 0 ? digits * power : (digits + power / 2) / power;
}

} // namespace

QString OracleFormat(double value)
{
    if (std::isnan(value)) {
        return u"NaN"_s;
    }
    if (std::isinf(value)) {
        return value < 0 ? u"-\u221E"_s : u"\u221E"_s;
    }
    const double magnitude = std::fabs(value);
    QByteArray whole; // the integer digits, none for zero
    int cents = 0;
    if (magnitude != 0) {
        QByteArray text;
        int precision = 0;
        for (; precision <= 16; ++precision) {
            text = QByteArray::number(magnitude, 'e', precision);
            if (text.toDouble() == magnitude) {
                break;
            }
        }
        const int decimals = precision - text.mid(text.indexOf('e') + 1).toInt();
        if (decimals <= 0) {
            // A whole number, written out from its shortest text.
            whole = text.left(text.indexOf('e')).replace(".", "") + QByteArray(-decimals, '0');
        } else {
            const BinaryForm form = Binary(magnitude);
            const __int128 all = IsHalfway(form, decimals) ? ExactCents(form) : TextCents(text);
            cents = int(all % 100);
            for (__int128 rest = all / 100; rest > 0; rest /= 10) {
                whole.prepend(char('0' + int(rest % 10)));
            }
        }
    }
    QString result;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) {
            result += u',';
        }
        result += QChar(u'0' + (whole.at(i) - '0'));
    }
    result += u'.' + QChar(u'0' + cents / 10) + QChar(u'0' + cents % 10);
    if (value < 0 && (cents != 0 || !whole.isEmpty())) {
        result.prepend(u'-');
    }
    return result;
}
