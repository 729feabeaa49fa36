// The tape as screen readers see it: a list whose items are the tape's lines,
// the selected one marked, each read as it stands on the tape.

#include "tape/tapeview.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace {

class AccessibleTapeLine : public QAccessibleInterface {
public:
    AccessibleTapeLine(TapeView* tape, int row)
        : m_tape(tape)
        , m_row(row)
    {
    }

    bool isValid() const override { return m_tape && m_row < m_tape->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_tape ? m_tape->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_tape.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? m_tape->line(m_row) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = m_tape->rowRect(m_row);
        return QRect(m_tape->viewport()->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.selectable = true;
        s.selected = isValid() && m_tape->currentRow() == m_row;
        s.invisible = !rect().intersects(
            QRect(m_tape->viewport()->mapToGlobal(QPoint()), m_tape->viewport()->size()));
        return s;
    }

    int row() const { return m_row; }

private:
    QPointer<TapeView> m_tape;
    int m_row;
};

// Item interfaces are made when asked for and kept, so that each line keeps its
// identity for the accessibility bus; they go when the tape is cleared.
class AccessibleTape : public QAccessibleWidget {
public:
    explicit AccessibleTape(TapeView* tape)
        : QAccessibleWidget(tape, QAccessible::List)
    {
    }

    ~AccessibleTape() override { forgetLines(); }

    int childCount() const override { return tape()->count(); }

    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= tape()->count())
            return nullptr;
        if (m_lines.size() > tape()->count())
            forgetLines();
        if (const QAccessible::Id id = m_lines.value(index))
            return QAccessible::accessibleInterface(id);
        auto* line = new AccessibleTapeLine(tape(), index);
        m_lines.insert(index, QAccessible::registerAccessibleInterface(line));
        return line;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (child && child->role() == QAccessible::ListItem && child->parent() == this)
            return static_cast<const AccessibleTapeLine*>(child)->row();
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint local = tape()->viewport()->mapFromGlobal(QPoint(x, y));
        const int row = tape()->rowAt(local.y());
        return row >= 0 && tape()->viewport()->rect().contains(local) ? child(row) : nullptr;
    }

private:
    TapeView* tape() const { return static_cast<TapeView*>(object()); }

    void forgetLines() const
    {
        for (const QAccessible::Id id : std::as_const(m_lines))
            QAccessible::deleteAccessibleInterface(id);
        m_lines.clear();
    }

    mutable QHash<int, QAccessible::Id> m_lines;
};

QAccessibleInterface* tapeFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TapeView") && object && object->isWidgetType())
        return new AccessibleTape(static_cast<TapeView*>(object));
    return nullptr;
}

} // namespace

void installTapeAccessibility() { QAccessible::installFactory(tapeFactory); }
