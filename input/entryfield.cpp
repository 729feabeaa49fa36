#include "input/entryfield.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {
constexpr int Backspace = 8;
constexpr int CarriageReturn = 13;
} // namespace

EntryField::EntryField(QWidget* parent)
    : QLineEdit(parent)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setDragEnabled(false);
}

void EntryField::typeCharacter(char16_t character)
{
    int code = character;
    if (m_keyPress)
        m_keyPress(code);
    if (code == 0)
        return;
    if (code == Backspace)
        backspace();
    else
        insert(QString(QChar(static_cast<char16_t>(code))));
}

void EntryField::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    // The Enter keys are a carriage return whatever text the keyboard gives
    // them: some give the keypad's Enter none, others the character ETX.
    const bool enter = event->key() == Qt::Key_Enter || event->key() == Qt::Key_Return;
    const QString text = enter ? QString(QChar(CarriageReturn)) : event->text();
    for (const QChar character : text)
        typeCharacter(character.unicode());
}

// The line edit would take an input method's text as it stands; here it is typed.
void EntryField::inputMethodEvent(QInputMethodEvent* event)
{
    event->accept();
    for (const QChar character : event->commitString())
        typeCharacter(character.unicode());
}

// The line edit answers that it wants an input method whatever its attribute says.
QVariant EntryField::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled)
        return false;
    return QLineEdit::inputMethodQuery(query);
}

bool EntryField::focusNextPrevChild(bool) { return false; }

// Keys that would otherwise be taken as shortcuts (copy, paste, undo, select all)
// are typed characters here, and so go through the handler like all others.
bool EntryField::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}
