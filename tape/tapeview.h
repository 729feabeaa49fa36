#pragma once

#include <QAbstractScrollArea>
#include <QStringList>

// The paper tape: a list of lines in one fixed-pitch font, the newest at the
// bottom, one of them selected. Adding a line costs the same however long the
// tape is; only the lines in view are ever laid out or painted. Lines wider
// than the tape are cut off at its right edge, as on the paper.
class TapeView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TapeView(QWidget* parent = nullptr);

    void addLine(const QString& line);
    void clear();

    int count() const { return static_cast<int>(m_lines.size()); }
    QString line(int row) const { return m_lines.value(row); }
    const QStringList& lines() const { return m_lines; }

    int currentRow() const { return m_currentRow; }
    // Selects a line and scrolls it into view.
    void setCurrentRow(int row);

    // Where a line stands in the viewport.
    QRect rowRect(int row) const;
    int rowAt(int y) const;

signals:
    // A mouse button was released over the tape.
    void released(int button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int rowHeight() const;
    int visibleRows() const;
    void updateScrollRange();
    void fitScrollRange();
    void scrollTo(int row);

    QStringList m_lines;
    int m_currentRow = -1;
    bool m_measured = false;
};

void installTapeAccessibility();
