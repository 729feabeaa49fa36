#pragma once

class QString;

// The toolkit and the web engine note routine facts on every start: the
// engine's settings, the graphics it does without, the runtime folder it takes
// when the session names none. A desktop program says nothing on a normal
// start, so these notes are kept back; warnings and errors all pass. The
// user's own logging rules (QT_LOGGING_RULES, QT_LOGGING_CONF) bring the notes
// back: "qt.webenginecontext.info=true" the engine's settings,
// "serit.routine=true" the rest. Must run before the QApplication is made.
void quietenRoutineNotes();

// Whether `line`, written by one of the engine's helper processes, is a
// routine note kept back.
bool isKeptBack(const QString& line);
