#include "platform/launcher.h"

#include <QCoreApplication>
#include <QProcess>

namespace {

Launcher *installedLauncher = nullptr;

} // namespace

Launcher::~Launcher() = default;

bool Launcher::startDetached(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

void Launcher::terminate()
{
    // Every running event loop returns, modal ones included, and main() ends.
    QCoreApplication::exit(0);
}

Launcher &Launcher::current()
{
    static Launcher real;
    return installedLauncher ? *installedLauncher : real;
}

void Launcher::install(Launcher *launcher)
{
    installedLauncher = launcher;
}
