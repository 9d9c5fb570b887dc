#include "app/RunMainWindow.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevolan 4"));
    return brevolan::runMainWindow();
}
