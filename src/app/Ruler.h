#pragma once
// The character rulers above the two 64-character fields: one tick per
// character cell, long ticks where the pixel column is a multiple of 8.

#include <QList>

class QPainter;

namespace brevolan {

struct RulerTick {
    int x;
    int top;      // first pixel row of the tick
    int bottom;   // last pixel row of the tick
};

// Ticks at x = 0, cell, 2 cell, ... below width; from row 6 when x is a
// multiple of 8, else from row 12; down to row height - 2.
QList<RulerTick> rulerTicks(int cellWidth, int width, int height);

void drawRuler(QPainter &painter, const QList<RulerTick> &ticks);

} // namespace brevolan
