#include "cli/Companion.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    return brevolan::cli::runCompanion(args, stdout, stderr);
}
