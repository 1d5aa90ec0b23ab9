#include "platform/signalcleanup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <mutex>
#include <pthread.h>
#include <set>
#include <thread>

namespace platform {

namespace {

std::mutex &registryLock()
{
    static std::mutex lock;
    return lock;
}

std::set<QByteArray> &registry()
{
    static std::set<QByteArray> paths;
    return paths;
}

sigset_t watchedSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

void removeRegistered()
{
    for (const QByteArray &path : registry()) {
        const QString name = QFile::decodeName(path);
        if (QFileInfo(name).isDir())
            QDir(name).removeRecursively();
        else
            QFile::remove(name);
    }
    registry().clear();
}

} // namespace

void watchSignals()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const sigset_t set = watchedSignals();
        // Blocked here, and so in every thread started later: only the
        // watcher's sigwait() takes them.
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
        std::thread([set] {
            int signal = 0;
            if (sigwait(&set, &signal) != 0)
                return;
            {
                // Held to the end: no file is registered or written into
                // place while the process is going.
                registryLock().lock();
                removeRegistered();
            }
            std::signal(signal, SIG_DFL);
            sigset_t one;
            sigemptyset(&one);
            sigaddset(&one, signal);
            pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
            std::raise(signal);
        }).detach();
    });
}

void registerTemporary(const QByteArray &path)
{
    const std::lock_guard lock(registryLock());
    registry().insert(path);
}

void unregisterTemporary(const QByteArray &path)
{
    const std::lock_guard lock(registryLock());
    registry().erase(path);
}

} // namespace platform
