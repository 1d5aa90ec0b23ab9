#pragma once

// Shared by the fuzz targets: the input as bytes, a scratch folder, and the
// reference line splitting the targets check our code against.

#include "lists/textencoding.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// Stops the run with a report libFuzzer records as a finding.
[[noreturn]] inline void fail(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "FINDING: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}

inline void check(bool condition, const char *what, const QString &detail = QString())
{
    if (!condition)
        fail(what, detail);
}

// QStringDecoder that can tell whether a multi-byte sequence is still open.
class Decoder : public QStringDecoder
{
public:
    using QStringDecoder::QStringDecoder;
    bool hasPendingInput() const { return state.remainingChars != 0; }
};

// Complete, well-formed UTF-8 (a sequence cut short by the end is not).
inline bool isValidUtf8(QByteArrayView bytes)
{
    Decoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes); // lazy until taken
    return !decoder.hasError() && !decoder.hasPendingInput();
}

struct Reference
{
    QByteArray decoder;
    qsizetype skip = 0; // bytes of the byte-order mark
};

// A byte-order mark wins over the chosen encoding: UTF-8's, then FF FE, then FE FF.
inline Reference referenceFor(const QByteArray &bytes, TextEncoding encoding)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {"UTF-8", 3};
    if (bytes.startsWith("\xFF\xFE"))
        return {"UTF-16LE", 2};
    if (bytes.startsWith("\xFE\xFF"))
        return {"UTF-16BE", 2};
    return {decoderName(encoding), 0};
}

// Reads flags from the front of the input and hands out the rest.
class Input
{
public:
    Input(const std::uint8_t *data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    std::uint8_t byte()
    {
        if (m_pos >= m_size)
            return 0;
        return m_data[m_pos++];
    }
    QByteArray rest() const
    {
        return QByteArray(reinterpret_cast<const char *>(m_data + m_pos), qsizetype(m_size - m_pos));
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// One folder for the whole run, removed when the run ends normally.
inline const QTemporaryDir &scratch()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/pairsight-fuzz-XXXXXX"));
    if (!dir.isValid())
        fail("no scratch folder");
    return dir;
}

// Writes the bytes to `name` in the scratch folder and returns its path.
inline QString writeScratch(const QString &name, const QByteArray &bytes)
{
    QString path = scratch().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail("cannot write the scratch file", path);
    return path;
}

// Code units up to 32 stripped from both ends, as loading trims.
inline QStringView trimmedReference(QStringView line)
{
    while (!line.isEmpty() && line.front().unicode() <= 32)
        line = line.sliced(1);
    while (!line.isEmpty() && line.back().unicode() <= 32)
        line.chop(1);
    return line;
}

// Lines ended by CR LF, LF or CR, one unit at a time. withUnended: the text
// after the last terminator counts as a line when it is not empty.
inline QStringList referenceLines(QStringView text, bool trim, bool withUnended = true)
{
    QStringList lines;
    auto add = [&](QStringView line) {
        if (trim) {
            line = trimmedReference(line);
            if (line.isEmpty())
                return;
        }
        lines.append(line.toString());
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit != u'\r' && unit != u'\n')
            continue;
        add(text.sliced(start, i - start));
        if (unit == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (withUnended && start < text.size())
        add(text.sliced(start));
    return lines;
}

// Both lists, for a finding's report.
inline QString describe(const QStringList &got, const QStringList &expected)
{
    auto quoted = [](const QStringList &lines) {
        QString text;
        for (const QString &line : lines) {
            text += u'[';
            for (QChar c : line)
                text += c.unicode() < 32 || c.unicode() > 126
                    ? QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'))
                    : QString(c);
            text += QStringLiteral("] ");
        }
        return text;
    };
    return QStringLiteral("got:      %1\nexpected: %2").arg(quoted(got), quoted(expected));
}

} // namespace fuzz
