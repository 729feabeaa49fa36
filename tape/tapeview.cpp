#include "tape/tapeview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

TapeView::TapeView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(),
            qOverload<>(&QWidget::update));
}

void TapeView::addLine(const QString& line)
{
    m_lines.append(line);
    if (!m_measured)
        return;
    updateScrollRange();
    const int row = count() - 1;
    if (rowRect(row).intersects(viewport()->rect()))
        viewport()->update(rowRect(row));
}

void TapeView::clear()
{
    m_lines.clear();
    m_currentRow = -1;
    updateScrollRange();
    viewport()->update();
}

void TapeView::setCurrentRow(int row)
{
    if (row < 0 || row >= count())
        return;
    const int previous = m_currentRow;
    m_currentRow = row;
    if (!m_measured)
        return;
    scrollTo(row);
    viewport()->update(rowRect(previous));
    viewport()->update(rowRect(row));
}

int TapeView::rowHeight() const { return fontMetrics().height(); }

int TapeView::visibleRows() const { return std::max(1, viewport()->height() / rowHeight()); }

QRect TapeView::rowRect(int row) const
{
    const int top = (row - verticalScrollBar()->value()) * rowHeight();
    return QRect(0, top, viewport()->width(), rowHeight());
}

int TapeView::rowAt(int y) const
{
    const int row = verticalScrollBar()->value() + y / rowHeight();
    return row < count() ? row : -1;
}

void TapeView::updateScrollRange()
{
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(visibleRows());
    bar->setRange(0, std::max(0, count() - visibleRows()));
}

void TapeView::scrollTo(int row)
{
    QScrollBar* bar = verticalScrollBar();
    if (row < bar->value())
        bar->setValue(row);
    else if (row >= bar->value() + visibleRows())
        bar->setValue(row - visibleRows() + 1);
}

// The font is first measured when the tape is first painted, so that the
// fonts are loaded once the window is on screen, not before.
void TapeView::paintEvent(QPaintEvent* event)
{
    if (!m_measured) {
        m_measured = true;
        fitScrollRange();
    }
    QPainter painter(viewport());
    const int first = std::max(0, rowAt(event->rect().top()) - 1);
    const int last = std::min(count() - 1, verticalScrollBar()->value() + visibleRows());
    const int ascent = fontMetrics().ascent();
    for (int row = std::max(first, verticalScrollBar()->value()); row <= last; ++row) {
        const QRect rect = rowRect(row);
        const bool selected = row == m_currentRow;
        if (selected)
            painter.fillRect(rect, palette().color(QPalette::Highlight));
        painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(QPoint(2, rect.top() + ascent), m_lines.at(row));
    }
}

void TapeView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_measured)
        fitScrollRange();
}

void TapeView::fitScrollRange()
{
    updateScrollRange();
    if (m_currentRow >= 0)
        scrollTo(m_currentRow);
}

// Only the left button picks a line; a right click asks to print, and neither
// it nor the middle button moves the selection off the newest line.
void TapeView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        setCurrentRow(rowAt(event->position().toPoint().y()));
}

void TapeView::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    emit released(static_cast<int>(event->button()));
}

void TapeView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_measured)
        fitScrollRange();
}
