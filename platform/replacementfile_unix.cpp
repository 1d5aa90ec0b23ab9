#include "platform/languagetable.h"
#include "platform/replacementfile.h"
#include "platform/signalcleanup.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// As many links as the kernel follows before it gives up with ELOOP.
constexpr int MaxLinks = 40;

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray readLink(const QByteArray &path, int &error)
{
    QByteArray target(256, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (n < 0) {
            error = errno;
            return {};
        }
        if (n < target.size()) {
            target.resize(n);
            return target;
        }
        target.resize(target.size() * 2);
    }
}

// The rule of fs.protected_symlinks: a link in a sticky folder that others
// may write to is followed only by its owner or when the folder's owner owns it.
bool linkIsProtected(const QByteArray &folder, const struct stat &link)
{
    struct stat dir;
    if (::stat(folder.constData(), &dir) != 0)
        return false;
    const bool openToAll = (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
    return openToAll && link.st_uid != dir.st_uid && link.st_uid != ::geteuid();
}

QByteArray randomSuffix()
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(8, '.');
    for (qsizetype i = 1; i < suffix.size(); ++i)
        suffix[i] = Letters[QRandomGenerator::system()->bounded(int(sizeof(Letters) - 1))];
    return suffix;
}

} // namespace

ReplacementFile::~ReplacementFile()
{
    discard();
}

bool ReplacementFile::fail(int error)
{
    return fail(QString::fromLocal8Bit(std::strerror(error)));
}

bool ReplacementFile::fail(const QString &reason)
{
    m_reason = reason;
    discard();
    return false;
}

bool ReplacementFile::create(const QString &fileName)
{
    discard();
    QByteArray path = QFile::encodeName(fileName);
    if (path.isEmpty())
        return fail(ENOENT);
    struct stat info;
    bool exists = false;
    for (int links = 0;; ++links) {
        if (::lstat(path.constData(), &info) != 0) {
            if (errno != ENOENT)
                return fail(errno);
            break;
        }
        if (!S_ISLNK(info.st_mode)) {
            exists = true;
            break;
        }
        if (links == MaxLinks)
            return fail(ELOOP);
        const QByteArray folder = folderOf(path);
        if (linkIsProtected(folder, info)) {
            // Translated texts stay one literal on one line, where the check of the languages finds them.
            // clang-format off
            return fail(TranslateText(QStringLiteral("It is a symbolic link owned by another user in a folder that everyone may write to, so it is not followed")));
            // clang-format on
        }
        int error = 0;
        const QByteArray target = readLink(path, error);
        if (error != 0)
            return fail(error);
        path = target.startsWith('/') ? target : folder + '/' + target;
    }
    if (exists && S_ISDIR(info.st_mode))
        return fail(EISDIR);
    if (exists && !S_ISREG(info.st_mode))
        return fail(TranslateText(QStringLiteral("It is not a regular file")));

    // The same folder, so that the rename replaces the file in one step.
    for (int attempt = 0;; ++attempt) {
        const QByteArray temporary = path + randomSuffix();
        m_descriptor = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_descriptor >= 0) {
            m_temporary = temporary;
            registerTemporary(m_temporary);
            break;
        }
        if (errno != EEXIST || attempt == 100)
            return fail(errno);
    }
    m_target = path;
    // A replaced file keeps its permissions (not set-user or set-group ID,
    // which would pass to this process's owner); a new one gets the umask's.
    if (exists && ::fchmod(m_descriptor, info.st_mode & 0777) != 0)
        return fail(errno);
    return true;
}

bool ReplacementFile::write(const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(m_descriptor, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        data += n;
        size -= n;
    }
    return true;
}

bool ReplacementFile::finish()
{
    if (::fsync(m_descriptor) != 0)
        return fail(errno);
    const int descriptor = m_descriptor;
    m_descriptor = -1;
    if (::close(descriptor) != 0)
        return fail(errno);
    return true;
}

bool ReplacementFile::replace()
{
    if (::rename(m_temporary.constData(), m_target.constData()) != 0)
        return fail(errno);
    unregisterTemporary(m_temporary);
    m_temporary.clear();
    return true;
}

void ReplacementFile::discard() noexcept
{
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        unregisterTemporary(m_temporary);
        m_temporary.clear();
    }
}

} // namespace platform
