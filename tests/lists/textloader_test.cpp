#include "lists/formatcount.h"
#include "lists/linelist.h"
#include "lists/textloader.h"
#include "platform/apperror.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <optional>

#include <unistd.h>

namespace {

using testsupport::linesOf;

using testsupport::dataPath;
using testsupport::ScopedEnv;
using testsupport::TempDir;

std::string show(const QStringList &lines)
{
    return QString(u'[' + lines.join(u'|') + u']').toStdString();
}

const QStringList UnicodeLines {QStringLiteral("Grüße aus Köln"), QStringLiteral("Журнал"),
                                QStringLiteral("日本語のテキスト"), QStringLiteral("😀 smile")};
const QStringList WesternLines {QStringLiteral("Grüße"), QStringLiteral("café crème")};

TEST(TextLoader, DecodesEveryEncodingWithAndWithoutByteOrderMark)
{
    struct Case
    {
        const char *file;
        TextEncoding encoding;
        const char *locale; // for ANSI
        QStringList expected;
    };
    const Case cases[] = {
        {"utf8.txt", TextEncoding::Utf8, "en_US.UTF-8", UnicodeLines},
        {"utf8-bom.txt", TextEncoding::Utf8, "en_US.UTF-8", UnicodeLines},
        // The mark chooses the encoding, whatever is selected.
        {"utf8-bom.txt", TextEncoding::Ansi, "en_US.UTF-8", UnicodeLines},
        {"utf16le.txt", TextEncoding::Utf16LE, "en_US.UTF-8", UnicodeLines},
        {"utf16le-bom.txt", TextEncoding::Utf16LE, "en_US.UTF-8", UnicodeLines},
        {"utf16le-bom.txt", TextEncoding::Utf8, "en_US.UTF-8", UnicodeLines},
        {"utf16le-bom.txt", TextEncoding::Utf16BE, "en_US.UTF-8", UnicodeLines},
        {"utf16be.txt", TextEncoding::Utf16BE, "en_US.UTF-8", UnicodeLines},
        {"utf16be-bom.txt", TextEncoding::Utf16BE, "en_US.UTF-8", UnicodeLines},
        {"utf16be-bom.txt", TextEncoding::Ascii, "en_US.UTF-8", UnicodeLines},
        {"utf7.txt", TextEncoding::Utf7, "en_US.UTF-8", UnicodeLines},
        {"latin1.txt", TextEncoding::Ansi, "de_DE.UTF-8", WesternLines},
        {"cp1252.txt", TextEncoding::Ansi, "fr_FR", WesternLines},
        {"cp1251.txt",
         TextEncoding::Ansi,
         "ru_RU.UTF-8",
         {QStringLiteral("Журнал"), QStringLiteral("Привет")}},
        {"ascii.txt", TextEncoding::Ascii, "en_US.UTF-8", {QStringLiteral("plain"), QStringLiteral("text")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.file) + " as " + std::to_string(int(c.encoding)) + " in " + c.locale);
        ScopedEnv locale("LC_ALL", c.locale);
        LineList list("en_US");
        loadFileToList(dataPath(QStringLiteral("encodings/") + QLatin1StringView(c.file)), c.encoding,
                       {.ignoreWhitespace = false, .sortWhenLoading = false}, list);
        EXPECT_EQ(show(linesOf(list)), show(c.expected));
    }
}

// The lenient encodings load as ever, and the load says what they changed.
TEST(TextLoader, ReportsWhatLenientDecodingReplacedOrDropped)
{
    ScopedEnv locale("LC_ALL", "el_GR.UTF-8"); // ANSI is windows-1253, where D2 has no character
    TempDir dir;
    struct Case
    {
        const char *name;
        QByteArray bytes;
        TextEncoding encoding;
        QStringList expectedLines;
        QStringList warnings;
    };
    const QString lone(QChar(0xD800));
    const Case cases[] = {
        {"ascii",
         QByteArray("a\x80\xff\nb\x90\n"),
         TextEncoding::Ascii,
         {QStringLiteral("a\uFFFD\uFFFD"), QStringLiteral("b\uFFFD")},
         {QStringLiteral("f: 3 bytes that are not ASCII were replaced by U+FFFD")}},
        {"ansi",
         QByteArray("\xe1\xd2\n"),
         TextEncoding::Ansi,
         {QStringLiteral("\u03B1\uFFFD")},
         {QStringLiteral("f: 1 byte that has no character in windows-1253 was replaced by U+FFFD")}},
        {"odd utf-16",
         QByteArray("a\0\n\0b", 5),
         TextEncoding::Utf16LE,
         {QStringLiteral("a")},
         {QStringLiteral("f: 1 byte was dropped at the end (too few for a character)")}},
        // A lone high surrogate ends a line and a lone low one starts the next;
        // a pair in between is no matter.
        {"lone surrogates",
         QByteArray("\xD8\x00\x00\n\xDC\x00\xD8\x3D\xDE\x00", 10),
         TextEncoding::Utf16BE,
         {lone, QString(QChar(0xDC00)) + QStringLiteral("\U0001F600")},
         {QStringLiteral("f: 2 unpaired surrogates were kept as loaded; saving writes each as U+FFFD")}},
        {"clean", QByteArray("plain\n"), TextEncoding::Ascii, {QStringLiteral("plain")}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.write(QStringLiteral("f"), c.bytes);
        LineList list("en_US");
        const LoadReport report = loadFileToList(path, c.encoding, {.sortWhenLoading = false}, list);
        EXPECT_EQ(show(linesOf(list)), show(c.expectedLines));
        EXPECT_EQ(report.clean(), c.warnings.isEmpty());
        QStringList named = c.warnings;
        named.replaceInStrings(QStringLiteral("f:"), QDir::toNativeSeparators(path) + u':');
        EXPECT_EQ(loadWarnings(path, report), named);
    }
}

TEST(TextLoader, AsciiAndAnsiNeverFail)
{
    // Bytes that are no ASCII and no valid UTF-8 still give a line each.
    ScopedEnv locale("LC_ALL", "en_US.UTF-8");
    TempDir dir;
    const QString path = dir.write(QStringLiteral("high.txt"), QByteArray("a\x80\xff\r\nb\x81\r\n"));
    for (TextEncoding encoding : {TextEncoding::Ascii, TextEncoding::Ansi}) {
        LineList list("en_US");
        EXPECT_NO_THROW(loadFileToList(path, encoding, {.sortWhenLoading = false}, list));
        EXPECT_EQ(list.count(), 2);
    }
}

TEST(TextLoader, Latin1AsUtf8FailsWithTheNoMappingError)
{
    LineList list("en_US");
    const QString path = dataPath(QStringLiteral("encodings/latin1.txt"));
    try {
        loadFileToList(path, TextEncoding::Utf8, {}, list);
        FAIL() << "no error";
    } catch (const AppError &error) {
        EXPECT_EQ(
            noMappingMessage(),
            QStringLiteral("No mapping for the Unicode character exists in the target multi-byte code page"));
        EXPECT_EQ(
            error.message(),
            QStringLiteral("No mapping for the Unicode character exists in the target multi-byte code page.\n"
                           "File \"%1\", line 1.")
                .arg(QDir::toNativeSeparators(path)));
    }
    EXPECT_EQ(list.count(), 0);
    EXPECT_FALSE(list.sorted());
}

// Lines of 9 bytes ("line0000\n"): line k ends at byte 9k+8.
QByteArray numberedLines(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += "line" + QByteArray::number(i).rightJustified(4, '0') + '\n';
    return bytes;
}

TEST(TextLoader, DecodingErrorKeepsTheLinesEndedBeforeTheBadBlock)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        qsizetype kept;
        qint64 badByte; // where the bad sequence starts
        qint64 line; // the line it is on
    };
    QByteArray base = numberedLines(1000); // 9000 bytes, blocks 0, 1, 2
    QByteArray inBlock1 = base;
    inBlock1[5000] = '\xFF';
    QByteArray inBlock2 = base;
    inBlock2[8200] = '\x80';
    QByteArray straddle = base; // a sequence opened at the end of block 0 breaks in block 1
    straddle[4094] = '\xE2';
    straddle[4095] = '\x82';
    QByteArray goodStraddle = inBlock1; // a good sequence across the block end changes nothing
    goodStraddle[4095] = '\xC3';
    goodStraddle[4096] = '\xA9';
    QByteArray truncatedAtEnd = base + "\xE2\x82";
    // The same across the end of the first 1 MiB read.
    constexpr qsizetype Read = 1 << 20;
    QByteArray acrossReads = numberedLines(120000);
    acrossReads[Read - 2] = '\xE2';
    acrossReads[Read - 1] = '\x82';
    const qsizetype keptAcrossReads = acrossReads.first(Read - 4096).count('\n');
    QByteArray withMark = "\xEF\xBB\xBF" + base; // the mark counts towards the blocks
    withMark[3 + 5000] = '\xFF';
    // Line k (from 0) holds bytes 9k to 9k+8.
    const Case cases[] = {
        {"bad byte in block 0", "ok\n\xC3(\n", 0, 3, 2},
        {"bad byte in block 1", inBlock1, 455, 5000, 556},
        {"bad byte in block 2", inBlock2, 910, 8200, 912},
        {"sequence open across a block end", straddle, 0, 4094, 455},
        {"good sequence across a block end, bad byte later", goodStraddle, 455, 5000, 556},
        {"sequence cut off by the end", truncatedAtEnd, 910, 9000, 1001},
        {"sequence open across a read", acrossReads, keptAcrossReads, Read - 2,
         acrossReads.first(Read - 2).count('\n') + 1},
        {"mark counts towards the blocks", withMark, 454, 3 + 5000, 556},
    };
    TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.write(QStringLiteral("bad.txt"), c.bytes);
        LineList list("en_US");
        try {
            loadFileToList(path, TextEncoding::Utf8, {.sortWhenLoading = true}, list);
            ADD_FAILURE() << "no error";
        } catch (const DecodeError &error) {
            EXPECT_EQ(error.byteOffset(), c.badByte);
            EXPECT_EQ(error.line(), c.line);
        }
        ASSERT_EQ(list.count(), c.kept);
        EXPECT_FALSE(list.sorted());
        for (qsizetype i = 0; i < list.count(); ++i)
            ASSERT_EQ(list.lineAt(i), QStringLiteral("line%1").arg(i, 4, 10, QChar(u'0')));
    }
}

// The decoding error names the line of the bad bytes as the loader splits
// lines, whether the load trims, sorts or hands its lines over in chunks.
TEST(TextLoader, DecodingErrorNamesTheFileAndTheLine)
{
    constexpr qsizetype Block = 4096;
    constexpr qsizetype Read = 1 << 20;
    const auto pairs = [](qsizetype bytes) { return QByteArray("a\n").repeated(bytes / 2); };
    struct Case
    {
        const char *name;
        QByteArray bytes;
        qint64 line;
    };
    const Case cases[] = {
        {"bad byte on line 1",
         "\xFF"
         "abc\n",
         1},
        {"after LF", "a\n\xFF", 2},
        {"after CR", "a\r\xFF", 2},
        {"after CR LF", "a\r\n\xFF", 2},
        {"after empty lines of every kind", "a\r\nb\rc\n\n\r\r\n\xC3(", 7},
        {"CR ending a block, LF starting the next", QByteArray(Block - 1, 'x') + "\r\n\xFF", 2},
        {"CR ending a block, the bad byte starting the next", QByteArray(Block - 1, 'x') + "\r\xFF", 2},
        {"sequence split across a block edge", pairs(Block - 2) + "\xE2\x82(", (Block - 2) / 2 + 1},
        {"sequence split across a read", pairs(Read - 2) + "\xE2\x82(", (Read - 2) / 2 + 1},
        {"CR LF split across a read", QByteArray(Read - 1, 'x') + "\r\n\xFF", 2},
        {"bad byte opening the second read", pairs(Read) + "\xFF", Read / 2 + 1},
        {"after a byte-order mark", "\xEF\xBB\xBF\xFF", 1},
        {"after a byte-order mark and a line",
         "\xEF\xBB\xBF"
         "a\r\n\xFF",
         2},
    };
    enum class Loader
    {
        Whole,
        Trimmed,
        Chunked,
    };
    TempDir dir;
    for (const Case &c : cases) {
        const QString path = dir.write(QStringLiteral("bad.txt"), c.bytes);
        for (const Loader loader : {Loader::Whole, Loader::Trimmed, Loader::Chunked}) {
            SCOPED_TRACE(std::string(c.name)
                         + (loader == Loader::Whole         ? ", whole"
                                : loader == Loader::Trimmed ? ", trimmed"
                                                            : ", chunked"));
            LineList list("en_US");
            try {
                if (loader == Loader::Chunked) {
                    // Chunks far smaller than a read, so that lines are handed over before the error.
                    const ChunkedLoad chunked {
                        .chunkUnits = 1000, .chunkLines = 100, .take = [](const LineList &) {}};
                    loadFileInChunks(path, TextEncoding::Utf8, false, list, chunked);
                } else {
                    loadFileToList(path, TextEncoding::Utf8,
                                   {.ignoreWhitespace = loader == Loader::Trimmed, .sortWhenLoading = true},
                                   list);
                }
                ADD_FAILURE() << "no error";
            } catch (const DecodeError &error) {
                EXPECT_EQ(error.line(), c.line);
                EXPECT_EQ(error.message(),
                          noMappingMessage()
                              + QStringLiteral(".\nFile \"%1\", line %2.")
                                    .arg(QDir::toNativeSeparators(path), FormatCount(c.line)));
            }
        }
    }
}

TEST(TextLoader, LargeFilesSplitCleanlyAcrossReads)
{
    // Multi-byte characters and CR LF pairs fall on every kind of boundary.
    QByteArray bytes;
    QStringList expected;
    for (int i = 0; i < 200000; ++i) {
        const QString line = QStringLiteral("ä%1€").arg(i);
        expected << line;
        bytes += line.toUtf8() + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\r" : "\n");
    }
    TempDir dir;
    const QString path = dir.write(QStringLiteral("big.txt"), bytes);
    LineList list("en_US");
    loadFileToList(path, TextEncoding::Utf8, {.sortWhenLoading = false}, list);
    ASSERT_EQ(list.count(), expected.size());
    EXPECT_EQ(linesOf(list), expected);
}

TEST(TextLoader, OpenFailuresNameTheFileAndTheReason)
{
    TempDir dir;
    struct Case
    {
        const char *name;
        QString path;
        const char *reason;
    };
    const Case cases[] = {
        {"missing", dir.file(QStringLiteral("missing.txt")), "No such file or directory"},
        {"folder", dir.path(), "Is a directory"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LineList list("en_US");
        list.append(u"kept");
        try {
            loadFileToList(c.path, TextEncoding::Utf8, {}, list);
            FAIL() << "no error";
        } catch (const AppError &error) {
            EXPECT_TRUE(error.message().contains(QDir::toNativeSeparators(c.path))) << error.what();
            EXPECT_TRUE(error.message().contains(QLatin1StringView(c.reason))) << error.what();
        }
        EXPECT_EQ(linesOf(list), QStringList {QStringLiteral("kept")});
    }
}

// The drop retries in another encoding on a decoding error only, and the window
// tells a load that ran out of memory apart, so the kinds must not blur.
TEST(TextLoader, ErrorsTellOpenFailuresFromDecodingErrors)
{
    TempDir dir;
    const struct
    {
        const char *name;
        QString path;
        ErrorKind kind;
        bool memoryShort = false; // no block of a megabyte can be had
    } cases[] = {
        {"missing", dir.file(QStringLiteral("missing.txt")), ErrorKind::CannotOpen},
        {"folder", dir.path(), ErrorKind::CannotOpen},
        {"not UTF-8", dataPath(QStringLiteral("encodings/latin1.txt")), ErrorKind::CannotDecode},
        {"sequence cut at the end", dir.write(QStringLiteral("cut.txt"), "a\n\xC3"), ErrorKind::CannotDecode},
        {"out of memory", dir.write(QStringLiteral("fits.txt"), "x\n"), ErrorKind::OutOfMemory, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LineList list("en_US");
        std::optional<testsupport::LargeBlockLimit> limit;
        if (c.memoryShort)
            limit.emplace(std::size_t {1} << 20);
        try {
            loadFileToList(c.path, TextEncoding::Utf8, {}, list);
            ADD_FAILURE() << "no error";
        } catch (const AppError &error) {
            EXPECT_EQ(error.kind(), c.kind) << error.what();
        }
    }
}

TEST(TextLoader, UnreadableFileIsRefused)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    TempDir dir;
    const QString path = dir.write(QStringLiteral("secret.txt"), "x\n");
    QFile::setPermissions(path, QFileDevice::Permissions());
    LineList list("en_US");
    try {
        loadFileToList(path, TextEncoding::Utf8, {}, list);
        FAIL() << "no error";
    } catch (const AppError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("Permission denied"))) << error.what();
    }
}

TEST(TextLoader, OptionsTrimAndSort)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        LoadOptions options;
        QStringList expected;
    };
    const QStringList unsorted {QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("a")};
    const Case cases[] = {
        {"two LFs, kept",
         "x\n\ny\n",
         {.ignoreWhitespace = false, .sortWhenLoading = false},
         {QStringLiteral("x"), QString(), QStringLiteral("y")}},
        {"two LFs, trimmed",
         "x\n\ny\n",
         {.ignoreWhitespace = true, .sortWhenLoading = false},
         {QStringLiteral("x"), QStringLiteral("y")}},
        {"blanks and tabs, trimmed",
         "  x \t\n \t \n",
         {.ignoreWhitespace = true, .sortWhenLoading = false},
         {QStringLiteral("x")}},
        {"blanks and tabs, kept",
         "  x \t\n \t \n",
         {.ignoreWhitespace = false, .sortWhenLoading = false},
         {QStringLiteral("  x \t"), QStringLiteral(" \t ")}},
        {"no-break space stays",
         "\xC2\xA0x\xC2\xA0\n",
         {.ignoreWhitespace = true, .sortWhenLoading = false},
         {QStringLiteral("\u00A0x\u00A0")}},
        {"file order kept", "b\nA\na\n", {.ignoreWhitespace = false, .sortWhenLoading = false}, unsorted},
        {"empty file", "", {.ignoreWhitespace = false, .sortWhenLoading = false}, {}},
        {"no last terminator",
         "p\r\nq",
         {.ignoreWhitespace = false, .sortWhenLoading = false},
         {QStringLiteral("p"), QStringLiteral("q")}},
    };
    TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.write(QStringLiteral("in.txt"), c.bytes);
        LineList list("en_US");
        loadFileToList(path, TextEncoding::Utf8, c.options, list);
        EXPECT_EQ(show(linesOf(list)), show(c.expected));
        EXPECT_EQ(list.sorted(), c.options.sortWhenLoading);
    }
}

TEST(TextLoader, SortWhenLoadingSortsTheWholeListAndKeepsRepeats)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("in.txt"), "b\nA\na\nb\n");
    LineList list("en_US");
    list.append(u"c");
    loadFileToList(path, TextEncoding::Utf8, {.sortWhenLoading = true}, list);
    ASSERT_EQ(list.count(), 5);
    EXPECT_TRUE(list.sorted());
    // Case ignored: A and a in either order.
    EXPECT_EQ(list.lineAt(0).toLower(), QStringLiteral("a"));
    EXPECT_EQ(list.lineAt(1).toLower(), QStringLiteral("a"));
    EXPECT_EQ(linesOf(list).mid(2),
              (QStringList {QStringLiteral("b"), QStringLiteral("b"), QStringLiteral("c")}));
}

} // namespace
