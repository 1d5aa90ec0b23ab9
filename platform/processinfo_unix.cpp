#include "platform/processinfo.h"

#include <QFile>

#include <algorithm>
#include <cstdint>

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

// A "Name:   1234 kB" line of /proc/meminfo.
qint64 systemKilobytes(const QByteArray &meminfo, const char *name)
{
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray &line : meminfo.split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

} // namespace

qint64 availableMemoryBytes()
{
    qint64 available = 0;
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly)) {
        const QByteArray text = meminfo.readAll();
        available = (systemKilobytes(text, "MemAvailable") + systemKilobytes(text, "SwapFree")) * 1024;
    }
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit limit {};
        if (getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
            const qint64 cap = qint64(std::min<rlim_t>(limit.rlim_cur, rlim_t(INT64_MAX)));
            available = available == 0 ? cap : std::min(available, cap);
        }
    }
    return available;
}

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

qint64 physicalMemoryBytes()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? qint64(pages) * qint64(pageSize) : 0;
}

bool stderrIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

} // namespace platform
