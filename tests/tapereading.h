#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class FormDriver;
struct Snapshot;

// The fixed lines of the tape, as the user sees them.
QString startText();     // 18 blanks
QString separatorText(); // 23 underscores
QString blankText();     // 23 blanks
QString overflowText();  // the whole entry column of an overflow line

// The number an amount of the tape stands for.
double amountValue(const QString& text);

// A calculation line taken apart: "+", "T", "+M", ... or the overflow text as
// the marker, the amount of the entry column, and the running total.
struct LineParts {
    QString marker, amount, total;
};

// What one event wrote on the tape.
struct NewLines {
    QStringList lines;      // every line appended
    QList<LineParts> parts; // the calculation lines among them, in order
    bool reset = false;     // a separator was written: the total went back to 0
    bool cleared = false;   // the tape was emptied down to its start line
    QStringList errors;
};

// Takes apart the lines appended since `before` and checks their layout and
// running totals: a line written before the total changes ("%", memory and
// tax lines) shows the total from before the event; every other calculation
// line of the event shows the one new total, whole, which is the total after
// the event unless an overflow line and a separator reset it to 0. The window
// grows one step per calculation line up to its limit, and the newest line is
// selected and in view.
NewLines inspectNewLines(FormDriver& driver, const Snapshot& before);

// Growth steps of 208 twips the window has taken since it was fresh.
int growthSteps(FormDriver& driver);

// The window's geometry after `steps` growth steps: its bottom edge 900 twips
// above the bottom of the screen, its top never above the last step that
// began below one fifth of the screen height, the tape and the calculator
// moved with it.
QStringList checkGeometry(FormDriver& driver, int steps);
