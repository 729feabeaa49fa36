#pragma once

// Which window system the calculator runs on, chosen before the QApplication
// is made.

// Where the session offers an X display (under Wayland too, through XWayland),
// the calculator runs on it, since only there can it place its window and keep
// it above the bottom of the screen; a Wayland display is used where there is
// no X display. A choice made by the user (QT_QPA_PLATFORM) stands.
void chooseWindowSystem();

// From now until windowSystemReached(), a failure to reach any display ends the
// program with one line saying that it needs a graphical display (or, where it
// was to run on Wayland and the toolkit's Wayland plugin is not installed, that
// it needs that plugin), and exit status 1, instead of the toolkit's abort. The toolkit's other
// messages of that moment are held back, and passed on once the display is reached.
void expectWindowSystem();
void windowSystemReached();
