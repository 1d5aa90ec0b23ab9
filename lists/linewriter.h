#pragma once

#include "platform/apperror.h"
#include "platform/replacementfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringEncoder>

class LineList;

inline constexpr QByteArrayView Utf8ByteOrderMark("\xEF\xBB\xBF", 3);

// A file that could not be written: the message names it and gives the
// system's reason.
class WriteError : public AppError
{
public:
    WriteError(const QString &fileName, const QString &reason);
    const QString &fileName() const { return m_fileName; }
    const QString &reason() const { return m_reason; }

private:
    QString m_fileName;
    QString m_reason;
};

// Every file the program writes goes through here. The bytes go to a
// temporary file beside the one named, each write checked; commit() brings
// them to the disk and only then renames the file into place, so a failure
// at any point leaves an existing file as it was. Throws WriteError.
class FileWriter
{
public:
    explicit FileWriter(const QString &fileName);
    // An uncommitted file is removed; the old one stays.
    ~FileWriter() = default;
    FileWriter(const FileWriter &) = delete;
    FileWriter &operator=(const FileWriter &) = delete;

    const QString &fileName() const { return m_fileName; }

    void write(QByteArrayView bytes);
    // Every line in UTF-8 followed by CR LF. Each line is encoded on its own:
    // a lone surrogate becomes U+FFFD in its own line.
    void writeLines(const LineList &lines);
    // One line in UTF-8, then CR LF.
    void writeLine(QStringView line);
    // Line i of `first`, a TAB and line i of `second`, in UTF-8, then CR LF,
    // for every i of `first` (`second` has as many).
    void writePairs(const LineList &first, const LineList &second);

    // Writes out what is buffered and brings it to the disk; nothing but the
    // rename can fail after it.
    void finish();
    // Finishes the file if that is not done yet, then renames it into place.
    void commit();

private:
    // Encodes `text` into the buffer, then `after` ('\n' as CR LF).
    void append(QStringEncoder &encoder, QStringView text, char after);
    void flushBuffer();
    [[noreturn]] void fail();

    QString m_fileName;
    platform::ReplacementFile m_file;
    QByteArray m_buffer;
    bool m_finished = false;
};

// Writes every line in UTF-8, each followed by CR LF, after the byte-order
// mark EF BB BF when asked. The file is replaced only once every byte is
// written: a failed save leaves an existing file as it was and no partial
// file behind. Throws WriteError naming the file and the reason.
void writeLinesToFile(const QString &fileName, const LineList &lines, bool byteOrderMark);
// Writes the pairs as FileWriter::writePairs does, after the byte-order mark,
// replacing the file as writeLinesToFile does.
void writePairsToFile(const QString &fileName, const LineList &first, const LineList &second);
// Replaces the file by these bytes, as writeLinesToFile does.
void writeBytesToFile(const QString &fileName, QByteArrayView bytes);
