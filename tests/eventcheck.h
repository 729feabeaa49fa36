#pragma once

#include "formdriver.h"
#include "randomuser.h"

// What the window looked like before one event reached it.
struct Snapshot {
    CalculatorState state;
    QString entry;
    QString label1, label4; // the result and entry displays
    int tapeCount = 0;
    QString lastLine;
    int currentRow = -1;
    int growthSteps = 0;
    qsizetype printedPages = 0;
};

Snapshot takeSnapshot(FormDriver& driver);

// One event as the window receives it: a key press (a mouse release over a
// key, or a typed character that presses one), a typed character, a right
// click on the tape, or an event that presses nothing (a mouse press, the
// double-click event between the two releases).
struct Delivered {
    enum class Kind { Nothing, Key, Character, Print };
    Kind kind = Kind::Nothing;
    int key = -1;
    int button = 0;
    char16_t character = 0;
};

// Checks everything a user relies on after `event`, against the window before
// it and the boxes the user answered meanwhile. Returns what went wrong, or
// empty text.
QString checkEvent(FormDriver& driver, const Delivered& event, const Snapshot& before,
                   const ModalAnswers& modals);
