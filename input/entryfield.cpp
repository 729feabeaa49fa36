#include "input/entryfield.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include <algorithm>
#include <utility>

EntryField::EntryField(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void EntryField::setText(const QString& text)
{
    const QString kept = text.left(m_maxLength);
    replaceText(kept, static_cast<int>(kept.size()));
}

void EntryField::setMaxLength(int length)
{
    m_maxLength = std::max(0, length);
    if (m_text.size() > m_maxLength)
        setText(m_text);
}

void EntryField::setCursorPosition(int position)
{
    m_cursor = std::clamp(position, 0, static_cast<int>(m_text.size()));
}

void EntryField::insert(const QString& text)
{
    const qsizetype room = m_maxLength - m_text.size();
    const QString taken = text.left(std::max<qsizetype>(0, room));
    if (taken.isEmpty())
        return;
    QString changed = m_text;
    changed.insert(m_cursor, taken);
    replaceText(changed, m_cursor + static_cast<int>(taken.size()));
}

void EntryField::backspace()
{
    if (m_cursor == 0)
        return;
    QString changed = m_text;
    changed.remove(m_cursor - 1, 1);
    replaceText(changed, m_cursor - 1);
}

void EntryField::replaceText(const QString& text, int cursor)
{
    if (text == m_text) {
        m_cursor = cursor;
        return;
    }
    const QString before = std::exchange(m_text, text);
    m_cursor = cursor;
    reportAccessibleChange(before);
    emit textChanged(m_text);
}

void EntryField::typeCharacter(char16_t character)
{
    int code = character;
    if (m_keyPress)
        m_keyPress(code);
    if (code == 0)
        return;
    if (code == BackspaceCode)
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
    const QString text = enter ? QString(QChar(CarriageReturnCode)) : event->text();
    for (const QChar character : text)
        typeCharacter(character.unicode());
}

void EntryField::inputMethodEvent(QInputMethodEvent* event)
{
    event->accept();
    for (const QChar character : event->commitString())
        typeCharacter(character.unicode());
}

bool EntryField::focusNextPrevChild(bool) { return false; }
