#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The six encodings of the open dialog, in its order.
enum class TextEncoding
{
    Ansi,
    Ascii,
    Utf16LE,
    Utf16BE,
    Utf8,
    Utf7,
};

// The entries of the "Encoding:" selector: "ANSI", "ASCII", "Unicode", ...
QStringList encodingNames();
inline constexpr int DefaultEncodingIndex = 4;

// Selector index to encoding; any index not in the list means UTF-8.
TextEncoding encodingFromIndex(int index);
// An entry's name (as encodingNames() spells it, any case) to encoding.
std::optional<TextEncoding> encodingFromName(const QString &name);

// The decoder name for QStringDecoder; ANSI is the user's code page.
QByteArray decoderName(TextEncoding encoding);
