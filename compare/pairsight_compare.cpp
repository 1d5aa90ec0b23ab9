#include "compare/commandline.h"
#include "platform/signalcleanup.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    // Before any thread: an interrupted run removes its temporary files.
    platform::watchSignals();
    QCoreApplication app(argc, argv);
    return runCompareCommand(QCoreApplication::arguments());
}
