// The entry display follows the entry field, and the keyboard focus stays in
// the field while the window is in use.

#include "app/form1.h"

#include "core/amountformat.h"
#include "input/entryfield.h"

#include <QEvent>
#include <QLabel>

void Form1::Text1_Change() { RefreshEntryDisplay(); }

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
}
