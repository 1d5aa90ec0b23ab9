#include "compare/commandline.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runCompareCommand(QCoreApplication::arguments());
}
