#pragma once

#include "platform/launcher.h"

#include <QString>
#include <QStringList>

#include <vector>

// Records what would be started and that the program would end, while it lives.
class FakeLauncher : public Launcher
{
public:
    FakeLauncher() { Launcher::install(this); }
    ~FakeLauncher() override { Launcher::install(nullptr); }
    FakeLauncher(const FakeLauncher &) = delete;
    FakeLauncher &operator=(const FakeLauncher &) = delete;

    struct Start
    {
        QString program;
        QStringList arguments;
    };
    std::vector<Start> started;
    bool terminated = false;

    bool startDetached(const QString &program, const QStringList &arguments) override
    {
        started.push_back({program, arguments});
        return true;
    }
    void terminate() override { terminated = true; }
};
