#pragma once

#include <QString>
#include <QWidget>

#include <functional>

// The codes of the two control characters the field and its key-press
// handler deal in.
inline constexpr int BackspaceCode = 8;
inline constexpr int CarriageReturnCode = 13;

// The hidden entry field: the text being typed, at most a given number of
// characters, and a caret. Every typed character passes the key-press handler
// before the field sees it; the handler may replace the character code, and a
// code of 0 drops it. Nothing reaches the text any other way: the field has no
// clipboard, no drag and drop and no editing keys, and Tab stays in it; it asks
// for no input method, and text that one commits all the same is typed
// character by character. It is never seen, so it draws nothing.
class EntryField : public QWidget {
    Q_OBJECT

public:
    using KeyPressHandler = std::function<void(int& keyAscii)>;

    explicit EntryField(QWidget* parent);

    void setKeyPressHandler(KeyPressHandler handler) { m_keyPress = std::move(handler); }

    QString text() const { return m_text; }
    // Text longer than the field holds is cut to its capacity.
    void setText(const QString& text);
    void clear() { setText(QString()); }

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length);

    int cursorPosition() const { return m_cursor; }
    void setCursorPosition(int position);

    // Inserts at the caret, as far as the capacity allows.
    void insert(const QString& text);
    // Deletes the character before the caret.
    void backspace();

    // Runs one character through the handler and then lets the field take what
    // is left of it: a backspace deletes, any other code is inserted.
    void typeCharacter(char16_t character);

signals:
    // The text changed, whether typed or set by the program.
    void textChanged(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void replaceText(const QString& text, int cursor);
    // Tells screen readers what the change from `before` removed and inserted.
    void reportAccessibleChange(const QString& before);

    KeyPressHandler m_keyPress;
    QString m_text;
    int m_maxLength = 32767;
    int m_cursor = 0;
};

// Exposes the entry field to screen readers as an editable text.
void installEntryAccessibility();
