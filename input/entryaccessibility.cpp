// The entry field as screen readers see it: an editable text named for what
// it holds, whose value and text are the entry, caret included. Changes are
// reported as the characters inserted or removed, as a line edit reports them.

#include "input/entryfield.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <algorithm>

namespace {

const QString EntryName = QStringLiteral("Giri\u015F");

class AccessibleEntryField : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleEntryField(EntryField* field)
        : QAccessibleWidget(field, QAccessible::EditableText)
    {
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return EntryName;
        if (t == QAccessible::Value)
            return field()->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.selectableText = true;
        return s;
    }

    // The entry has no selection of its own.
    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}

    int cursorPosition() const override { return field()->cursorPosition(); }
    void setCursorPosition(int position) override { field()->setCursorPosition(position); }

    QString text(int startOffset, int endOffset) const override
    {
        const QString entry = field()->text();
        const int start = std::clamp(startOffset, 0, int(entry.size()));
        const int end = std::clamp(endOffset, start, int(entry.size()));
        return entry.mid(start, end - start);
    }
    int characterCount() const override { return int(field()->text().size()); }

    // It is never on the screen.
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    EntryField* field() const { return static_cast<EntryField*>(object()); }
};

QAccessibleInterface* entryFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("EntryField") && object && object->isWidgetType())
        return new AccessibleEntryField(static_cast<EntryField*>(object));
    return nullptr;
}

} // namespace

void installEntryAccessibility() { QAccessible::installFactory(entryFactory); }

// The part that differs between the texts before and after: what was removed
// and what was inserted at the first differing character.
void EntryField::reportAccessibleChange(const QString& before)
{
    if (!QAccessible::isActive())
        return;
    const QString& after = m_text;
    const auto common = [](auto first, auto last, auto other) {
        return static_cast<qsizetype>(std::mismatch(first, last, other).first - first);
    };
    const qsizetype shorter = std::min(before.size(), after.size());
    const qsizetype prefix = common(before.begin(), before.begin() + shorter, after.begin());
    const qsizetype suffix =
        common(before.rbegin(), before.rbegin() + (shorter - prefix), after.rbegin());
    const QString removed = before.mid(prefix, before.size() - prefix - suffix);
    const QString inserted = after.mid(prefix, after.size() - prefix - suffix);
    if (!removed.isEmpty()) {
        QAccessibleTextRemoveEvent event(this, int(prefix), removed);
        QAccessible::updateAccessibility(&event);
    }
    if (!inserted.isEmpty()) {
        QAccessibleTextInsertEvent event(this, int(prefix), inserted);
        QAccessible::updateAccessibility(&event);
    }
    QAccessibleTextCursorEvent caret(this, m_cursor);
    QAccessible::updateAccessibility(&caret);
}
