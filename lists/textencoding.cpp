#include "lists/textencoding.h"

#include "platform/systemlocale.h"

#include <array>

namespace {

constexpr std::array<TextEncoding, 6> Encodings {TextEncoding::Ansi,    TextEncoding::Ascii,
                                                 TextEncoding::Utf16LE, TextEncoding::Utf16BE,
                                                 TextEncoding::Utf8,    TextEncoding::Utf7};

} // namespace

QStringList encodingNames()
{
    return {QStringLiteral("ANSI"),    QStringLiteral("ASCII"),
            QStringLiteral("Unicode"), QStringLiteral("Big Endian Unicode"),
            QStringLiteral("UTF-8"),   QStringLiteral("UTF-7")};
}

TextEncoding encodingFromIndex(int index)
{
    if (index < 0 || index >= int(Encodings.size()))
        return TextEncoding::Utf8;
    return Encodings[size_t(index)];
}

std::optional<TextEncoding> encodingFromName(const QString &name)
{
    const QStringList names = encodingNames();
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return Encodings[size_t(i)];
    }
    return std::nullopt;
}

QByteArray decoderName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Ansi:
        return platform::userAnsiCodePage();
    case TextEncoding::Ascii:
        return "US-ASCII";
    case TextEncoding::Utf16LE:
        return "UTF-16LE";
    case TextEncoding::Utf16BE:
        return "UTF-16BE";
    case TextEncoding::Utf8:
        return "UTF-8";
    case TextEncoding::Utf7:
        return "UTF-7";
    }
    return "UTF-8";
}
