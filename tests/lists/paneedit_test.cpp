#include "lists/collation.h"
#include "lists/linelist.h"
#include "lists/linesort.h"
#include "lists/paneedit.h"
#include "platform/apperror.h"
#include "testsupport.h"

#include <QDir>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <new>
#include <numeric>

namespace {

using testsupport::linesOf;
using testsupport::listOf;
using testsupport::readAll;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using namespace Qt::StringLiterals;

std::vector<bool> rows(std::initializer_list<int> flags)
{
    std::vector<bool> selected;
    for (int flag : flags)
        selected.push_back(flag != 0);
    return selected;
}

TEST(PaneEdit, SelectedTextAndDelete)
{
    struct Case
    {
        const char *name;
        QStringList lines;
        std::vector<bool> selected;
        QString text;
        QStringList kept;
    };
    const Case cases[] = {
        {"b and d",
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")},
         rows({0, 1, 0, 1}),
         QStringLiteral("b\r\nd\r\n"),
         {QStringLiteral("a"), QStringLiteral("c")}},
        {"a single empty line", {QString()}, rows({1}), QStringLiteral("\r\n"), {}},
        {"rows 1 and 3",
         {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")},
         rows({1, 0, 1}),
         QStringLiteral("x\r\nz\r\n"),
         {QStringLiteral("y")}},
        {"repeats kept",
         {QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a")},
         rows({0, 0, 1, 0}),
         QStringLiteral("b\r\n"),
         {QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("a")}},
        {"nothing selected",
         {QStringLiteral("a"), QStringLiteral("b")},
         rows({0, 0}),
         QString(),
         {QStringLiteral("a"), QStringLiteral("b")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LineList list = listOf(c.lines);
        EXPECT_EQ(selectedText(list, c.selected), c.text);
        deleteSelected(list, c.selected);
        EXPECT_EQ(linesOf(list), c.kept);
    }

    // A sorted list stays sorted, with its flags, and keeps its repeats.
    LineList sorted
        = listOf({QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a")});
    sorted.setSorted(true);
    sorted.setMatching({.caseSensitive = true});
    deleteSelected(sorted, rows({0, 0, 1, 0}));
    EXPECT_EQ(linesOf(sorted), (QStringList {QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_TRUE(sorted.sorted());
    EXPECT_TRUE(sorted.matching().caseSensitive);
    EXPECT_EQ(sorted.indexOf(u"c"), 2);
}

TEST(PaneEdit, PasteAppendsSplitsTrimsAndSortsLikeALoad)
{
    struct Case
    {
        const char *name;
        QStringList before;
        bool beforeSorted;
        QString text;
        bool trim;
        bool sort;
        QStringList after;
    };
    const QStringList ba {QStringLiteral("b"), QStringLiteral("a")};
    const Case cases[] = {
        {"trimmed", {}, false, QStringLiteral(" a \r\n\r\n"), true, false, {QStringLiteral("a")}},
        {"untrimmed",
         {},
         false,
         QStringLiteral(" a \r\n\r\n"),
         false,
         false,
         {QStringLiteral(" a "), QString()}},
        {"CR, LF and CR LF, no last terminator",
         {},
         false,
         QStringLiteral("1\r2\n3\r\n4"),
         false,
         false,
         {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}},
        {"after the lines of a sorted list, sorting off",
         {QStringLiteral("a"), QStringLiteral("c")},
         true,
         QStringLiteral("b\r\n"),
         false,
         false,
         {QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("b")}},
        {"the whole list sorted, repeats kept",
         ba,
         false,
         QStringLiteral("c\na\n"),
         false,
         true,
         {QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        {"empty text adds nothing but still sorts",
         ba,
         false,
         QString(),
         false,
         true,
         {QStringLiteral("a"), QStringLiteral("b")}},
        {"copied text pastes back",
         {},
         false,
         QStringLiteral("b\r\nd\r\n"),
         false,
         false,
         {QStringLiteral("b"), QStringLiteral("d")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LineList list = listOf(c.before);
        list.setSorted(c.beforeSorted);
        pasteText(list, c.text, c.trim, c.sort);
        EXPECT_EQ(linesOf(list), c.after);
        EXPECT_EQ(list.sorted(), c.sort);
    }
}

TEST(PaneEdit, RemoveDuplicatesKeepsTheFirstOfEqualLinesAndSorts)
{
    struct Case
    {
        const char *name;
        QStringList lines;
        bool caseSensitive;
        QStringList after;
    };
    const Case cases[] = {
        {"case ignored: the b met first stays",
         {QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("B"), QStringLiteral("a")},
         false,
         {QStringLiteral("a"), QStringLiteral("b")}},
        {"case ignored: B met first stays",
         {QStringLiteral("B"), QStringLiteral("a"), QStringLiteral("b")},
         false,
         {QStringLiteral("a"), QStringLiteral("B")}},
        {"case heeded",
         {QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("B"), QStringLiteral("a")},
         true,
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("B")}},
        {"decomposed and precomposed are one line",
         {QStringLiteral("caf\u00E9"), QStringLiteral("cafe\u0301"), QStringLiteral("cafe")},
         false,
         {QStringLiteral("cafe"), QStringLiteral("caf\u00E9")}},
        {"empty lines are one line",
         {QString(), QStringLiteral("x"), QString()},
         false,
         {QString(), QStringLiteral("x")}},
        {"empty list", {}, true, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LineList list = listOf(c.lines);
        list.removeDuplicates({.caseSensitive = c.caseSensitive});
        EXPECT_EQ(linesOf(list), c.after);
        EXPECT_TRUE(list.sorted());
        EXPECT_EQ(list.matching().caseSensitive, c.caseSensitive);
        for (const QString &line : c.after)
            EXPECT_GE(list.indexOf(line), 0) << line.toStdString();
    }
}

// A list sorted under the same comparison takes one pass, no sort; under the
// other case flag it is sorted afresh. Both keep the first of each run.
TEST(PaneEdit, RemoveDuplicatesOfAListAlreadySorted)
{
    for (const bool caseSensitive : {false, true}) {
        SCOPED_TRACE(caseSensitive ? "case heeded" : "case ignored");
        LineList list
            = listOf({QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("a"),
                      QStringLiteral("cafe\u0301"), QStringLiteral("b"), QStringLiteral("caf\u00E9")});
        list.setSorted(true); // case ignored: a, b B b, café café
        const QStringList sorted = linesOf(list);
        list.removeDuplicates({.caseSensitive = caseSensitive});
        const QStringList expected = caseSensitive
            ? QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("B"),
                           QStringLiteral("cafe\u0301")}
            : QStringList {sorted[0], sorted[1], sorted[4]};
        EXPECT_EQ(linesOf(list), expected);
        EXPECT_TRUE(list.sorted());
        EXPECT_EQ(list.matching().caseSensitive, caseSensitive);
    }
}

// Lines made to tie on the short key prefixes as well as on whole keys, a few
// of them too long for whole keys.
LineList mixedLines(int count)
{
    static const char16_t *const words[]
        = {u"apple", u"Apple", u"APPLE", u"caf\u00E9", u"cafe\u0301",
           u"b",     u"",      u"zebra", u"Zebra",     u"\u0416\u0443\u0440\u043D\u0430\u043B"};
    LineList list("en_US");
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    for (int i = 0; i < count; ++i) {
        // Now and then a line too long for a whole key, tying with a short one.
        if (i % 4000 == 7) {
            static const char16_t *const ends[] = {u"a", u"A", u"b", u"caf\u00E9", u"cafe\u0301"};
            list.append(
                QString(QString(20000, u'x') + QString::fromUtf16(ends[(i / 4000) % std::size(ends)])));
            list.append(QString(QString(30, u'x') + u"a"));
            continue;
        }
        const std::uint32_t pick = next();
        switch (pick % 4) {
        case 0:
            list.append(words[next() % std::size(words)]);
            break;
        case 1:
            list.append(
                QStringLiteral("a long prefix that fills every byte of the key prefix %1").arg(next() % 400));
            break;
        case 2: {
            // A few different lines behind one long prefix, each in two cases.
            const QString line
                = QStringLiteral("another long prefix, shared by few lines %1").arg(next() % 6);
            list.append(next() % 2 ? line : line.toUpper());
            break;
        }
        default:
            list.append(QStringLiteral("Line %1").arg(next() % 5000));
            break;
        }
    }
    return list;
}

TEST(PaneEdit, SortedOrdersMatchFullKeysOnEveryPath)
{
    const LineList list = mixedLines(30000);
    for (bool caseSensitive : {false, true}) {
        const Collation collation("en_US", {.caseSensitive = caseSensitive});
        // Reference: every line's whole sort key; the first line met for each key, in key order.
        std::vector<QByteArray> keys(size_t(list.count()));
        std::map<QByteArray, std::uint32_t> first;
        for (qsizetype i = 0; i < list.count(); ++i) {
            collation.appendSortKey(list.at(i), keys[size_t(i)]);
            first.emplace(keys[size_t(i)], std::uint32_t(i));
        }
        std::vector<std::uint32_t> expected;
        expected.reserve(first.size());
        for (const auto &entry : first)
            expected.push_back(entry.second);
        std::vector<QByteArray> sortedKeys = keys;
        std::sort(sortedKeys.begin(), sortedKeys.end());
        // Every key colliding must change nothing: lines of one hash are not thereby equal.
        const KeyHash collide = [](const std::uint8_t *, std::size_t) { return std::uint32_t {7}; };
        for (const auto &[hashName, hash] :
             {std::pair {"real hashes", KeyHash(hashSortKey)}, std::pair {"every hash equal", collide}}) {
            for (unsigned threads : {1u, 2u}) {
                SCOPED_TRACE(std::string(caseSensitive ? "case heeded" : "case ignored") + ", threads "
                             + std::to_string(threads) + ", " + hashName);
                const LineOrder distinct = distinctSortedOrder(list, collation, threads, hash);
                EXPECT_EQ(std::vector<std::uint32_t>(distinct.begin(), distinct.end()), expected);

                // Equal lines may come in any order, so the keys in the sorted order are compared.
                const LineOrder order = sortedOrder(list, collation, threads, hash);
                std::vector<std::uint32_t> seen(order.begin(), order.end());
                std::sort(seen.begin(), seen.end());
                std::vector<std::uint32_t> all(size_t(list.count()));
                std::iota(all.begin(), all.end(), 0u);
                ASSERT_EQ(seen, all) << "not a permutation";
                std::vector<QByteArray> keysInOrder;
                for (const std::uint32_t index : order)
                    keysInOrder.push_back(keys[index]);
                EXPECT_TRUE(keysInOrder == sortedKeys);
            }
        }
    }
}

TEST(PaneEdit, SaveWritesUtf8WithoutMarkEachLineEndedByCrLf)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("list.txt"));
    saveListToFile(path, listOf({}));
    EXPECT_EQ(readAll(path), QByteArray());
    saveListToFile(path, listOf({QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(readAll(path), QByteArray("a\r\nb\r\n"));
    saveListToFile(path, listOf({QStringLiteral("Gr\u00FC\u00DFe")}));
    EXPECT_EQ(readAll(path),
              QByteArray("Gr\xC3\xBC\xC3\x9F"
                         "e\r\n"));
}

TEST(PaneEdit, DroppedFileFallsBackToAnsiOnce)
{
    ScopedEnv locale("LC_ALL", "de_DE.UTF-8");
    TempDir dir;
    // The first accented letter lies past the first 4096-byte block.
    const QByteArray latin1 = testsupport::latin1Lines(500,
                                                       "Gr\xFC\xDF"
                                                       "e");
    ASSERT_GT(latin1.indexOf('\xFC'), 4096);
    const QString latin1File = dir.write(QStringLiteral("latin1.txt"), latin1);
    const QString utf16File
        = dir.write(QStringLiteral("utf16.txt"), QByteArray("\xFF\xFE\x16\x04\x0A\x00x\x00", 8));

    LineList list("de_DE");
    list.append(u"before");
    loadDroppedFile(latin1File, LoadOptions {false, false}, list);
    const QStringList lines = linesOf(list);
    EXPECT_EQ(lines.size(), 1 + latin1.count("\r\n"));
    EXPECT_EQ(lines.first(), QStringLiteral("before"));
    EXPECT_EQ(lines.count(QStringLiteral("line 0")), 1);
    EXPECT_EQ(lines.at(1 + 500), QStringLiteral("line 500 Gr\u00FC\u00DFe"));

    LineList unicode("de_DE");
    loadDroppedFile(utf16File, LoadOptions {false, true}, unicode);
    EXPECT_EQ(linesOf(unicode), (QStringList {QStringLiteral("x"), QStringLiteral("\u0416")}));
    EXPECT_TRUE(unicode.sorted());

    // Neither attempt can open a folder: the error names it and nothing is added.
    try {
        loadDroppedFile(dir.path(), LoadOptions {}, unicode);
        ADD_FAILURE() << "no error";
    } catch (const AppError &error) {
        EXPECT_TRUE(error.message().contains(QDir::toNativeSeparators(dir.path()))) << error.what();
    }
    EXPECT_EQ(unicode.count(), 2);
}

TEST(PaneEdit, DroppedFileIsRetriedAsAnsiOnADecodingErrorOnly)
{
    struct Case
    {
        const char *name;
        std::function<void()> fail; // how the UTF-8 attempt fails
        bool retried;
    };
    const Case cases[] = {
        {"not UTF-8", [] { throw AppError(noMappingMessage(), ErrorKind::CannotDecode); }, true},
        {"cannot open", [] { throw AppError(u"Cannot open file"_s, ErrorKind::CannotOpen); }, false},
        {"other error", [] { throw AppError(u"Something else"_s); }, false},
        {"out of memory", [] { throw std::bad_alloc(); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TextEncoding> attempts;
        const FileLoader load
            = [&](const QString &, TextEncoding encoding, const LoadOptions &, LineList &list) {
                  attempts.push_back(encoding);
                  list.append(encoding == TextEncoding::Utf8 ? u"partial" : u"ansi");
                  if (encoding == TextEncoding::Utf8)
                      c.fail();
              };
        LineList list("en_US");
        list.append(u"before");
        bool failed = false;
        try {
            loadDroppedFile(u"dropped.txt"_s, LoadOptions {}, list, load);
        } catch (const AppError &error) {
            failed = true;
            EXPECT_NE(error.kind(), ErrorKind::CannotDecode);
        } catch (const std::bad_alloc &) {
            failed = true;
        }
        EXPECT_EQ(failed, !c.retried);
        if (c.retried) {
            EXPECT_EQ(attempts, (std::vector {TextEncoding::Utf8, TextEncoding::Ansi}));
            EXPECT_EQ(linesOf(list), (QStringList {u"before"_s, u"ansi"_s}));
        } else {
            EXPECT_EQ(attempts, std::vector {TextEncoding::Utf8});
        }
    }
}

} // namespace

namespace {

TEST(PaneEdit, LinesThatDoNotFitBesideTheListLeaveItAsItWas)
{
    // The new line itself fits; joining it to the list needs its references
    // (8 bytes a line) anew, and sorting them all more than 16 bytes a line.
    constexpr std::size_t Lines = 1000;
    const struct
    {
        const char *name;
        std::size_t limit;
    } cases[] = {{"joining", 4 * Lines}, {"sorting", 12 * Lines}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LineList list("en_US");
        for (std::size_t i = 0; i < Lines; ++i)
            list.append(u"line %1"_s.arg(qulonglong(i), 4, 10, QLatin1Char('0')));
        list.setSorted(true);
        const QStringList before = linesOf(list);
        {
            const testsupport::LargeBlockLimit limit(c.limit);
            try {
                changeList(list, ListChange::Append, true, u"new.txt"_s, [](LineList &lines) {
                    lines.append(u"new");
                    return LoadReport {};
                });
                ADD_FAILURE() << "no error";
            } catch (const AppError &error) {
                EXPECT_EQ(error.kind(), ErrorKind::OutOfMemory);
                EXPECT_EQ(error.message(), loadOutOfMemoryMessage(u"new.txt"_s));
            }
        }
        EXPECT_EQ(linesOf(list), before);
        EXPECT_TRUE(list.sorted());
    }
}

} // namespace
