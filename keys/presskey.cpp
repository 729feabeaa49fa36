#include "app/form1.h"

#include "input/entryfield.h"
#include "keys/hotspot.h"

#include <QCoreApplication>
#include <QTimer>

namespace {
bool isKeyIndex(int index) { return index >= 0 && index < KeyCount; }
} // namespace

void Form1::PressKey(int index, int button)
{
    const QString resultBefore = StartKeyAnnouncement();
    FocusEntryField();
    if (button == Button::Left) {
        FlashKey(index);
        RunLeftButtonAction(index);
        Text1->setCursorPosition(static_cast<int>(Text1->text().size()));
        StartFlashTimer();
    } else if (button == Button::Right) {
        if (index == Key::MemoryStore)
            MemoryClear();
        else if (index == Key::AddTax || index == Key::RemoveTax)
            AskTaxRate();
    }
    FinishKeyAnnouncement(resultBefore);
}

void Form1::RunLeftButtonAction(int index)
{
    if (index >= 0 && index <= 9) {
        DigitKey(index); // each digit key has its digit's index
        return;
    }
    switch (index) {
    case Key::DecimalPoint:
        DecimalPointKey();
        break;
    case Key::Equals:
        EqualsKey();
        break;
    case Key::Plus:
        OperatorKey(QStringLiteral("+"));
        break;
    case Key::Minus:
        OperatorKey(QStringLiteral("-"));
        break;
    case Key::Times:
        OperatorKey(QStringLiteral("*"));
        break;
    case Key::Divide:
        OperatorKey(QStringLiteral("/"));
        break;
    case Key::Percent:
        OperatorKey(QStringLiteral("%"));
        break;
    case Key::MemoryStore:
        MemoryStoreKey();
        break;
    case Key::MemorySubtract:
        MemorySubtractKey();
        break;
    case Key::MemoryAdd:
        MemoryAddKey();
        break;
    case Key::ClearAll:
        ClearAllKey();
        break;
    case Key::AddTax:
        AddTaxKey();
        break;
    case Key::RemoveTax:
        RemoveTaxKey();
        break;
    case Key::ClearEntryAndTape:
        ClearEntryAndTapeKey();
        break;
    default:
        break;
    }
}

// Draws the key's frame until the next tick of Timer1; the caller starts the timer.
void Form1::FlashKey(int index)
{
    if (isKeyIndex(index))
        Image1[static_cast<size_t>(index)]->setFlashed(true);
}

void Form1::StartFlashTimer()
{
    if (!Timer1->isActive())
        Timer1->start();
}

// A flash of its own, outside a key press: the keyboard's digits and point,
// and the right click on R·CM.
void Form1::FlashKeyUntilTick(int index)
{
    FlashKey(index);
    StartFlashTimer();
}

void Form1::Timer1_Timer()
{
    for (Hotspot* hotspot : Image1)
        hotspot->setFlashed(false);
    Timer1->stop();
}

// A double click on C·CE ends the program; its first click has already cleared.
void Form1::Image1_DblClick(int index)
{
    if (index != Key::ClearEntryAndTape)
        return;
    close();
    QCoreApplication::quit();
}
