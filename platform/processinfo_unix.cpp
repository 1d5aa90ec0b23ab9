#include "platform/processinfo.h"

#include <QFile>

#include <sys/resource.h>
#include <unistd.h>

namespace platform {

namespace {

// A "Name:   1234 kB" line of /proc/self/status.
qint64 statusKilobytes(const char *name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

} // namespace

qint64 residentBytes()
{
    return statusKilobytes("VmRSS") * 1024;
}

qint64 peakResidentBytes()
{
    if (const qint64 peak = statusKilobytes("VmHWM"))
        return peak * 1024;
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

bool stderrIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

} // namespace platform
