#include "lists/collation.h"
#include "lists/linelist.h"
#include "lists/linesort.h"

#include <QRandomGenerator>

#include "testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string_view>

namespace {

using testsupport::linesOf;

const QString Decomposed = QStringLiteral("a\u0301"); // a + combining acute
const QString Precomposed = QStringLiteral("\u00E1"); // á

TEST(LineList, EqualityIsCollationEqualitySortedOrNot)
{
    for (bool sorted : {false, true}) {
        SCOPED_TRACE(sorted ? "sorted" : "unsorted");
        LineList list("en_US");
        list.append(u"zebra");
        list.append(Decomposed);
        list.append(u"Apple");
        list.setSorted(sorted);
        EXPECT_TRUE(list.contains(Precomposed));
        EXPECT_EQ(list.at(list.indexOf(Precomposed)), Decomposed);
        EXPECT_TRUE(list.contains(u"apple")); // case ignored
        EXPECT_FALSE(list.contains(u"a"));
        list.setMatching({.caseSensitive = true});
        EXPECT_FALSE(list.contains(u"apple"));
        EXPECT_TRUE(list.contains(Precomposed)); // canonical equivalence is no case matter
    }
}

TEST(LineList, AddWhileSortedInsertsAndDropsEqualLines)
{
    LineList list("en_US");
    list.setSorted(true);
    EXPECT_EQ(list.add(u"m"), 0);
    EXPECT_EQ(list.add(u"c"), 0);
    EXPECT_EQ(list.add(u"x"), 2);
    EXPECT_EQ(list.add(u"M"), -1); // equal when case is ignored
    EXPECT_EQ(linesOf(list), (QStringList {QStringLiteral("c"), QStringLiteral("m"), QStringLiteral("x")}));
    list.setSorted(false);
    EXPECT_EQ(list.add(u"M"), 3); // unsorted: repeats go at the end
    EXPECT_EQ(list.count(), 4);
}

TEST(LineList, SortOrderFollowsTheCaseFlag)
{
    LineList list("en_US");
    for (const char16_t *line : {u"b", u"A", u"a", u"B"})
        list.append(line);
    list.setMatching({.caseSensitive = true});
    list.setSorted(true);
    // Tertiary strength: lower case before upper case.
    EXPECT_EQ(
        linesOf(list),
        (QStringList {QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("B")}));
    list.setMatching({.caseSensitive = false}); // sorted again, stays a valid order
    QStringList folded;
    for (const QString &line : linesOf(list))
        folded << line.toLower();
    EXPECT_EQ(
        folded,
        (QStringList {QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("b")}));
}

TEST(LineList, SortingKeepsTheOrderOfEqualLines)
{
    // 100 classes of lines equal but for case, each member spelled by the
    // bits of its place: sorted, each class is in the order it was added.
    const auto spelled = [](int member, int number) {
        QString word = QStringLiteral("abcde");
        for (int bit = 0; bit < 5; ++bit) {
            if (member & (1 << bit))
                word[bit] = word[bit].toUpper();
        }
        return QString(word + QString::number(number));
    };
    LineList list("en_US");
    for (int member = 0; member < 30; ++member) {
        for (int number = 0; number < 100; ++number)
            list.append(spelled(member, number));
    }
    list.setSorted(true);
    ASSERT_EQ(list.count(), 3000);
    for (qsizetype i = 0; i < list.count(); ++i) {
        const int number = list.at(i).sliced(5).toInt();
        EXPECT_EQ(list.lineAt(i), spelled(int(i % 30), number)) << i;
    }
}

TEST(LineList, LocaleDecidesTheOrder)
{
    // Swedish puts ä after z; German sorts it with a.
    for (const auto &[locale, expected] :
         {std::pair {"sv_SE", QStringList {QStringLiteral("z"), QStringLiteral("ä")}},
          std::pair {"de_DE", QStringList {QStringLiteral("ä"), QStringLiteral("z")}}}) {
        SCOPED_TRACE(locale);
        LineList list(locale);
        list.append(u"ä");
        list.append(u"z");
        list.setSorted(true);
        EXPECT_EQ(linesOf(list), expected);
    }
}

TEST(LineList, CopiesAndSubsetsAreSnapshots)
{
    LineList list("en_US");
    list.append(u"one");
    list.append(u"two");
    LineList snapshot = list;
    const LineList picked = LineList::subset(list, {1, 0});
    list.append(u"three"); // appends in place beside the snapshot's lines
    snapshot.append(u"copy's own");
    list.append(u"four");
    EXPECT_EQ(linesOf(list),
              (QStringList {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                            QStringLiteral("four")}));
    EXPECT_EQ(linesOf(snapshot),
              (QStringList {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("copy's own")}));
    EXPECT_EQ(linesOf(picked), (QStringList {QStringLiteral("two"), QStringLiteral("one")}));
    list.clear();
    list.append(u"five");
    EXPECT_EQ(linesOf(picked), (QStringList {QStringLiteral("two"), QStringLiteral("one")}));
    EXPECT_EQ(linesOf(list), QStringList {QStringLiteral("five")});

    LineList both = LineList::merged(picked, list, {0, LineList::FromSecond | 0});
    EXPECT_EQ(linesOf(both), (QStringList {QStringLiteral("two"), QStringLiteral("five")}));
    both.append(u"six"); // folds the two blocks into one of its own
    EXPECT_EQ(linesOf(both),
              (QStringList {QStringLiteral("two"), QStringLiteral("five"), QStringLiteral("six")}));
    EXPECT_EQ(linesOf(list), QStringList {QStringLiteral("five")});
}

TEST(LineList, AGrowthThatRunsOutOfMemoryKeepsTheLines)
{
    LineList list("en_US");
    list.append(u"first");
    list.append(u"second");
    {
        // The block must grow to take the long line, and cannot.
        const testsupport::LargeBlockLimit limit(4096);
        EXPECT_THROW(list.append(QString(4096, u'x')), std::bad_alloc);
    }
    EXPECT_EQ(linesOf(list), (QStringList {QStringLiteral("first"), QStringLiteral("second")}));
    list.append(u"third");
    EXPECT_EQ(linesOf(list).constLast(), QStringLiteral("third"));
}

TEST(LineList, LongLinesAndEmptyLinesSurvive)
{
    LineList list("en_US");
    const QString longLine(20'000'000, u'x'); // past the packed length field
    list.append(u"");
    list.append(longLine);
    list.append(u"end");
    EXPECT_EQ(list.at(0), QString());
    EXPECT_EQ(list.at(1).size(), longLine.size());
    EXPECT_EQ(list.at(1), longLine);
    EXPECT_EQ(list.at(2), u"end");
    std::vector<bool> keep {false, true, true};
    list.keepOnly(keep);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.at(1), u"end");
}

TEST(LineList, LinesAtThePackedLengthLimitKeepTheirLength)
{
    // The packed reference holds lengths below 2^24 - 1; from there on the
    // length lives in the list's table.
    constexpr qsizetype Limit = (qsizetype {1} << LineList::RefLengthBits) - 1;
    for (const qsizetype length : {Limit - 1, Limit, Limit + 1}) {
        SCOPED_TRACE(length);
        const QString line(length, u'q');
        LineList list("en_US");
        list.append(u"b");
        list.append(line);
        list.append(u"a");
        ASSERT_EQ(list.at(1).size(), length);
        EXPECT_EQ(list.at(1), line);
        EXPECT_EQ(list.at(2), u"a");
        const LineList picked = LineList::subset(list, {1});
        ASSERT_EQ(picked.at(0).size(), length);
        list.setSorted(true);
        ASSERT_EQ(list.count(), 3);
        EXPECT_EQ(list.at(0), u"a");
        EXPECT_EQ(list.at(1), u"b");
        EXPECT_EQ(list.at(2).size(), length);
    }
}

TEST(LineList, SortingCopiesTheTextAndLeavesSnapshotsAlone)
{
    LineList list("en_US");
    for (const char16_t *line : {u"pear", u"Apple", u"fig", u"apple"})
        list.append(line);
    const LineList snapshot = list;
    const LineList picked = LineList::subset(list, {2, 0});
    list.setSorted(true);
    ASSERT_EQ(list.count(), 4);
    // Equal lines in either order.
    EXPECT_EQ(list.at(0).compare(u"apple", Qt::CaseInsensitive), 0);
    EXPECT_EQ(list.at(1).compare(u"apple", Qt::CaseInsensitive), 0);
    EXPECT_NE(list.at(0), list.at(1));
    EXPECT_EQ(list.at(2), u"fig");
    EXPECT_EQ(list.at(3), u"pear");
    EXPECT_EQ(linesOf(snapshot),
              (QStringList {QStringLiteral("pear"), QStringLiteral("Apple"), QStringLiteral("fig"),
                            QStringLiteral("apple")}));
    EXPECT_EQ(linesOf(picked), (QStringList {QStringLiteral("fig"), QStringLiteral("pear")}));
    EXPECT_EQ(list.add(u"kiwi"), 3);
    EXPECT_EQ(list.at(3), u"kiwi");
    EXPECT_EQ(list.at(4), u"pear");

    // Text from two blocks, sorted into one of its own.
    LineList both = LineList::merged(picked, snapshot, {0, 1, LineList::FromSecond | 1});
    both.setSorted(true);
    EXPECT_EQ(linesOf(both),
              (QStringList {QStringLiteral("Apple"), QStringLiteral("fig"), QStringLiteral("pear")}));
    both.append(u"plum");
    EXPECT_EQ(both.at(3), u"plum");
    EXPECT_EQ(linesOf(picked), (QStringList {QStringLiteral("fig"), QStringLiteral("pear")}));
}

TEST(LineList, LongLinesSurviveSortingALargeList)
{
    // Enough lines for the text to be copied in two parts, a long line in each.
    constexpr int Short = 120000;
    const QString first = QString((1 << 24) + 5, u'a') + u'1';
    const QString last = QString((1 << 24) + 9, u'z');
    LineList list("en_US");
    list.append(last);
    for (int i = Short; i-- > 0;)
        list.append(QStringLiteral("m%1").arg(i, 6, 10, QLatin1Char('0')));
    list.append(first);
    list.setSorted(true);
    ASSERT_EQ(list.count(), Short + 2);
    EXPECT_EQ(list.at(0), first);
    EXPECT_EQ(list.at(Short + 1), last);
    for (int i = 0; i < Short; ++i)
        ASSERT_EQ(list.at(i + 1), QStringLiteral("m%1").arg(i, 6, 10, QLatin1Char('0'))) << i;
    list.append(u"end");
    EXPECT_EQ(list.at(Short + 1), last);
    EXPECT_EQ(list.at(Short + 2), u"end");
}

// Lines that tie on long prefixes, repeat, differ only in case or in accents.
LineList randomLines(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    const QStringList stems {QStringLiteral("averyveryverylongcommonprefix."),
                             QStringLiteral("user@example.com"),
                             QStringLiteral("Ölmühle"),
                             QStringLiteral("résumé"),
                             QStringLiteral("resume"),
                             QStringLiteral("ΑΘΗΝΑ"),
                             QStringLiteral("東京"),
                             QString()};
    LineList list("de_DE");
    for (int i = 0; i < count; ++i) {
        QString line = stems[random.bounded(stems.size())] + QString::number(random.bounded(count / 4 + 1));
        if (random.bounded(5) == 0)
            line = line.toUpper();
        list.append(line);
    }
    return list;
}

TEST(LineSort, ParallelPrefixSortMatchesPlainCollationOrder)
{
    for (bool caseSensitive : {false, true}) {
        SCOPED_TRACE(caseSensitive ? "case-sensitive" : "case ignored");
        const LineList list = randomLines(60000, 7);
        const auto collation = Collation::forLocale("de_DE", {.caseSensitive = caseSensitive});
        for (unsigned threads : {1u, 2u}) {
            const LineOrder order = sortedOrder(list, *collation, threads);
            ASSERT_EQ(order.size(), size_t(list.count()));
            std::vector<std::uint32_t> seen(order.begin(), order.end());
            std::sort(seen.begin(), seen.end());
            for (size_t i = 0; i < seen.size(); ++i)
                ASSERT_EQ(seen[i], i) << "not a permutation";
            for (size_t i = 1; i < order.size(); ++i) {
                ASSERT_LE(collation->compare(list.at(order[i - 1]), list.at(order[i])), 0)
                    << "threads " << threads << " at " << i << ": " << list.lineAt(order[i - 1]).toStdString()
                    << " > " << list.lineAt(order[i]).toStdString();
            }
        }
    }
}

// Lines on which ICU's string comparison and its sort keys disagree under
// th_TH: it calls the first two equal, and equal to the third, yet the first
// and the third different; their keys are all equal.
const QString SpaceSoftHyphen = QStringLiteral(" \u00AD");
const QString Hyphen = QStringLiteral("-");
const QString SpaceSoftHyphensAcute = QStringLiteral(" \u00AD\u00AD\u0301");

int sign(int value)
{
    return (value > 0) - (value < 0);
}

TEST(Collation, OrderAndEqualityAreThoseOfTheSortKeys)
{
    // Past the length of a whole key, so that keys are compared part by part.
    const QString longLine(Collation::WholeKeyUnits + 100, u'a');
    const QStringList lines {SpaceSoftHyphen,
                             Hyphen,
                             SpaceSoftHyphensAcute,
                             QStringLiteral("a"),
                             QStringLiteral("A"),
                             QStringLiteral("b"),
                             QString(),
                             Decomposed,
                             Precomposed,
                             longLine + u'b',
                             longLine.toUpper() + u'b',
                             longLine + u'c'};
    for (const char *locale : {"th_TH", "en_US", "tr_TR"}) {
        for (bool caseSensitive : {false, true}) {
            const auto collation = Collation::forLocale(locale, {.caseSensitive = caseSensitive});
            for (const QString &x : lines) {
                QByteArray keyX;
                collation->appendSortKey(x, keyX);
                for (const QString &y : lines) {
                    QByteArray keyY;
                    collation->appendSortKey(y, keyY);
                    const int expected
                        = sign(std::string_view(keyX.constData(), size_t(keyX.size()))
                                   .compare(std::string_view(keyY.constData(), size_t(keyY.size()))));
                    SCOPED_TRACE(std::string(locale) + (caseSensitive ? " case " : " nocase ")
                                 + x.left(8).toStdString() + " / " + y.left(8).toStdString());
                    EXPECT_EQ(sign(collation->compare(x, y)), expected);
                    Collation::KeyedLine keyedX(x);
                    Collation::KeyedLine keyedY(y);
                    EXPECT_EQ(sign(collation->compare(keyedX, keyedY)), expected);
                }
            }
        }
    }
}

// Every order of those lines, sorted or not, keeps one of them.
TEST(LineList, EqualLinesAreFoundWhateverTheirOrder)
{
    QStringList lines {SpaceSoftHyphen, Hyphen, SpaceSoftHyphensAcute, QStringLiteral("x")};
    std::sort(lines.begin(), lines.end());
    do {
        SCOPED_TRACE(lines.join(u'|').toStdString());
        for (bool sorted : {false, true}) {
            LineList list("th_TH");
            for (const QString &line : lines)
                list.append(line);
            list.setSorted(sorted);
            for (const QString &line : lines)
                EXPECT_GE(list.indexOf(line), 0);
            list.removeDuplicates({.caseSensitive = false});
            EXPECT_EQ(list.count(), 2);
        }
        LineList added("th_TH");
        added.setSorted(true);
        for (const QString &line : lines)
            added.add(line);
        EXPECT_EQ(added.count(), 2);
    } while (std::next_permutation(lines.begin(), lines.end()));
}

TEST(Collation, EmptyLocaleIsTheRootCollation)
{
    const auto root = Collation::forLocale("", {.caseSensitive = false});
    EXPECT_TRUE(root->equal(u"Apple", u"apple"));
    EXPECT_LT(root->compare(u"apple", u"Banana"), 0);
    QByteArray a, b;
    root->appendSortKey(u"Apple", a);
    root->appendSortKey(u"apple", b);
    EXPECT_EQ(a, b);
    EXPECT_FALSE(a.contains('\0'));
}

} // namespace
