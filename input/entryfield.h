#pragma once

#include <QLineEdit>

#include <functional>

// The hidden entry field. Every typed character passes the key-press handler
// before the field sees it; the handler may replace the character code, and a
// code of 0 drops it. Nothing reaches the text any other way: no paste, no
// drop, no context menu, no editing keys; input methods are not engaged, and
// text one commits all the same is typed character by character. Tab stays here too.
class EntryField : public QLineEdit {
    Q_OBJECT

public:
    using KeyPressHandler = std::function<void(int& keyAscii)>;

    explicit EntryField(QWidget* parent);

    void setKeyPressHandler(KeyPressHandler handler) { m_keyPress = std::move(handler); }

    // Runs one character through the handler and then lets the field take what
    // is left of it: a backspace deletes, any other code is inserted.
    void typeCharacter(char16_t character);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    using QLineEdit::inputMethodQuery;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    KeyPressHandler m_keyPress;
};
