#pragma once

class QPainter;

// Paints the whole calculator picture in picture pixels (0, 0) to (200, 326):
// the backdrop, the silver body, the liquid-crystal panel and the 24 keys.
void paintCalculatorFace(QPainter& painter);
