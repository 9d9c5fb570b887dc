#pragma once
// A bare drawing surface whose painting is done by its owner's handler, so
// that one handler can serve several boxes. It fills no background.

#include <QWidget>
#include <functional>

namespace brevolan {

class PaintBox : public QWidget {
    Q_OBJECT
public:
    explicit PaintBox(QWidget *parent = nullptr);

    std::function<void(PaintBox &)> onPaint;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace brevolan
