#include "app/PaintBox.h"

namespace brevolan {

PaintBox::PaintBox(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PaintBox::paintEvent(QPaintEvent *)
{
    if (onPaint)
        onPaint(*this);
}

} // namespace brevolan
