#include "testsupport.h"

#include "lists/linelist.h"
#include "online/check.h"
#include "online/request.h"
#include "platform/largememory.h"
#include "platform/programfolder.h"

#include <QDir>
#include <QFile>

#include <QThread>

#include <csignal>

#include <fcntl.h>
#include <pthread.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace testsupport {

void isolateUserFolders()
{
    static QTemporaryDir home;
    const QByteArray path = QFile::encodeName(home.path());
    qputenv("HOME", path);
    qputenv("XDG_CONFIG_HOME", path + "/.config");
    qputenv("XDG_DATA_HOME", path + "/.local/share");
    qputenv("XDG_CACHE_HOME", path + "/.cache");
    // Nothing beside the test executable: no settings.ini, no Languages.
    static QTemporaryDir programFolder;
    overrideProgramFolder(programFolder.path());
}

QString closedServiceHost()
{
    // Port 1 (tcpmux) has no listener here: requests fail at once.
    return QStringLiteral("127.0.0.1:1");
}

void isolateNetwork()
{
    overrideServiceHost(closedServiceHost());
    resetUpdateCheckState();
    CheckerStarted = true;
}

QString dataPath(const QString &name)
{
    return QStringLiteral(PAIRSIGHT_TEST_DATA) + u'/' + name;
}

QStringList linesOf(const LineList &list)
{
    QStringList lines;
    for (qsizetype i = 0; i < list.count(); ++i)
        lines << list.lineAt(i);
    return lines;
}

QByteArray latin1Lines(int accentedLine, const QByteArray &accented)
{
    QByteArray text;
    for (int i = 0; text.size() < qsizetype {20} * 1024; ++i) {
        text += "line " + QByteArray::number(i);
        if (i == accentedLine)
            text += " " + accented;
        text += "\r\n";
    }
    return text;
}

LineList listOf(const QStringList &lines, const QByteArray &locale)
{
    LineList list(locale);
    for (const QString &line : lines)
        list.append(line);
    return list;
}

LargeBlockLimit::LargeBlockLimit(std::size_t bytes)
{
    platform::setLargeBlockLimit(bytes);
}

LargeBlockLimit::~LargeBlockLimit()
{
    platform::setLargeBlockLimit(0);
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit small = m_old;
    small.rlim_cur = bytes;
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, SIG_DFL);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

ScopedEnv::ScopedEnv(const char *name, const QByteArray &value)
    : m_name(name)
    , m_had(qEnvironmentVariableIsSet(name))
    , m_old(qgetenv(name))
{
    qputenv(name, value);
}

ScopedEnv::~ScopedEnv()
{
    if (m_had)
        qputenv(m_name, m_old);
    else
        qunsetenv(m_name);
}

TempDir::TempDir()
{
    EXPECT_TRUE(m_dir.isValid());
}

QString TempDir::write(const QString &name, const QByteArray &bytes) const
{
    QString path = file(name);
    writeAll(path, bytes);
    return path;
}

SmallFileSystem::SmallFileSystem()
{
    m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, "size=1m") == 0;
}

SmallFileSystem::~SmallFileSystem()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

void SmallFileSystem::fill() const
{
    const int descriptor
        = ::open(QFile::encodeName(file(QStringLiteral("filler"))).constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(descriptor, 0);
    const QByteArray block(4096, 'f');
    while (::write(descriptor, block.constData(), size_t(block.size())) > 0) { }
    // The last page may still hold a few bytes.
    while (::write(descriptor, "f", 1) > 0) { }
    ::close(descriptor);
}

PipeFile::PipeFile(const TempDir &dir, const QString &name, QByteArray bytes)
    : m_path(dir.file(name))
{
    const QByteArray path = QFile::encodeName(m_path);
    if (mkfifo(path.constData(), 0600) != 0) {
        ADD_FAILURE() << "cannot make the pipe " << m_path.toStdString();
        return;
    }
    m_writer = std::thread([this, path, bytes = std::move(bytes)] {
        // A reader that stops early (a cancelled load) leaves the writes
        // failing with EPIPE instead of ending the process.
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        // Waits for the reader, unless the test ends first.
        const int fd = ::open(path.constData(), O_WRONLY);
        if (fd < 0)
            return;
        for (qsizetype at = 0; at < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.constData() + at, size_t(bytes.size() - at));
            if (n <= 0)
                break;
            at += n;
        }
        while (!m_released.load())
            QThread::msleep(2);
        ::close(fd);
    });
}

PipeFile::~PipeFile()
{
    release();
    if (!m_writer.joinable()) {
        QFile::remove(m_path);
        return;
    }
    // A writer still waiting for a reader is let go by opening the other end.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK);
    m_writer.join();
    if (fd >= 0)
        ::close(fd);
    QFile::remove(m_path);
}

} // namespace testsupport

// The sanitizers' options, read by their run-times at start; the environment
// (ASAN_OPTIONS and the like) still wins. Compiled in, so a run by hand gets
// them as ctest's does.
// The run-times look these reserved names up, so they must be spelt so.
// NOLINTBEGIN(bugprone-reserved-identifier)
#define TESTSUPPORT_SANITIZER_HOOK extern "C" __attribute__((visibility("default"), used)) const char *
TESTSUPPORT_SANITIZER_HOOK __asan_default_options()
{
    return "detect_leaks=1";
}
TESTSUPPORT_SANITIZER_HOOK __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
#ifdef PAIRSIGHT_LSAN_SUPPRESSIONS
TESTSUPPORT_SANITIZER_HOOK __lsan_default_options()
{
    return "suppressions=" PAIRSIGHT_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
#endif
#ifdef PAIRSIGHT_TSAN_SUPPRESSIONS
TESTSUPPORT_SANITIZER_HOOK __tsan_default_options()
{
    return "halt_on_error=1:second_deadlock_stack=1:suppressions=" PAIRSIGHT_TSAN_SUPPRESSIONS;
}
#endif
// NOLINTEND(bugprone-reserved-identifier)
