#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <thread>

// TESTSUPPORT_ASAN and TESTSUPPORT_TSAN: built with AddressSanitizer or
// ThreadSanitizer. GCC says so with __SANITIZE_*__, clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define TESTSUPPORT_ASAN 1
#endif
#if defined(__SANITIZE_THREAD__)
#define TESTSUPPORT_TSAN 1
#endif
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESTSUPPORT_ASAN 1
#endif
#if __has_feature(thread_sanitizer)
#define TESTSUPPORT_TSAN 1
#endif
#endif

class LineList;

namespace testsupport {

// Points HOME and XDG_CONFIG_HOME at a fresh temporary folder for the whole
// run, and the program's folder at another, so no test reads or writes the
// user's own files or the build tree.
void isolateUserFolders();

// Sends every request of the online services to a closed port on 127.0.0.1
// and keeps the update check from starting by itself, so no test reaches the
// network; a test that starts servers points the requests at them.
void isolateNetwork();
// "127.0.0.1:" and a port where nothing listens.
QString closedServiceHost();

// Path of a checked-in fixture under tests/data.
QString dataPath(const QString &name);

// The lines of a list, in order.
QStringList linesOf(const LineList &list);
// An unsorted list of the lines, in order.
LineList listOf(const QStringList &lines, const QByteArray &locale = "en_US");

// About 20 KB of lines "line 0", "line 1", ..., each ended by CR LF, with
// the Latin-1 bytes `accented` after the number of line `accentedLine`: a file
// that is not UTF-8 past its first 4096-byte block only.
QByteArray latin1Lines(int accentedLine, const QByteArray &accented);

QByteArray readAll(const QString &path);
void writeAll(const QString &path, const QByteArray &bytes);

// Sets an environment variable for the life of the value.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

// Caps the size of files the process may write for the life of the value, so
// that a write fails half-way as on a full disk (SIGXFSZ is ignored meanwhile).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old {};
};

// For the life of the value, no large block (platform/largememory.h: the
// lists' text and references, the sorts' arrays) of more than `bytes` can be
// had, as when memory has run out.
class LargeBlockLimit
{
public:
    explicit LargeBlockLimit(std::size_t bytes);
    ~LargeBlockLimit();
    LargeBlockLimit(const LargeBlockLimit &) = delete;
    LargeBlockLimit &operator=(const LargeBlockLimit &) = delete;
};

// A temporary folder that lives as long as the test that made it.
class TempDir
{
public:
    TempDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    // Writes the bytes to a file in the folder and returns its path.
    QString write(const QString &name, const QByteArray &bytes) const;

private:
    QTemporaryDir m_dir;
};

// A named pipe in a folder that a thread of its own writes `bytes` into once
// a reader has opened it (as far as the reader reads), then keeps open until
// release(): a load from it cannot end before the test lets it. The thread
// ends with the value.
class PipeFile
{
public:
    PipeFile(const TempDir &dir, const QString &name, QByteArray bytes);
    ~PipeFile();
    PipeFile(const PipeFile &) = delete;
    PipeFile &operator=(const PipeFile &) = delete;

    const QString &path() const { return m_path; }
    // Closes the pipe once all the bytes are written: the reader then meets its end.
    void release() { m_released.store(true); }

private:
    QString m_path;
    std::atomic<bool> m_released {false};
    std::thread m_writer;
};

// A file system of 1 MiB (tmpfs) mounted on a temporary folder for the life
// of the value, where the process may mount one (as root); fill() uses up its
// space, so that the next write fails as on a full disk.
class SmallFileSystem
{
public:
    SmallFileSystem();
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.file(name); }
    // Writes the bytes to a file there and returns its path.
    QString write(const QString &name, const QByteArray &bytes) const { return m_dir.write(name, bytes); }
    // Fills what is left with the file "filler".
    void fill() const;

private:
    TempDir m_dir;
    bool m_mounted = false;
};

} // namespace testsupport
