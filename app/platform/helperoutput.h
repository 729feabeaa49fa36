#pragma once

#include <functional>

class QWidget;

// Starts the web engine through `start`. The engine's helper processes, the
// zygotes that its sandboxed renderers are forked from, write straight to
// standard error, past the toolkit's logging; they are given a pipe of the
// program's instead, whose lines are passed on to standard error but for the
// routine notes kept back (see routinenotes.h).
QWidget* startEngineWithHelperOutputPassedOn(const std::function<QWidget*()>& start);
