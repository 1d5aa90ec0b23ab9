#include "lists/textloader.h"

#include "lists/formatcount.h"
#include "lists/linelist.h"
#include "lists/linesplitter.h"
#include "lists/listjob.h"
#include "platform/apperror.h"
#include "platform/languagetable.h"
#include "platform/processinfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace {

// The decoder reads the file in blocks of this size; a decoding error keeps the
// lines that ended before the block that holds the bad bytes.
constexpr qsizetype BlockSize = 4096;
// How much is read from the file at a time.
constexpr qsizetype ReadSize = 256 * BlockSize;

// QStringDecoder that can tell whether a multi-byte sequence is still open.
class Decoder : public QStringDecoder
{
public:
    using QStringDecoder::QStringDecoder;
    bool hasPendingInput() const { return state.remainingChars != 0; }
    qsizetype pendingBytes() const { return state.remainingChars; }
    // Input the decoder met that had no character; each became U+FFFD.
    qsizetype invalidInput() const { return state.invalidChars; }
};

struct ByteOrderMark
{
    QByteArrayView bytes;
    const char *decoder;
};

// Tried in this order: a UTF-8 mark wins over FF FE, which wins over FE FF.
constexpr ByteOrderMark ByteOrderMarks[] = {
    {QByteArrayView("\xEF\xBB\xBF", 3), "UTF-8"},
    {QByteArrayView("\xFF\xFE", 2), "UTF-16LE"},
    {QByteArrayView("\xFE\xFF", 2), "UTF-16BE"},
};

[[noreturn]] void throwOpenError(const QString &fileName, const QString &reason)
{
    throw AppError(TranslateText(QStringLiteral("Cannot open file \"%1\". %2"))
                       .arg(QDir::toNativeSeparators(fileName), reason),
                   ErrorKind::CannotOpen);
}

void openForReading(QFile &file)
{
    const QString &fileName = file.fileName();
    if (QFileInfo(fileName).isDir())
        throwOpenError(fileName, systemReason(EISDIR));
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int error = errno;
        throwOpenError(fileName, error != 0 ? systemReason(error) : file.errorString());
    }
}

// Reads a full chunk unless the file ends first.
qsizetype readChunk(QFile &file, const QString &name, QByteArray &bytes)
{
    qsizetype got = 0;
    while (got < bytes.size()) {
        const qint64 n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0)
            throw AppError(TranslateText(QStringLiteral("Cannot read file \"%1\". %2"))
                               .arg(QDir::toNativeSeparators(name), file.errorString()),
                           ErrorKind::CannotOpen);
        if (n == 0)
            break;
        got += qsizetype(n);
    }
    return got;
}

// Adds the line at [start, end) of the list's text, trimmed when asked.
void addLine(LineList &list, const char16_t *text, qsizetype start, qsizetype end, bool trim)
{
    if (trim) {
        const QStringView line = LineSplitter::trimmed(QStringView(text + start, end - start));
        if (line.isEmpty())
            return;
        start = line.utf16() - text;
        end = start + line.size();
    }
    list.appendStored(start, end - start);
}

bool isContinuation(char byte)
{
    return (uchar(byte) & 0xC0) == 0x80;
}

// Where the first sequence that is not well-formed UTF-8 starts (one cut
// short by the end included); -1 when there is none.
qsizetype firstInvalidUtf8(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const uchar lead = uchar(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The ranges of Unicode's table of well-formed byte sequences.
        int length = 0;
        uchar low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return i;
        }
        if (i + length > n || uchar(bytes[i + 1]) < low || uchar(bytes[i + 1]) > high)
            return i;
        for (int k = 2; k < length; ++k) {
            if (!isContinuation(bytes[i + k]))
                return i;
        }
        i += length;
    }
    return -1;
}

// The UTF-16 code units that well-formed UTF-8 decodes to.
qsizetype utf16Units(QByteArrayView utf8)
{
    qsizetype units = 0;
    for (const char byte : utf8) {
        if (!isContinuation(byte))
            units += uchar(byte) >= 0xF0 ? 2 : 1;
    }
    return units;
}

struct BadSequence
{
    qint64 offset; // in the file
    // The code units the block's text holds before it (a sequence left open
    // by the block before is decoded at the block's start).
    qsizetype unitsBefore;
};

// Where in the file the bad sequence starts that the decoder met in `block`
// (at file offset `offset`). A sequence still open when the block began
// started in the up to three bytes `before` it.
BadSequence badSequence(QByteArrayView before, QByteArrayView block, qint64 offset, bool sequenceOpen)
{
    QByteArray window;
    if (sequenceOpen) {
        qsizetype lead = before.size();
        while (lead > 0 && isContinuation(before[lead - 1]))
            --lead;
        if (lead > 0) {
            window = before.sliced(lead - 1).toByteArray();
            offset -= window.size();
        }
    }
    window += block;
    const qsizetype bad = firstInvalidUtf8(window);
    // Should the decoder and the check ever disagree, the block is named.
    if (bad < 0)
        return {offset + window.size() - block.size(), 0};
    return {offset + bad, utf16Units(QByteArrayView(window).first(bad))};
}

} // namespace

QString tooLargeMessage(const QString &fileName)
{
    return TranslateText(QStringLiteral("The file \"%1\" is too large for the memory available"))
        .arg(QDir::toNativeSeparators(fileName));
}

namespace {

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

qint64 countLoneSurrogates(const char16_t *text, qsizetype size)
{
    qint64 count = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (isHighSurrogate(text[i]) && i + 1 < size && isLowSurrogate(text[i + 1]))
            ++i;
        else if (isHighSurrogate(text[i]) || isLowSurrogate(text[i]))
            ++count;
    }
    return count;
}

// Only these decoders let a surrogate through unpaired.
bool passesSurrogates(const QByteArray &decoder)
{
    return decoder == "UTF-16LE" || decoder == "UTF-16BE" || decoder == "UTF-7";
}

LoadReport loadInto(QFile &file,
                    const QString &fileName,
                    TextEncoding encoding,
                    const LoadOptions &options,
                    LineList &list,
                    const ChunkedLoad *chunked = nullptr,
                    JobProgress *progress = nullptr);

} // namespace

QStringList loadWarnings(const QString &fileName, const LoadReport &report)
{
    const QString name = QDir::toNativeSeparators(fileName);
    QStringList warnings;
    // Whole sentences for one and for many, so that each language can say them its own way.
    // Translated texts stay one literal on one line, where the check of the languages finds them.
    // clang-format off
    if (const qint64 replaced = report.replacedBytes; replaced > 0) {
        const bool one = replaced == 1;
        const QString count = QString::number(replaced);
        const QString decoder = QString::fromLatin1(report.decoder);
        if (report.decoder == "US-ASCII")
            warnings << (one ? TranslateText(QStringLiteral("%1: %2 byte that is not ASCII was replaced by U+FFFD"))
                             : TranslateText(QStringLiteral("%1: %2 bytes that are not ASCII were replaced by U+FFFD")))
                            .arg(name, count);
        else if (report.decoder.startsWith("windows-"))
            warnings << (one ? TranslateText(QStringLiteral("%1: %2 byte that has no character in %3 was replaced by U+FFFD"))
                             : TranslateText(QStringLiteral("%1: %2 bytes that have no character in %3 were replaced by U+FFFD")))
                            .arg(name, count, decoder);
        else
            warnings << (one ? TranslateText(QStringLiteral("%1: %2 byte that is not valid %3 was replaced by U+FFFD"))
                             : TranslateText(QStringLiteral("%1: %2 bytes that are not valid %3 were replaced by U+FFFD")))
                            .arg(name, count, decoder);
    }
    if (const qint64 dropped = report.droppedBytes; dropped > 0)
        warnings << (dropped == 1 ? TranslateText(QStringLiteral("%1: %2 byte was dropped at the end (too few for a character)"))
                                  : TranslateText(QStringLiteral("%1: %2 bytes were dropped at the end (too few for a character)")))
                        .arg(name, QString::number(dropped));
    if (const qint64 lone = report.loneSurrogates; lone > 0)
        warnings << (lone == 1 ? TranslateText(QStringLiteral("%1: %2 unpaired surrogate was kept as loaded; saving writes each as U+FFFD"))
                               : TranslateText(QStringLiteral("%1: %2 unpaired surrogates were kept as loaded; saving writes each as U+FFFD")))
                        .arg(name, QString::number(lone));
    // clang-format on
    return warnings;
}

QString noMappingMessage()
{
    // Translated texts stay one literal on one line, where the check of the languages finds them.
    // clang-format off
    return TranslateText(QStringLiteral("No mapping for the Unicode character exists in the target multi-byte code page"));
    // clang-format on
}

QString decodeErrorMessage(const QString &fileName, qint64 line)
{
    return errorBoxText(noMappingMessage()) + u'\n'
        + TranslateText(QStringLiteral("File \"%1\", line %2."))
              .arg(QDir::toNativeSeparators(fileName), FormatCount(line));
}

LoadReport loadFileToList(const QString &fileName,
                          TextEncoding encoding,
                          const LoadOptions &options,
                          LineList &list,
                          JobProgress *progress)
{
    try {
        QFile file(fileName);
        openForReading(file);
        return loadInto(file, fileName, encoding, options, list, nullptr, progress);
    } catch (const std::bad_alloc &) {
        throw AppError(tooLargeMessage(fileName), ErrorKind::OutOfMemory);
    }
}

LoadReport loadStandardInputToList(TextEncoding encoding, const LoadOptions &options, LineList &list)
{
    const QString name = standardInputName();
    try {
        QFile file;
        if (!file.open(0, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            throwOpenError(name, file.errorString());
        return loadInto(file, name, encoding, options, list);
    } catch (const std::bad_alloc &) {
        throw AppError(tooLargeMessage(name), ErrorKind::OutOfMemory);
    }
}

LoadReport loadFileInChunks(const QString &fileName,
                            TextEncoding encoding,
                            bool ignoreWhitespace,
                            LineList &list,
                            const ChunkedLoad &chunked)
{
    QFile file(fileName);
    openForReading(file);
    return loadInto(file, fileName, encoding, {ignoreWhitespace, false}, list, &chunked);
}

LoadReport loadStandardInputInChunks(TextEncoding encoding,
                                     bool ignoreWhitespace,
                                     LineList &list,
                                     const ChunkedLoad &chunked)
{
    QFile file;
    if (!file.open(0, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        throwOpenError(standardInputName(), file.errorString());
    return loadInto(file, standardInputName(), encoding, {ignoreWhitespace, false}, list, &chunked);
}

QString standardInputName()
{
    return QStringLiteral("standard input");
}

namespace {

LoadReport loadInto(QFile &file,
                    const QString &fileName,
                    TextEncoding encoding,
                    const LoadOptions &options,
                    LineList &list,
                    const ChunkedLoad *chunked,
                    JobProgress *progress)
{
    list.setSorted(false);
    if (progress) {
        progress->start(JobStage::Reading, file.isSequential() ? 0 : file.size());
        // Opening a pipe waits for its writer, which can take long.
        progress->throwIfCancelled();
    }

    QByteArray bytes(ReadSize, Qt::Uninitialized);
    qsizetype got = readChunk(file, fileName, bytes);

    QByteArray name = decoderName(encoding);
    qsizetype skip = 0;
    for (const ByteOrderMark &mark : ByteOrderMarks) {
        if (QByteArrayView(bytes.constData(), got).startsWith(mark.bytes)) {
            name = mark.decoder;
            skip = mark.bytes.size();
            break;
        }
    }
    const bool strict = name == "UTF-8";
    // The mark has been dealt with; a second one is text.
    Decoder decoder(name.constData(), QStringConverter::Flag::ConvertInitialBom);
    if (!decoder.isValid())
        throw AppError(TranslateText(QStringLiteral("No decoder for \"%1\"")).arg(QString::fromLatin1(name)));

    // No encoding here gives more code units than bytes; a chunk holds a
    // little more than its share while its last read is split.
    if (const qint64 fileSize = file.size(); fileSize > 0)
        list.reserveText(
            (chunked ? std::min(qsizetype(fileSize), chunked->chunkUnits + ReadSize) : qsizetype(fileSize))
            + BlockSize);

    // The text is decoded straight into the list's own storage, and each line
    // is stored as a reference to its place there.
    LineScanner scanner;
    qint64 endedLines = 0; // by this load, for the line a decoding error names
    const qsizetype room = decoder.requiredSpace(ReadSize);
    list.textRoom(room);
    qsizetype lineStart = list.commitText(0); // of the line not yet ended
    qsizetype scanned = lineStart;
    auto addLines = [&](qsizetype upTo) {
        const char16_t *text = list.textData();
        const qsizetype rest = scanner.scan(
            text + lineStart, scanned - lineStart, upTo - lineStart, [&](qsizetype start, qsizetype end) {
                ++endedLines;
                addLine(list, text, lineStart + start, lineStart + end, options.ignoreWhitespace);
            });
        lineStart += rest;
        scanned = upTo;
    };

    // A file that never ends (a device, a pipe) stops with an error before
    // it fills all memory. The text the list held before is in memory
    // already, so only what this load adds counts.
    const qint64 memory = chunked ? 0 : platform::availableMemoryBytes();
    const qsizetype maxUnits
        = memory > 0 ? qsizetype(memory / qint64(sizeof(char16_t))) : std::numeric_limits<qsizetype>::max();
    qint64 loneSurrogates = 0;
    const bool countSurrogates = passesSurrogates(name);

    // The units of the last decoded block are not split into lines until the
    // next block decodes cleanly: a bad sequence it left open began in it.
    qsizetype heldBack = lineStart;
    qsizetype loadStart = lineStart;
    // Hands the lines ended so far to the chunk's taker and keeps only the
    // text of the line not yet ended.
    auto handOver = [&] {
        if (countSurrogates)
            loneSurrogates += countLoneSurrogates(list.textData() + loadStart, lineStart - loadStart);
        chunked->take(list);
        const qsizetype from = lineStart;
        list.restartText(from);
        lineStart -= from;
        scanned -= from;
        heldBack -= from;
        loadStart = 0;
    };
    qint64 chunkOffset = 0; // of the chunk in the file
    QByteArray before; // the last bytes of the chunk before
    for (;;) {
        const bool lastChunk = got < ReadSize;
        if (list.commitText(0) - loadStart > maxUnits - room)
            throw std::bad_alloc();
        QChar *const begin = reinterpret_cast<QChar *>(list.textRoom(room));
        QChar *out = begin;
        const qsizetype start = list.commitText(0);
        // Blocks are counted from the file's first byte, mark included.
        for (qsizetype block = 0; block < got; block += BlockSize) {
            const qsizetype from = std::max(block, skip);
            const qsizetype to = std::min(block + BlockSize, got);
            const bool sequenceOpen = decoder.hasPendingInput();
            const qsizetype blockStart = start + (out - begin);
            out = decoder.appendToBuffer(out, QByteArrayView(bytes.constData() + from, to - from));
            if (!strict)
                continue;
            const bool atEnd = lastChunk && to == got;
            if (decoder.hasError() || (atEnd && decoder.hasPendingInput())) {
                const QByteArray lead = QByteArray(before + QByteArrayView(bytes.constData(), from)).right(3);
                const BadSequence bad = badSequence(lead, QByteArrayView(bytes.constData() + from, to - from),
                                                    chunkOffset + from, sequenceOpen);
                // Only a bad sequence that began in the block before takes
                // that block's lines with it.
                const bool earlier = decoder.hasError() && bad.offset < chunkOffset + from;
                list.commitText(out - begin);
                addLines(earlier ? std::min(heldBack, blockStart) : blockStart);
                // The lines that end in the text before the bad bytes, by the
                // same rule (a CR that ended the scan waits for its LF).
                LineScanner counter = scanner;
                qint64 moreLines = 0;
                counter.scan(list.textData() + lineStart, scanned - lineStart,
                             blockStart + bad.unitsBefore - lineStart,
                             [&](qsizetype, qsizetype) { ++moreLines; });
                throw DecodeError(bad.offset, endedLines + moreLines + 1, fileName);
            }
            heldBack = blockStart;
        }
        skip = 0;
        list.commitText(out - begin);
        if (lastChunk)
            break;
        addLines(heldBack);
        if (chunked && (lineStart >= chunked->chunkUnits || list.count() >= chunked->chunkLines))
            handOver();
        before = QByteArray(bytes.constData() + got - 3, 3);
        chunkOffset += got;
        if (chunked && chunked->bytesRead)
            chunked->bytesRead->store(chunkOffset, std::memory_order_relaxed);
        if (progress) {
            progress->setDone(chunkOffset);
            // Between reads every line read so far is in the list.
            progress->throwIfCancelled();
        }
        got = readChunk(file, fileName, bytes);
    }
    addLines(list.commitText(0));
    if (lineStart < scanned)
        addLine(list, list.textData(), lineStart, scanned, options.ignoreWhitespace);
    if (countSurrogates)
        loneSurrogates += countLoneSurrogates(list.textData() + loadStart, list.commitText(0) - loadStart);
    if (chunked) {
        chunked->take(list);
        list.clear();
        if (chunked->bytesRead)
            chunked->bytesRead->store(chunkOffset + got, std::memory_order_relaxed);
    }
    if (progress)
        progress->setDone(chunkOffset + got);

    // Lenient decoders change bytes without failing: the caller tells the user.
    LoadReport report;
    report.decoder = name;
    report.replacedBytes = decoder.invalidInput();
    report.droppedBytes = decoder.pendingBytes();
    report.loneSurrogates = loneSurrogates;

    if (options.sortWhenLoading && !chunked)
        list.setSorted(true);
    return report;
}

} // namespace
