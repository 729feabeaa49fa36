// Every character typed into the entry field passes here first: digits and one
// decimal point go into the field, operator characters, Enter and "C" press
// their keys, and everything else is swallowed.

#include "app/form1.h"

#include "input/entryfield.h"

namespace {

// The characters that press a key, and the key each presses.
int keyPressedBy(int character)
{
    switch (character) {
    case '+':
        return Key::Plus;
    case '-':
        return Key::Minus;
    case '*':
        return Key::Times;
    case '/':
        return Key::Divide;
    case '%':
        return Key::Percent;
    case CarriageReturnCode:
        return Key::Equals;
    case 'C':
    case 'c':
        return Key::ClearAll;
    default:
        return -1;
    }
}

bool holdsDecimalSeparator(const QString& text)
{
    return text.contains(QLatin1Char('.')) || text.contains(QLatin1Char(','));
}

} // namespace

void Form1::Text1_KeyPress(int& keyAscii)
{
    CalculatorState& s = m_state;
    if (keyAscii == 'S')
        CountCreditsKey();

    if (keyAscii == '.' || keyAscii == ',') {
        FlashKeyUntilTick(Key::DecimalPoint);
        s.DecimalPointTyped = 0;
        if (holdsDecimalSeparator(Text1->text())) {
            s.DecimalPointTyped = 1;
            keyAscii = 0;
        }
    }
    if (s.DecimalPointTyped == 0 && keyAscii == ',')
        keyAscii = '.';

    RefreshEntryDisplay();
    if (keyAscii == '.')
        return;

    if (const int key = keyPressedBy(keyAscii); key >= 0) {
        PressKey(key, Button::Left);
        keyAscii = 0;
    }

    if (keyAscii == BackspaceCode)
        return;
    if (keyAscii >= '0' && keyAscii <= '9') {
        FlashKeyUntilTick(keyAscii - '0');
        return;
    }
    keyAscii = 0;
}
