#pragma once

#include "lists/textencoding.h"
#include "platform/apperror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

class JobProgress;
class LineList;

struct LoadOptions
{
    bool ignoreWhitespace = false; // "Ignore Whitespace When Loading"
    bool sortWhenLoading = true; // "Sort When Loading"
};

// The first line of the decoding error's message.
QString noMappingMessage();
// The decoding error's message: noMappingMessage() as a sentence, then a line
// naming the file and the line (counted from 1) where the bad bytes are.
QString decodeErrorMessage(const QString &fileName, qint64 line);
// The text of the error of a load that ran out of memory, naming the file.
QString tooLargeMessage(const QString &fileName);

// Strict UTF-8 met an invalid sequence. The message is decodeErrorMessage();
// byteOffset() is where the sequence starts, counted from the file's first
// byte (a byte-order mark included), and line() the line it is on, counted
// from 1 as the loader splits lines.
class DecodeError : public AppError
{
public:
    DecodeError(qint64 byteOffset, qint64 line, const QString &fileName)
        : AppError(decodeErrorMessage(fileName, line), ErrorKind::CannotDecode)
        , m_byteOffset(byteOffset)
        , m_line(line)
    {
    }
    qint64 byteOffset() const { return m_byteOffset; }
    qint64 line() const { return m_line; }

private:
    qint64 m_byteOffset;
    qint64 m_line;
};

// What a lenient decoding changed or kept that the user should hear of; all
// zero for a file that decoded cleanly.
struct LoadReport
{
    QByteArray decoder; // the decoder the file was read with, e.g. "US-ASCII"
    qint64 replacedBytes = 0; // bytes that had no character, turned into U+FFFD
    qint64 droppedBytes = 0; // bytes at the end too few for a character (an odd UTF-16 one)
    qint64 loneSurrogates = 0; // unpaired surrogates kept in their lines as loaded

    bool clean() const { return replacedBytes == 0 && droppedBytes == 0 && loneSurrogates == 0; }
};

// One plain sentence for each change in the report, each starting with the
// file name as given, e.g. "list1.txt: 3 bytes that are not ASCII were
// replaced by U+FFFD". Empty for a clean load.
QStringList loadWarnings(const QString &fileName, const LoadReport &report);

// Appends the lines of a text file to the list; never empties it first.
// Sorting is switched off for the load and, with sortWhenLoading, on again at
// the end (which sorts the whole list). A byte-order mark (EF BB BF, FF FE,
// FE FF) chooses the encoding instead of `encoding`.
//
// Throws AppError: when the file cannot be opened (naming it and the system's
// reason; nothing is added), when its text would not fit in the memory
// available (naming it; ErrorKind::OutOfMemory), or, as DecodeError, when
// strict UTF-8 meets an invalid sequence (the lines that ended before the
// 4096-byte block holding it stay, unsorted). Returns what the decoding
// replaced, dropped or kept.
//
// With `progress`, the load is a Reading stage of the file's size (unknown
// for a pipe or a device) that counts the bytes read, and a cancel request
// stops it after the next read with cancelledError(); the lines read until
// then stay, unsorted.
LoadReport loadFileToList(const QString &fileName,
                          TextEncoding encoding,
                          const LoadOptions &options,
                          LineList &list,
                          JobProgress *progress = nullptr);

// The same for standard input, which messages call standardInputName().
LoadReport loadStandardInputToList(TextEncoding encoding, const LoadOptions &options, LineList &list);
QString standardInputName();

// Reading a list a chunk at a time, for lists larger than memory.
struct ChunkedLoad
{
    // The text, in code units, after which the lines read so far are handed over.
    qsizetype chunkUnits = 0;
    // Or after this many lines, whichever comes first.
    qsizetype chunkLines = 0;
    // Called with the lines ended so far, whenever their text passes
    // chunkUnits and once at the end; they are dropped after, so what it
    // keeps it copies.
    std::function<void(const LineList &)> take;
    // The bytes read so far, for progress; may be null.
    std::atomic<qint64> *bytesRead = nullptr;
};

// Reads the file as loadFileToList() does, with the same decoding, errors
// and report, but hands its lines over a chunk at a time; `list` (empty,
// with the locale and matching the taker wants) holds each chunk in turn.
// Nothing is sorted; lines that do not fit memory end as std::bad_alloc.
LoadReport loadFileInChunks(const QString &fileName,
                            TextEncoding encoding,
                            bool ignoreWhitespace,
                            LineList &list,
                            const ChunkedLoad &chunked);
LoadReport loadStandardInputInChunks(TextEncoding encoding,
                                     bool ignoreWhitespace,
                                     LineList &list,
                                     const ChunkedLoad &chunked);
