#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// A file written under a temporary name in the folder of the file it is to
// replace, and renamed over it only when asked: until then the old file stays
// as it was. A call that fails returns false and leaves the system's own
// reason in reason().
class ReplacementFile
{
public:
    ReplacementFile() = default;
    // Removes the temporary file unless it was renamed into place.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // Follows fileName's symbolic links to the file they name, refusing a link
    // that the kernel's protected-links rule would not follow (in a sticky
    // folder that everyone may write to, owned by neither the folder's owner
    // nor this process), and creates the temporary file beside that file. A
    // folder or another file that is not a regular one is refused too.
    bool create(const QString &fileName);
    // Writes all the bytes.
    bool write(const char *data, qsizetype size);
    // Brings the bytes to the disk and closes the file; a full disk that
    // showed only now is reported here.
    bool finish();
    // Renames the finished file over the one it replaces.
    bool replace();
    // Removes the temporary file, if there is one.
    void discard() noexcept;

    const QString &reason() const { return m_reason; }

private:
    bool fail(int error);
    bool fail(const QString &reason);

    int m_descriptor = -1;
    QByteArray m_temporary;
    QByteArray m_target;
    QString m_reason;
};

} // namespace platform
