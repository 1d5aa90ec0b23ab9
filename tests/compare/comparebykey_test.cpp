#include "compare/comparison.h"
#include "lists/linekey.h"
#include "testsupport.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <set>

namespace {

using namespace Qt::StringLiterals;
using testsupport::linesOf;

LineList listOf(const QStringList &lines)
{
    LineList list("en_US");
    for (const QString &line : lines)
        list.append(line);
    return list;
}

// The keys as the test finds them, by other means than LineKey: QString's
// split and QRegularExpression.
using KeyFinder = std::function<std::optional<QString>(const QString &line)>;

KeyFinder splitField(int number, QChar delimiter)
{
    return [=](const QString &line) -> std::optional<QString> {
        const QStringList fields = line.split(delimiter);
        if (number > fields.size())
            return std::nullopt;
        return fields[number - 1];
    };
}

KeyFinder regexKey(const QString &pattern)
{
    return [=](const QString &line) -> std::optional<QString> {
        const QRegularExpressionMatch match
            = QRegularExpression(pattern, QRegularExpression::UseUnicodePropertiesOption).match(line);
        if (!match.hasMatch())
            return std::nullopt;
        const int group = QRegularExpression(pattern).captureCount() > 0 ? 1 : 0;
        if (match.capturedStart(group) < 0)
            return std::nullopt;
        return match.captured(group);
    };
}

// The sets by their definitions, over the found keys; equality of keys by
// the collation's sort keys.
struct Expected
{
    QStringList common, only1, only2;
    qsizetype withoutKey1 = 0, withoutKey2 = 0;
};

Expected
expectedSets(const QStringList &lines1, const QStringList &lines2, const KeyFinder &find, bool header)
{
    const auto collation = Collation::forLocale("en_US", {});
    auto sortKey = [&](const QString &key) {
        QByteArray bytes;
        collation->appendSortKey(key, bytes);
        return bytes;
    };
    std::map<QByteArray, int> keys2;
    for (qsizetype i = header ? 1 : 0; i < lines2.size(); ++i) {
        if (const auto key = find(lines2[i]))
            keys2[sortKey(*key)] = 1;
    }
    std::map<QByteArray, int> keys1;
    Expected expected;
    for (qsizetype i = header ? 1 : 0; i < lines1.size(); ++i) {
        const auto key = find(lines1[i]);
        if (!key) {
            ++expected.withoutKey1;
            expected.only1 << lines1[i];
            continue;
        }
        keys1[sortKey(*key)] = 1;
        (keys2.count(sortKey(*key)) ? expected.common : expected.only1) << lines1[i];
    }
    for (qsizetype i = header ? 1 : 0; i < lines2.size(); ++i) {
        const auto key = find(lines2[i]);
        if (!key)
            ++expected.withoutKey2;
        if (!key || !keys1.count(sortKey(*key)))
            expected.only2 << lines2[i];
    }
    return expected;
}

TEST(CompareByKey, SetsHoldWholeLinesMatchedByTheirKeys)
{
    struct Case
    {
        const char *name;
        LineKey key;
        KeyFinder find;
        bool header;
        QStringList lines1, lines2;
    };
    const Case cases[] = {
        {"field 2 at a tab",
         LineKey::field(2, u'\t', false),
         splitField(2, u'\t'),
         false,
         {u"1\tann@x.org\tAnn"_s, u"2\tbob@x.org\tBob"_s, u"3\tANN@X.ORG\tAnnie"_s, u"no fields"_s,
          u"4\t\tnone"_s},
         {u"9\tAnn@x.org\tA."_s, u"8\tcid@x.org"_s, u"no fields"_s, u"7\t"_s}},
        {"field 1 at a semicolon, with headers",
         LineKey::field(1, u';', false),
         splitField(1, u';'),
         true,
         {u"id;name"_s, u"7;x"_s, u"8;y"_s, u"id;again"_s},
         {u"key;other"_s, u"8;z"_s, u"id;w"_s}},
        {"a pattern with a group",
         LineKey::pattern(u"id=(\\d+)"_s),
         regexKey(u"id=(\\d+)"_s),
         false,
         {u"a id=1"_s, u"b id=2"_s, u"c"_s, u"d id=1"_s},
         {u"id=2 z"_s, u"id=3"_s, u"c"_s}},
        {"a pattern without a group",
         LineKey::pattern(u"[a-z]+@[a-z.]+"_s),
         regexKey(u"[a-z]+@[a-z.]+"_s),
         false,
         {u"Mail ann@x.org!"_s, u"none"_s},
         {u"to: ann@x.org"_s, u"none"_s}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Expected expected = expectedSets(c.lines1, c.lines2, c.find, c.header);
        CompareProgress progress;
        const CompareResult result
            = compareLists(listOf(c.lines1), listOf(c.lines2),
                           {.calculateUnion = true, .key = c.key, .header = c.header}, progress);
        EXPECT_EQ(linesOf(*result[ResultSet::Intersection]), expected.common);
        EXPECT_EQ(linesOf(*result[ResultSet::Only1]), expected.only1);
        EXPECT_EQ(linesOf(*result[ResultSet::Only2]), expected.only2);
        EXPECT_EQ(result.summary.withoutKey[0], expected.withoutKey1);
        EXPECT_EQ(result.summary.withoutKey[1], expected.withoutKey2);
        // The summary counts the compared lines and their distinct keys.
        const auto collation = Collation::forLocale("en_US", {});
        std::array<std::set<QByteArray>, 2> distinct;
        const QStringList *sides[2] = {&c.lines1, &c.lines2};
        for (int side = 0; side < 2; ++side) {
            for (qsizetype i = c.header ? 1 : 0; i < sides[side]->size(); ++i) {
                if (const auto key = c.find((*sides[side])[i])) {
                    QByteArray bytes;
                    collation->appendSortKey(*key, bytes);
                    distinct[size_t(side)].insert(bytes);
                }
            }
            EXPECT_EQ(result.summary.lines[size_t(side)], sides[side]->size() - (c.header ? 1 : 0));
            EXPECT_EQ(result.summary.distinct[size_t(side)], qsizetype(distinct[size_t(side)].size()));
        }
        EXPECT_EQ(result.headers[0], c.header ? std::optional(c.lines1[0]) : std::nullopt);
        EXPECT_EQ(result.headers[1], c.header ? std::optional(c.lines2[0]) : std::nullopt);
        // The union: one line a key, then every line without a key, as it is.
        const QStringList all = linesOf(*result[ResultSet::Union]);
        std::map<QByteArray, int> seen;
        qsizetype keyed = 0;
        for (const QString &line : all) {
            if (const auto key = c.find(line)) {
                QByteArray bytes;
                Collation::forLocale("en_US", {})->appendSortKey(*key, bytes);
                EXPECT_EQ(seen[bytes]++, 0) << line.toStdString();
                ++keyed;
            }
        }
        EXPECT_EQ(all.size() - keyed, expected.withoutKey1 + expected.withoutKey2);
        for (qsizetype i = keyed; i < all.size(); ++i)
            EXPECT_FALSE(c.find(all[i]).has_value()) << "lines without a key come last";
    }
}

// Quoted fields whose keys are not a part of their line (a doubled quote)
// are compared as well as the others.
TEST(CompareByKey, QuotedFieldsAndTheirUnquotedKeys)
{
    const LineList list1
        = listOf({u"1,\"Smith, Ann\",x"_s, u"2,\"say \"\"hi\"\"\",y"_s, u"3,\"open"_s, u"4,plain"_s});
    const LineList list2 = listOf({u"9,\"say \"\"HI\"\"\""_s, u"8,smith\\, ann"_s, u"7,\"Smith, Ann\""_s});
    CompareProgress progress;
    const CompareResult result = compareLists(list1, list2, {.key = LineKey::field(2, u',', true)}, progress);
    EXPECT_EQ(linesOf(*result[ResultSet::Intersection]), (QStringList {list1.lineAt(0), list1.lineAt(1)}));
    EXPECT_EQ(linesOf(*result[ResultSet::Only1]), (QStringList {list1.lineAt(2), list1.lineAt(3)}));
    EXPECT_EQ(linesOf(*result[ResultSet::Only2]), QStringList {list2.lineAt(1)});
    EXPECT_EQ(result.summary.withoutKey[0], 1);
    // say "hi" against say "HI": paired by their keys, shown as whole lines.
    EXPECT_EQ(linesOf(result.writtenDifferently->first), QStringList {list1.lineAt(1)});
    EXPECT_EQ(linesOf(result.writtenDifferently->second), QStringList {list2.lineAt(0)});
}

TEST(CompareByKey, SortingAndRemoveDuplicatesFollowTheListsKey)
{
    const QStringList lines {u"h,x"_s, u"5,b"_s, u"1,a"_s, u"3"_s, u"2,A"_s, u"4,b"_s, u"0"_s};
    LineList list = listOf(lines);
    list.setKey(LineKey::field(2, u',', false), true);
    list.setSorted(true);
    // The header first, equal keys in their lines' order, lines without a key last.
    EXPECT_EQ(linesOf(list),
              (QStringList {u"h,x"_s, u"1,a"_s, u"2,A"_s, u"5,b"_s, u"4,b"_s, u"3"_s, u"0"_s}));
    list.removeDuplicates({});
    EXPECT_EQ(linesOf(list), (QStringList {u"h,x"_s, u"1,a"_s, u"5,b"_s, u"3"_s, u"0"_s}));
    EXPECT_TRUE(list.sorted());

    // Unsorted, Remove Duplicates keeps the first line of each key as well.
    LineList plain = listOf(lines);
    plain.setKey(LineKey::field(2, u',', false), false);
    plain.removeDuplicates({.caseSensitive = true});
    EXPECT_EQ(linesOf(plain), (QStringList {u"1,a"_s, u"2,A"_s, u"5,b"_s, u"h,x"_s, u"3"_s, u"0"_s}));

    // Back to whole lines: sorted again as lines.
    list.setKey(LineKey(), false);
    EXPECT_EQ(linesOf(list), (QStringList {u"0"_s, u"1,a"_s, u"3"_s, u"5,b"_s, u"h,x"_s}));
}

TEST(CompareByKey, TheSameSetsWhetherTheListsAreSortedByKeyOrNot)
{
    // Big enough for the two-part walk and the two-thread sort.
    QRandomGenerator random(3);
    auto lines = [&](int count) {
        QStringList result;
        for (int i = 0; i < count; ++i) {
            const int id = random.bounded(5000);
            result << (random.bounded(20) == 0
                           ? u"broken line"_s
                           : u"%1,%2%3,x"_s.arg(i).arg(random.bounded(2) ? u"K"_s : u"k"_s).arg(id));
        }
        return result;
    };
    const QStringList lines1 = lines(30000), lines2 = lines(20000);
    const LineKey key = LineKey::field(2, u',', false);
    LineList plain1 = listOf(lines1), plain2 = listOf(lines2);
    LineList sorted1 = plain1, sorted2 = plain2;
    sorted1.setKey(key, false);
    sorted2.setKey(key, false);
    sorted1.setSorted(true);
    sorted2.setSorted(true);

    // Sorted by key: keys ascending, equal keys in their lines' order, lines without a key last.
    std::vector<std::uint32_t> owners;
    const LineList keys = sorted1.keysOf(key, 0, owners);
    EXPECT_TRUE(keys.sorted());
    for (qsizetype k = 1; k < keys.count(); ++k)
        ASSERT_LE(keys.collation().compare(keys.at(k - 1), keys.at(k)), 0) << k;
    EXPECT_EQ(qsizetype(owners.size()), keys.count());
    EXPECT_EQ(owners.back() + 1, std::uint32_t(keys.count()));
    for (qsizetype i = keys.count(); i < sorted1.count(); ++i)
        EXPECT_EQ(sorted1.at(i), u"broken line"_s);
    QStringList idsOfOneKey; // the line numbers (field 1) of key k42, in the sorted list
    for (qsizetype i = 0; i < sorted1.count(); ++i) {
        const QStringList fields = sorted1.lineAt(i).split(u',');
        if (fields.size() > 1 && fields[1].compare(u"k42"_s, Qt::CaseInsensitive) == 0)
            idsOfOneKey << fields[0];
    }
    for (qsizetype i = 1; i < idsOfOneKey.size(); ++i)
        EXPECT_LT(idsOfOneKey[i - 1].toInt(), idsOfOneKey[i].toInt());

    CompareProgress progress;
    const CompareOptions options {.calculateUnion = true, .key = key};
    const CompareResult plain = compareLists(plain1, plain2, options, progress);
    const CompareResult sorted = compareLists(sorted1, sorted2, options, progress);
    const Expected expected = expectedSets(lines1, lines2, splitField(2, u','), false);
    EXPECT_EQ(linesOf(*plain[ResultSet::Intersection]), expected.common);
    EXPECT_EQ(linesOf(*plain[ResultSet::Only2]), expected.only2);
    // The sorted lists give the same lines, in their own order.
    for (ResultSet set : {ResultSet::Intersection, ResultSet::Only1, ResultSet::Only2, ResultSet::Union}) {
        QStringList a = linesOf(*plain[set]), b = linesOf(*sorted[set]);
        EXPECT_EQ(a.size(), b.size()) << int(set);
        if (set != ResultSet::Union) {
            a.sort();
            b.sort();
            EXPECT_EQ(a, b) << int(set);
        }
    }
    EXPECT_EQ(plain.summary.withoutKey, sorted.summary.withoutKey);
    EXPECT_EQ(plain.writtenDifferently->count(), sorted.writtenDifferently->count());
    EXPECT_GT(plain.writtenDifferently->count(), 100); // k42 against K42
}

} // namespace
