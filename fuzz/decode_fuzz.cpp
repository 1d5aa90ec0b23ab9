// Loading a file in each encoding against decoding it whole. The loader
// decodes in blocks straight into the list and splits lines as it goes, so
// any difference from the one-piece reference is a fault at a boundary. The
// splitter is also fed the reference text in pieces of random sizes.

#include "fuzz/fuzzsupport.h"
#include "lists/linelist.h"
#include "lists/linesplitter.h"
#include "lists/textencoding.h"
#include "lists/textloader.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

// Where the first ill-formed UTF-8 sequence starts, found by feeding the
// decoder a byte at a time: the last place where no sequence was open.
qsizetype firstBadUtf8(QByteArrayView bytes)
{
    fuzz::Decoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    qsizetype clean = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        // decode() is lazy: the text must be taken for it to run.
        const QString text = decoder.decode(bytes.sliced(i, 1));
        if (decoder.hasError())
            return clean;
        if (!decoder.hasPendingInput())
            clean = i + 1;
    }
    return clean < bytes.size() ? clean : -1;
}

QString decodeWhole(const QByteArray &name, QByteArrayView bytes)
{
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::ConvertInitialBom);
    if (!decoder.isValid())
        fuzz::fail("no decoder", QString::fromLatin1(name));
    return decoder.decode(bytes);
}

QStringList linesOf(const LineList &list)
{
    QStringList lines;
    for (qsizetype i = 0; i < list.count(); ++i)
        lines.append(list.lineAt(i));
    return lines;
}

void checkSplitterInPieces(const QString &text, bool trim, std::uint8_t seed)
{
    LineList list("");
    LineSplitter splitter(list, trim);
    qsizetype at = 0;
    std::uint32_t state = seed * 2654435761u + 1;
    while (at < text.size()) {
        state = state * 1103515245u + 12345u;
        const qsizetype piece = std::min<qsizetype>(text.size() - at, (state >> 16) % 9);
        splitter.feed(QStringView(text).sliced(at, piece));
        at += piece;
    }
    splitter.finish();
    const QStringList expected = fuzz::referenceLines(text, trim);
    fuzz::check(linesOf(list) == expected, "the splitter fed in pieces differs",
                fuzz::describe(linesOf(list), expected));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input input(data, size);
    const std::uint8_t flags = input.byte();
    const std::uint8_t pieces = input.byte();
    const TextEncoding encoding = encodingFromIndex(flags % 6);
    const bool trim = flags & 0x08;
    const bool prefilled = flags & 0x10;
    const QByteArray bytes = input.rest();

    const QString path = fuzz::writeScratch(QStringLiteral("input.txt"), bytes);
    LineList list("");
    list.setSorted(false);
    QStringList expected;
    if (prefilled) {
        list.append(u"kept");
        expected.append(QStringLiteral("kept"));
    }

    const fuzz::Reference reference = fuzz::referenceFor(bytes, encoding);
    const QByteArrayView text = QByteArrayView(bytes).sliced(reference.skip);
    const qsizetype bad = reference.decoder == "UTF-8" ? firstBadUtf8(text) : -1;
    try {
        loadFileToList(path, encoding, LoadOptions {trim, false}, list);
    } catch (const DecodeError &error) {
        fuzz::check(bad >= 0, "a decoding error in valid text",
                    QStringLiteral("offset %1").arg(error.byteOffset()));
        const qint64 offset = reference.skip + bad;
        fuzz::check(error.byteOffset() == offset, "the decoding error names the wrong offset",
                    QStringLiteral("got %1, expected %2").arg(error.byteOffset()).arg(offset));
        // The lines that ended before the 4096-byte block holding the bad
        // sequence stay; lines after it never do.
        const qsizetype blockStart = std::max<qsizetype>(reference.skip, offset / 4096 * 4096);
        const QStringList surely = fuzz::referenceLines(
            decodeWhole("UTF-8", text.first(blockStart - reference.skip)), trim, false);
        const QStringList atMost = fuzz::referenceLines(decodeWhole("UTF-8", text.first(bad)), trim, false);
        const QStringList got = linesOf(list).mid(expected.size());
        const bool prefix = got.size() <= atMost.size() && std::equal(got.begin(), got.end(), atMost.begin());
        fuzz::check(linesOf(list).mid(0, expected.size()) == expected,
                    "a failed load lost the lines before it");
        fuzz::check(prefix && got.size() >= surely.size(), "a failed load kept the wrong lines",
                    fuzz::describe(got, atMost));
        return 0;
    } catch (const AppError &error) {
        fuzz::fail("the load failed", error.message());
    }
    fuzz::check(bad < 0, "invalid UTF-8 loaded without an error", QStringLiteral("offset %1").arg(bad));

    const QString whole = decodeWhole(reference.decoder, text);
    expected += fuzz::referenceLines(whole, trim);
    fuzz::check(linesOf(list) == expected, "the loaded lines differ from decoding the file whole",
                fuzz::describe(linesOf(list), expected));
    checkSplitterInPieces(whole, trim, pieces);
    return 0;
}
