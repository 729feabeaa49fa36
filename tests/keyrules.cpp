#include "keyrules.h"

#include "keys/keytable.h"

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

double applyPlain(const QString& op, double total, double entry)
{
    if (op == u"+")
        return entry + total;
    if (op == u"-")
        return total - entry;
    if (op == u"*")
        return entry * total;
    return total / entry;
}

double applyPercent(const QString& op, double total, double entry)
{
    const double p = total / 100 * entry;
    if (op == u"+")
        return p + total;
    if (op == u"-")
        return total - p;
    if (op == u"*")
        return p;
    return total / entry * 100;
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
