#pragma once

#include <QLabel>

// A calculator display: a label whose text is always shown whole. Where the
// text is wider than the display at the display's own font, it is drawn in
// the largest smaller size that fits, so that no digit is ever cut off; the
// label's text itself stays as it was set.
class DisplayLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The font the text is drawn in now.
    QFont fittedFont() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
