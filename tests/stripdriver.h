#pragma once

#include "app/form1.h"
#include "app/platform/platform.h"

#include <QObject>
#include <QStringList>

class QWindow;

// Drives the calculator's advertisement strip as a user does, and sees what
// reaches the screen.

// The screen the calculator is placed on.
class SmallScreen : public Platform {
public:
    QSize screenSize() const override { return {1024, 768}; }
};

// Top-level windows other than the calculator's that reach the screen.
class WindowWatch : public QObject {
public:
    explicit WindowWatch(QWindow* calculator);
    QStringList shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWindow* m_calculator;
};

// The strip's own window: the innermost window inside the calculator's.
QWindow* stripWindow(const Form1& form);

// The page's background colour shows in the strip, past the page's content:
// what the user sees before clicking into it.
bool stripShowsThePage(const Form1& form);

// What the user does with the mouse in the strip.
enum class Click { None, Left, Right, Middle, Double };

// A click as the mouse gives it: the pointer moves onto the strip, a button
// goes down and comes up (twice, for a double click).
void clickStrip(const Form1& form, Click click);

// Types as the keyboard does: into whichever window has the keyboard.
void typeKeys(const Form1& form, const QString& keys);

QStringList tapeLines(const Form1& form);

// Timer2 ticks once a minute; the page is asked for again at the 60th tick.
void askForThePageAgain(Form1& form);
