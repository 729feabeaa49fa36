// The entry display follows the entry field, and the keyboard focus stays in
// the field while the window is in use.

#include "app/form1.h"

#include "app/face/displaylabel.h"
#include "core/amountformat.h"
#include "input/entryfield.h"

#include <QEvent>

void Form1::Text1_Change() { RefreshEntryDisplay(); }

// Emptying the entry always shows the empty entry, ".00", also when the field
// was empty already and so does not report a change.
void Form1::ClearEntry()
{
    if (Text1->text().isEmpty())
        Text1_Change();
    else
        Text1->clear();
}

void Form1::RefreshEntryDisplay()
{
    m_state.EntryValue = Entry();
    Label4->setText(FormatAmount(m_state.EntryValue));
    Text1->setCursorPosition(static_cast<int>(Text1->text().size()));
}

void Form1::FocusEntryField() { Text1->setFocus(); }

void Form1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FocusEntryField();
    else if (event->type() == QEvent::WindowStateChange)
        DeclineMaximizing();
}
