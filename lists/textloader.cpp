#include "lists/textloader.h"

#include "app/apperror.h"
#include "lists/linelist.h"
#include "lists/linesplitter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
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

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void throwOpenError(const QString &fileName, const QString &reason)
{
    throw AppError(
        QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(fileName), reason));
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
qsizetype readChunk(QFile &file, QByteArray &bytes)
{
    qsizetype got = 0;
    while (got < bytes.size()) {
        const qint64 n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0)
            throw AppError(QStringLiteral("Cannot read file \"%1\". %2")
                               .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
        if (n == 0)
            break;
        got += qsizetype(n);
    }
    return got;
}

} // namespace

QString noMappingMessage()
{
    return QStringLiteral("No mapping for the Unicode character exists in the target multi-byte code page");
}

void loadFileToList(const QString &fileName,
                    TextEncoding encoding,
                    const LoadOptions &options,
                    LineList &list)
{
    list.setSorted(false);

    QFile file(fileName);
    openForReading(file);

    QByteArray bytes(ReadSize, Qt::Uninitialized);
    qsizetype got = readChunk(file, bytes);

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
        throw AppError(QStringLiteral("No decoder for \"%1\"").arg(QString::fromLatin1(name)));

    // No encoding here gives more code units than bytes.
    if (const qint64 fileSize = file.size(); fileSize > 0)
        list.reserveText(qsizetype(fileSize));

    LineSplitter splitter(list, options.ignoreWhitespace);
    // Room for a chunk plus the carried-over units of one block.
    std::vector<char16_t> units(size_t(decoder.requiredSpace(ReadSize + BlockSize)) + 16);
    QChar *const begin = reinterpret_cast<QChar *>(units.data());
    QChar *out = begin;
    // The units of the last decoded block wait in the buffer until the next
    // block decodes cleanly: a bad sequence it left open began in it.
    QChar *previousBlockStart = begin;
    for (;;) {
        const bool lastChunk = got < ReadSize;
        // Blocks are counted from the file's first byte, mark included.
        for (qsizetype block = 0; block < got; block += BlockSize) {
            const qsizetype from = std::max(block, skip);
            const qsizetype to = std::min(block + BlockSize, got);
            const bool sequenceOpen = decoder.hasPendingInput();
            QChar *const blockStart = out;
            out = decoder.appendToBuffer(out, QByteArrayView(bytes.constData() + from, to - from));
            if (!strict)
                continue;
            const bool atEnd = lastChunk && to == got;
            if (decoder.hasError() || (atEnd && decoder.hasPendingInput())) {
                const bool earlier = decoder.hasError() && sequenceOpen;
                splitter.feed(QStringView(begin, (earlier ? previousBlockStart : blockStart) - begin));
                throw AppError(noMappingMessage());
            }
            previousBlockStart = blockStart;
        }
        skip = 0;
        if (lastChunk)
            break;
        splitter.feed(QStringView(begin, previousBlockStart - begin));
        out = std::copy(previousBlockStart, out, begin);
        previousBlockStart = begin;
        got = readChunk(file, bytes);
    }
    splitter.feed(QStringView(begin, out - begin));
    splitter.finish();

    if (options.sortWhenLoading)
        list.setSorted(true);
}
