#pragma once

#include "platform/apperror.h"
#include "platform/replacementfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringEncoder>

#include <cstdio>
#include <exception>

class JobProgress;
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

// Lines encoded into UTF-8 as they are written, and handed on a megabyte at
// a time; each line is followed by the line end the sink was made with.
class LineSink
{
public:
    virtual ~LineSink() = default;
    LineSink(const LineSink &) = delete;
    LineSink &operator=(const LineSink &) = delete;

    void write(QByteArrayView bytes);
    // Every line in UTF-8 followed by the line end. Each line is encoded on
    // its own: a lone surrogate becomes U+FFFD in its own line.
    void writeLines(const LineList &lines);
    // One line in UTF-8, then the line end.
    void writeLine(QStringView line);
    // Line i of `first`, a TAB and line i of `second`, in UTF-8, then the
    // line end, for every i of `first` (`second` has as many).
    void writePairs(const LineList &first, const LineList &second);
    // The same for text in UTF-8 already, as encoding it would give: for
    // lines kept encoded on disk.
    void writeEncodedLine(QByteArrayView utf8);
    void writeEncodedPair(QByteArrayView first, QByteArrayView second);

    // From now on each buffer put out adds its lines to the progress, and a
    // cancel request stops the writing there with cancelledError(). The
    // caller starts the progress's stage; several sinks may share one.
    void setProgress(JobProgress *progress) { m_progress = progress; }

protected:
    // crlf: lines end in CR LF, else in LF.
    explicit LineSink(bool crlf);

    // Takes the bytes out, or throws.
    virtual void put(const char *data, qsizetype size) = 0;
    // Puts out what is buffered.
    void flushBuffer();
    void dropBuffer() { m_buffer.clear(); }
    // Throws cancelledError() when the progress has a cancel request.
    void throwIfCancelled() const;

private:
    // Encodes `text` into the buffer, then `after` ('\n' as the line end).
    void append(QStringEncoder &encoder, QStringView text, char after);

    QByteArray m_buffer;
    bool m_crlf;
    JobProgress *m_progress = nullptr;
    qint64 m_bufferedLines = 0; // not yet added to the progress
};

// Every file the program writes goes through here, its lines ending in CR
// LF. The bytes go to a temporary file beside the one named, each write
// checked; commit() brings them to the disk and only then renames the file
// into place, so a failure at any point leaves an existing file as it was.
// Throws WriteError.
class FileWriter final : public LineSink
{
public:
    explicit FileWriter(const QString &fileName);
    // An uncommitted file is removed; the old one stays.
    ~FileWriter() override = default;

    const QString &fileName() const { return m_fileName; }

    // Writes out what is buffered and brings it to the disk; nothing but the
    // rename can fail after it.
    void finish();
    // Finishes the file if that is not done yet, then renames it into place.
    void commit();

private:
    void put(const char *data, qsizetype size) override;
    [[noreturn]] void fail();

    QString m_fileName;
    platform::ReplacementFile m_file;
    bool m_finished = false;
};

// The reader of a pipe went away (standard output into `head`, say): what
// was left to write has nowhere to go, which is no fault of the writer.
class BrokenPipe : public std::exception
{
public:
    const char *what() const noexcept override { return "broken pipe"; }
};

// Lines to an open stream such as standard output: UTF-8 without a mark.
// Throws BrokenPipe when the reader has gone, WriteError (named `name`)
// on any other failure.
class StreamWriter final : public LineSink
{
public:
    StreamWriter(std::FILE *stream, QString name, bool crlf);

    // Puts out what is buffered and flushes the stream.
    void flush();

private:
    void put(const char *data, qsizetype size) override;
    [[noreturn]] void fail(int error);

    std::FILE *m_stream;
    QString m_name;
};

// Writes every line in UTF-8, each followed by CR LF, after the byte-order
// mark EF BB BF when asked. The file is replaced only once every byte is
// written: a failed save leaves an existing file as it was and no partial
// file behind. Throws WriteError naming the file and the reason. With
// `progress`, the save is a Writing stage of the list's lines; a cancel
// request stops it with cancelledError(), the old file kept as it was.
void writeLinesToFile(const QString &fileName,
                      const LineList &lines,
                      bool byteOrderMark,
                      JobProgress *progress = nullptr);
// Writes the pairs as FileWriter::writePairs does, after the byte-order mark,
// replacing the file as writeLinesToFile does.
void writePairsToFile(const QString &fileName, const LineList &first, const LineList &second);
// Replaces the file by these bytes, as writeLinesToFile does.
void writeBytesToFile(const QString &fileName, QByteArrayView bytes);
