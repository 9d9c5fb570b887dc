#include "app/Ruler.h"

#include <QPainter>

namespace brevolan {

QList<RulerTick> rulerTicks(int cellWidth, int width, int height)
{
    QList<RulerTick> ticks;
    if (cellWidth <= 0)
        return ticks;   // a font without a "W" would never leave the loop
    for (int x = 0; x < width; x += cellWidth) {
        const int top = x % 8 == 0 ? 6 : 12;
        // Drawn like a line to height - 1 with its end point excluded.
        const int bottom = height - 2;
        if (bottom >= top)
            ticks << RulerTick{x, top, bottom};
    }
    return ticks;
}

void drawRuler(QPainter &painter, const QList<RulerTick> &ticks)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 0));
    for (const RulerTick &t : ticks)
        painter.drawLine(t.x, t.top, t.x, t.bottom);
}

} // namespace brevolan
