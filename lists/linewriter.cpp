#include "lists/linewriter.h"

#include "lists/linelist.h"
#include "lists/listjob.h"
#include "platform/apperror.h"
#include "platform/languagetable.h"

#include <QDir>
#include <QStringEncoder>

#include <cerrno>
#include <utility>

namespace {

// Bytes gathered before they go to the file.
constexpr qsizetype FlushAt = 1 << 20;

} // namespace

WriteError::WriteError(const QString &fileName, const QString &reason)
    : AppError(TranslateText(QStringLiteral("Cannot write file \"%1\". %2"))
                   .arg(QDir::toNativeSeparators(fileName), reason),
               ErrorKind::CannotWrite)
    , m_fileName(fileName)
    , m_reason(reason)
{
}

LineSink::LineSink(bool crlf)
    : m_crlf(crlf)
{
}

void LineSink::flushBuffer()
{
    if (m_progress) {
        m_progress->addDone(std::exchange(m_bufferedLines, 0));
        throwIfCancelled();
    }
    put(m_buffer.constData(), m_buffer.size());
    m_buffer.clear();
}

void LineSink::throwIfCancelled() const
{
    if (m_progress)
        m_progress->throwIfCancelled();
}

void LineSink::write(QByteArrayView bytes)
{
    if (m_buffer.size() + bytes.size() > FlushAt)
        flushBuffer();
    if (bytes.size() >= FlushAt) {
        put(bytes.data(), bytes.size());
        return;
    }
    m_buffer.append(bytes);
}

void LineSink::append(QStringEncoder &encoder, QStringView text, char after)
{
    const qsizetype start = m_buffer.size();
    m_buffer.resize(start + encoder.requiredSpace(text.size()) + 2);
    char *end = encoder.appendToBuffer(m_buffer.data() + start, text);
    if (after == '\n' && m_crlf)
        *end++ = '\r';
    *end++ = after;
    m_buffer.resize(end - m_buffer.constData());
    if (after == '\n')
        ++m_bufferedLines;
}

void LineSink::writeLines(const LineList &lines)
{
    // Stateless: nothing is carried from one line into the next, so a line
    // ending in a high surrogate does not pair it with the next line's start.
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    m_buffer.reserve(FlushAt + 4096);
    for (qsizetype i = 0; i < lines.count(); ++i) {
        lines.prefetch(i + 64);
        append(encoder, lines.at(i), '\n');
        if (m_buffer.size() >= FlushAt)
            flushBuffer();
    }
}

void LineSink::writeLine(QStringView line)
{
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    append(encoder, line, '\n');
    if (m_buffer.size() >= FlushAt)
        flushBuffer();
}

void LineSink::writePairs(const LineList &first, const LineList &second)
{
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    m_buffer.reserve(FlushAt + 4096);
    for (qsizetype i = 0; i < first.count(); ++i) {
        append(encoder, first.at(i), '\t');
        append(encoder, second.at(i), '\n');
        if (m_buffer.size() >= FlushAt)
            flushBuffer();
    }
}

void LineSink::writeEncodedLine(QByteArrayView utf8)
{
    if (m_buffer.size() + utf8.size() + 2 > FlushAt)
        flushBuffer();
    m_buffer.append(utf8);
    m_buffer.append(m_crlf ? QByteArrayView("\r\n", 2) : QByteArrayView("\n", 1));
    ++m_bufferedLines;
}

void LineSink::writeEncodedPair(QByteArrayView first, QByteArrayView second)
{
    if (m_buffer.size() + first.size() + second.size() + 3 > FlushAt)
        flushBuffer();
    m_buffer.append(first);
    m_buffer.append('\t');
    m_buffer.append(second);
    m_buffer.append(m_crlf ? QByteArrayView("\r\n", 2) : QByteArrayView("\n", 1));
    ++m_bufferedLines;
}

FileWriter::FileWriter(const QString &fileName)
    : LineSink(true)
    , m_fileName(fileName)
{
    if (!m_file.create(fileName))
        fail();
}

void FileWriter::fail()
{
    dropBuffer();
    throw WriteError(m_fileName, m_file.reason());
}

void FileWriter::put(const char *data, qsizetype size)
{
    if (!m_file.write(data, size))
        fail();
}

void FileWriter::finish()
{
    if (m_finished)
        return;
    flushBuffer();
    if (!m_file.finish())
        fail();
    m_finished = true;
}

void FileWriter::commit()
{
    finish();
    // Bringing the file to the disk takes a while; a cancel meanwhile still
    // keeps the old file.
    throwIfCancelled();
    if (!m_file.replace())
        fail();
}

void writeLinesToFile(const QString &fileName,
                      const LineList &lines,
                      bool byteOrderMark,
                      JobProgress *progress)
{
    if (progress)
        progress->start(JobStage::Writing, lines.count());
    FileWriter file(fileName);
    file.setProgress(progress);
    if (byteOrderMark)
        file.write(Utf8ByteOrderMark);
    file.writeLines(lines);
    file.commit();
}

void writePairsToFile(const QString &fileName, const LineList &first, const LineList &second)
{
    FileWriter file(fileName);
    file.write(Utf8ByteOrderMark);
    file.writePairs(first, second);
    file.commit();
}

void writeBytesToFile(const QString &fileName, QByteArrayView bytes)
{
    FileWriter file(fileName);
    file.write(bytes);
    file.commit();
}

StreamWriter::StreamWriter(std::FILE *stream, QString name, bool crlf)
    : LineSink(crlf)
    , m_stream(stream)
    , m_name(std::move(name))
{
}

void StreamWriter::fail(int error)
{
    dropBuffer();
    if (error == EPIPE)
        throw BrokenPipe();
    throw WriteError(m_name, systemReason(error != 0 ? error : EIO));
}

void StreamWriter::put(const char *data, qsizetype size)
{
    errno = 0;
    if (size > 0 && std::fwrite(data, 1, size_t(size), m_stream) != size_t(size))
        fail(errno);
}

void StreamWriter::flush()
{
    flushBuffer();
    errno = 0;
    if (std::fflush(m_stream) != 0)
        fail(errno);
}
