#include "lists/linewriter.h"

#include "lists/linelist.h"
#include "platform/apperror.h"

#include <QDir>
#include <QSaveFile>
#include <QStringEncoder>

namespace {

[[noreturn]] void throwWriteError(const QString &fileName, const QString &reason)
{
    throw AppError(
        QStringLiteral("Cannot write file \"%1\". %2").arg(QDir::toNativeSeparators(fileName), reason),
        ErrorKind::CannotWrite);
}

} // namespace

void writeLinesToFile(const QString &fileName, const LineList &lines, bool byteOrderMark)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throwWriteError(fileName, file.errorString());

    constexpr qsizetype FlushAt = 1 << 20;
    QStringEncoder encoder(QStringEncoder::Utf8);
    QByteArray buffer;
    buffer.reserve(FlushAt + 4096);
    if (byteOrderMark)
        buffer.append("\xEF\xBB\xBF", 3);
    auto flush = [&] {
        if (file.write(buffer) != buffer.size())
            throwWriteError(fileName, file.errorString());
        buffer.clear();
    };
    for (qsizetype i = 0; i < lines.count(); ++i) {
        lines.prefetch(i + 64);
        const QStringView line = lines.at(i);
        const qsizetype start = buffer.size();
        buffer.resize(start + encoder.requiredSpace(line.size()) + 2);
        char *end = encoder.appendToBuffer(buffer.data() + start, line);
        *end++ = '\r';
        *end++ = '\n';
        buffer.resize(end - buffer.constData());
        if (buffer.size() >= FlushAt)
            flush();
    }
    flush();
    if (!file.commit())
        throwWriteError(fileName, file.errorString());
}
