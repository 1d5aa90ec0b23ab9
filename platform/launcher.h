#pragma once

#include <QString>
#include <QStringList>

// Starting programs detached and ending this one, behind one seam so a test
// can record a restart instead of doing it.
class Launcher
{
public:
    virtual ~Launcher();

    // Starts program with arguments, detached; false when it could not start.
    virtual bool startDetached(const QString &program, const QStringList &arguments);
    // Ends this instance: every event loop returns and the program exits.
    virtual void terminate();

    static Launcher &current();
    // Installs a replacement (not owned); nullptr goes back to the real one.
    static void install(Launcher *launcher);
};
