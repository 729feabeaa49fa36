#pragma once

#include <QFont>

// The tape and the result line: a fixed-pitch face of 8.25 points on every machine.
QFont tapeFont();

// The entry and operator displays and the address label: a sans-serif face.
QFont displayFont(double points, bool bold = false);
