#pragma once

#include <QIcon>

// The window and application icon: a light-blue pocket calculator, painted
// afresh for every size asked of it so that it is crisp at any size. Inside a
// QWidget member call it as ::windowIcon(), which QWidget's own hides.
QIcon windowIcon();
