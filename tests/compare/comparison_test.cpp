#include "compare/comparison.h"
#include "platform/apperror.h"
#include "testsupport.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace {

using testsupport::linesOf;

struct Outcome
{
    std::map<ResultSet, QStringList> sets;
    bool finished = false; // not stopped: the window would show the union tab's state
    bool unionShown = false;
};

LineList makeList(const QStringList &lines, bool sorted, bool caseSensitive, const char *locale = "en_US")
{
    LineList list(locale);
    for (const QString &line : lines)
        list.append(line);
    list.setMatching({.caseSensitive = caseSensitive});
    list.setSorted(sorted);
    return list;
}

// Runs a comparison; `onStage` may act as each stage begins (for instance ask to stop).
Outcome compare(const LineList &list1,
                const LineList &list2,
                bool withUnion,
                CompareProgress &progress,
                const std::function<void(int)> &onStage = {})
{
    progress.onStage = onStage;
    const CompareResult result = compareLists(list1, list2, {.calculateUnion = withUnion}, progress);
    Outcome outcome;
    for (ResultSet set : {ResultSet::Intersection, ResultSet::Only1, ResultSet::Only2, ResultSet::Union}) {
        if (result[set])
            outcome.sets[set] = linesOf(*result[set]);
    }
    outcome.finished = !result.stopped;
    outcome.unionShown = bool(result[ResultSet::Union]);
    return outcome;
}

Outcome compare(const LineList &list1, const LineList &list2, bool withUnion = true)
{
    CompareProgress progress;
    return compare(list1, list2, withUnion, progress);
}

QStringList lines(std::initializer_list<const char16_t *> texts)
{
    QStringList result;
    for (const char16_t *text : texts)
        result << QString::fromUtf16(text);
    return result;
}

TEST(Comparison, ResultSetsOfTheEdgeCases)
{
    struct Case
    {
        const char *name;
        QStringList list1, list2;
        bool caseSensitive;
        QStringList common, only1, only2, all;
    };
    const Case cases[] = {
        {"worked example, case ignored", lines({u"b", u"a", u"A", u"c"}), lines({u"a", u"d"}), false,
         lines({u"a", u"A"}), lines({u"b", u"c"}), lines({u"d"}), lines({u"a", u"b", u"c", u"d"})},
        {"worked example, case sensitive", lines({u"b", u"a", u"A", u"c"}), lines({u"a", u"d"}), true,
         lines({u"a"}), lines({u"b", u"A", u"c"}), lines({u"d"}), lines({u"a", u"A", u"b", u"c", u"d"})},
        {"list #1 empty",
         {},
         lines({u"y", u"x", u"y"}),
         false,
         {},
         {},
         lines({u"y", u"x", u"y"}),
         lines({u"x", u"y"})},
        {"list #2 empty", lines({u"y", u"x"}), {}, false, {}, lines({u"y", u"x"}), {}, lines({u"x", u"y"})},
        {"repeats in list #1 kept",
         lines({u"k", u"m", u"k", u"m", u"k"}),
         lines({u"k", u"k"}),
         false,
         lines({u"k", u"k", u"k"}),
         lines({u"m", u"m"}),
         {},
         lines({u"k", u"m"})},
        {"Apple and apple are one line",
         lines({u"Apple"}),
         lines({u"apple"}),
         false,
         lines({u"Apple"}),
         {},
         {},
         lines({u"Apple"})},
        {"decomposed and precomposed are one line",
         lines({u"caf\u00E9"}),
         lines({u"cafe\u0301", u"tea"}),
         true,
         lines({u"caf\u00E9"}),
         {},
         lines({u"tea"}),
         lines({u"caf\u00E9", u"tea"})},
        {"first met kept in the union",
         lines({u"x", u"B", u"b"}),
         lines({u"X"}),
         false,
         lines({u"x"}),
         lines({u"B", u"b"}),
         {},
         lines({u"B", u"x"})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome
            = compare(makeList(c.list1, false, c.caseSensitive), makeList(c.list2, false, c.caseSensitive));
        EXPECT_EQ(outcome.sets.at(ResultSet::Intersection), c.common);
        EXPECT_EQ(outcome.sets.at(ResultSet::Only1), c.only1);
        EXPECT_EQ(outcome.sets.at(ResultSet::Only2), c.only2);
        EXPECT_EQ(outcome.sets.at(ResultSet::Union), c.all);
    }
}

// The plain algorithm: look each line up in the other list, and build the
// union by adding every line to a sorted list that drops equal lines.
Outcome reference(const LineList &list1, const LineList &list2)
{
    Outcome outcome;
    auto onlyOrCommon = [](const LineList &from, const LineList &other, bool wantFound) {
        QStringList result;
        for (qsizetype i = 0; i < from.count(); ++i) {
            bool found = false;
            for (qsizetype j = 0; j < other.count() && !found; ++j)
                found = from.collation().equal(from.at(i), other.at(j));
            if (found == wantFound)
                result << from.lineAt(i);
        }
        return result;
    };
    outcome.sets[ResultSet::Intersection] = onlyOrCommon(list1, list2, true);
    outcome.sets[ResultSet::Only1] = onlyOrCommon(list1, list2, false);
    outcome.sets[ResultSet::Only2] = onlyOrCommon(list2, list1, false);
    LineList all(list1.collationLocale());
    all.setMatching({.caseSensitive = list1.matching().caseSensitive});
    all.setSorted(true);
    for (const LineList *list : {&list1, &list2}) {
        for (qsizetype i = 0; i < list->count(); ++i)
            all.add(list->at(i));
    }
    outcome.sets[ResultSet::Union] = linesOf(all);
    return outcome;
}

TEST(Comparison, MatchesThePlainAlgorithmSortedOrNot)
{
    QRandomGenerator random(11);
    const QStringList words {QStringLiteral("straße"),
                             QStringLiteral("STRASSE"),
                             QStringLiteral("Strasse"),
                             QStringLiteral("résumé"),
                             QStringLiteral("re\u0301sume\u0301"),
                             QStringLiteral("resume"),
                             QStringLiteral("ﬁle"),
                             QStringLiteral("file"),
                             QStringLiteral("İstanbul"),
                             QStringLiteral("istanbul"),
                             QString(),
                             QStringLiteral(" "),
                             QStringLiteral("日本"),
                             QStringLiteral("Ωmega"),
                             QStringLiteral("ωmega")};
    auto randomLines = [&](int count) {
        QStringList result;
        for (int i = 0; i < count; ++i)
            result << words[random.bounded(words.size())] + QString::number(random.bounded(4));
        return result;
    };
    for (int round = 0; round < 6; ++round) {
        const QStringList lines1 = randomLines(150);
        const QStringList lines2 = randomLines(120);
        for (bool caseSensitive : {false, true}) {
            for (int sorting = 0; sorting < 4; ++sorting) {
                SCOPED_TRACE("round " + std::to_string(round) + (caseSensitive ? " case" : " nocase")
                             + " sorting " + std::to_string(sorting));
                const LineList list1 = makeList(lines1, sorting & 1, caseSensitive, "tr_TR");
                const LineList list2 = makeList(lines2, sorting & 2, caseSensitive, "tr_TR");
                const Outcome expected = reference(list1, list2);
                const Outcome actual = compare(list1, list2);
                for (ResultSet set : {ResultSet::Intersection, ResultSet::Only1, ResultSet::Only2})
                    EXPECT_EQ(actual.sets.at(set), expected.sets.at(set)) << int(set);
                // Of equal lines in the union, the first met is kept.
                const QStringList &all = actual.sets.at(ResultSet::Union);
                const QStringList &wanted = expected.sets.at(ResultSet::Union);
                ASSERT_EQ(all.size(), wanted.size());
                for (qsizetype i = 0; i < all.size(); ++i)
                    EXPECT_EQ(all[i], wanted[i]) << i;
            }
        }
    }
}

// Under th_TH, ICU's string comparison calls " " + soft hyphen equal to "-"
// and to " " + two soft hyphens + acute, yet those two different; by their
// sort keys all three are equal. Every order of the lines gives the same sets.
TEST(Comparison, ResultsDoNotDependOnTheOrderOfLines)
{
    const QString a = QStringLiteral(" \u00AD");
    const QString b = QStringLiteral("-");
    const QString c = QStringLiteral(" \u00AD\u00AD\u0301");
    const QString x = QStringLiteral("x");
    struct Case
    {
        QStringList list1;
        QStringList list2;
        qsizetype common, only1, only2, all;
    };
    const std::vector<Case> cases {
        {{a}, {c, b}, 1, 0, 0, 1},
        {{b, x}, {a, c}, 1, 1, 0, 2},
        {{a, c, x}, {b, x}, 3, 0, 0, 2},
    };
    for (const Case &test : cases) {
        QStringList lines1 = test.list1;
        std::sort(lines1.begin(), lines1.end());
        do {
            QStringList lines2 = test.list2;
            std::sort(lines2.begin(), lines2.end());
            do {
                for (int sorting = 0; sorting < 4; ++sorting) {
                    SCOPED_TRACE(lines1.join(u'|').toStdString() + " / " + lines2.join(u'|').toStdString()
                                 + " sorting " + std::to_string(sorting));
                    const Outcome outcome = compare(makeList(lines1, sorting & 1, false, "th_TH"),
                                                    makeList(lines2, sorting & 2, false, "th_TH"));
                    EXPECT_EQ(outcome.sets.at(ResultSet::Intersection).size(), test.common);
                    EXPECT_EQ(outcome.sets.at(ResultSet::Only1).size(), test.only1);
                    EXPECT_EQ(outcome.sets.at(ResultSet::Only2).size(), test.only2);
                    EXPECT_EQ(outcome.sets.at(ResultSet::Union).size(), test.all);
                }
            } while (std::next_permutation(lines2.begin(), lines2.end()));
        } while (std::next_permutation(lines1.begin(), lines1.end()));
    }
}

// Sorted lists keep the key prefixes of their sort for the walk; every later
// change of the lines must leave none behind that belong to other lines.
TEST(Comparison, EditsAfterSortingLeaveNoStalePrefixes)
{
    const QStringList lines {QStringLiteral("apple"), QStringLiteral("banana"), QStringLiteral("cherry"),
                             QStringLiteral("date")};
    const std::vector<std::pair<const char *, std::function<void(LineList &)>>> edits {
        {"add", [](LineList &list) { list.add(u"avocado"); }},
        {"keep only",
         [](LineList &list) {
             list.keepOnly({true, false, true, true});
         }},
        {"truncate", [](LineList &list) { list.truncate(2); }},
        {"remove duplicates", [](LineList &list) { list.removeDuplicates({.caseSensitive = false}); }},
        {"case", [](LineList &list) { list.setMatching({.caseSensitive = true}); }},
    };
    const LineList other = makeList(
        {QStringLiteral("avocado"), QStringLiteral("cherry"), QStringLiteral("date")}, true, false);
    for (const auto &[name, edit] : edits) {
        SCOPED_TRACE(name);
        LineList list = makeList(lines, true, false);
        edit(list);
        LineList plain = makeList(linesOf(list), false, list.matching().caseSensitive);
        const Outcome expected = reference(plain, other);
        const Outcome actual = compare(list, other);
        for (ResultSet set : {ResultSet::Intersection, ResultSet::Only1, ResultSet::Only2, ResultSet::Union})
            EXPECT_EQ(actual.sets.at(set), expected.sets.at(set)) << int(set);
    }
}

TEST(Comparison, LargeListsSplitForTwoThreadsGiveTheSameSets)
{
    // Big enough for the two-part walk; a small vocabulary makes long runs of
    // equal lines, case variants and decomposed spellings on both sides.
    QRandomGenerator random(5);
    const QStringList stems {QStringLiteral("mail"),      QStringLiteral("MAIL"),
                             QStringLiteral("caf\u00E9"), QStringLiteral("cafe\u0301"),
                             QStringLiteral("\u0416"),    QStringLiteral("\u6771")};
    auto randomList = [&](int count, bool sorted) {
        QStringList lines;
        for (int i = 0; i < count; ++i)
            lines << stems[random.bounded(stems.size())] + QString::number(random.bounded(3000));
        return makeList(lines, sorted, false);
    };
    const LineList list1 = randomList(40000, false);
    const LineList list2 = randomList(30000, true);
    const Outcome actual = compare(list1, list2);

    LineList sorted1 = list1, sorted2 = list2;
    sorted1.setSorted(true);
    sorted2.setSorted(true);
    QStringList common, only1, only2;
    for (qsizetype i = 0; i < list1.count(); ++i)
        (sorted2.contains(list1.at(i)) ? common : only1) << list1.lineAt(i);
    for (qsizetype i = 0; i < list2.count(); ++i) {
        if (!sorted1.contains(list2.at(i)))
            only2 << list2.lineAt(i);
    }
    EXPECT_EQ(actual.sets.at(ResultSet::Intersection), common);
    EXPECT_EQ(actual.sets.at(ResultSet::Only1), only1);
    EXPECT_EQ(actual.sets.at(ResultSet::Only2), only2);

    // Written differently, by its definition: each line of list #1 and the
    // first line of list #2 equal to it but not the same units.
    const Collation &collation1 = list1.collation();
    std::map<QByteArray, std::vector<qsizetype>> byKey;
    for (qsizetype j = 0; j < list2.count(); ++j) {
        QByteArray key;
        collation1.appendSortKey(list2.at(j), key);
        byKey[key].push_back(j);
    }
    QStringList first, second;
    for (qsizetype i = 0; i < list1.count(); ++i) {
        QByteArray key;
        collation1.appendSortKey(list1.at(i), key);
        const auto found = byKey.find(key);
        if (found == byKey.end())
            continue;
        for (const qsizetype j : found->second) {
            if (list2.at(j) != list1.at(i)) {
                first << list1.lineAt(i);
                second << list2.lineAt(j);
                break;
            }
        }
    }
    CompareProgress progress;
    const CompareResult result = compareLists(list1, list2, {}, progress);
    ASSERT_GT(first.size(), 1000);
    EXPECT_EQ(linesOf(result.writtenDifferently->first), first);
    EXPECT_EQ(linesOf(result.writtenDifferently->second), second);

    // The union: strictly ascending, and each class shown by its first line met.
    LineList all = makeList(actual.sets.at(ResultSet::Union), false, false);
    const Collation &collation = all.collation();
    for (qsizetype i = 1; i < all.count(); ++i)
        ASSERT_LT(collation.compare(all.at(i - 1), all.at(i)), 0) << i;
    all.setSorted(true); // already in order: nothing moves
    std::vector<bool> seen(size_t(all.count()), false);
    for (const LineList *list : {&list1, &list2}) {
        for (qsizetype i = 0; i < list->count(); ++i) {
            const qsizetype at = all.indexOf(list->at(i));
            ASSERT_GE(at, 0) << list->lineAt(i).toStdString();
            if (!seen[size_t(at)]) {
                EXPECT_EQ(all.at(at), list->at(i));
                seen[size_t(at)] = true;
            }
        }
    }
}

TEST(Comparison, StopAndUnionHandOffs)
{
    const LineList list1 = makeList(lines({u"a", u"b", u"c"}), true, false);
    const LineList list2 = makeList(lines({u"b", u"d"}), true, false);
    struct Case
    {
        const char *name;
        std::optional<ResultSet> stopAfter;
        bool withUnion;
        std::vector<ResultSet> delivered;
        bool finished;
        bool unionShown;
    };
    const Case cases[] = {
        {"no stop, union",
         std::nullopt,
         true,
         {ResultSet::Intersection, ResultSet::Only1, ResultSet::Only2, ResultSet::Union},
         true,
         true},
        {"no stop, no union",
         std::nullopt,
         false,
         {ResultSet::Intersection, ResultSet::Only1, ResultSet::Only2},
         true,
         false},
        {"stop during stage 2", ResultSet::Intersection, true, {ResultSet::Intersection}, false, false},
        {"stop during stage 3",
         ResultSet::Only1,
         true,
         {ResultSet::Intersection, ResultSet::Only1},
         false,
         false},
        {"stop while the union is built is not seen",
         ResultSet::Only2,
         true,
         {ResultSet::Intersection, ResultSet::Only1, ResultSet::Only2, ResultSet::Union},
         true,
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CompareProgress progress;
        // The stage after a set's own begins once that set is finished.
        const Outcome outcome = compare(list1, list2, c.withUnion, progress, [&](int stage) {
            if (c.stopAfter && int(*c.stopAfter) + 2 == stage)
                progress.StopRequested.store(true);
        });
        std::vector<ResultSet> delivered;
        for (const auto &entry : outcome.sets)
            delivered.push_back(entry.first);
        EXPECT_EQ(delivered, c.delivered);
        EXPECT_EQ(outcome.finished, c.finished);
        EXPECT_EQ(outcome.unionShown, c.unionShown);
    }
}

TEST(Comparison, StopBeforeStageOneDeliversNothing)
{
    CompareProgress progress;
    progress.StopRequested.store(true);
    const Outcome outcome = compare(makeList(lines({u"a"}), false, false),
                                    makeList(lines({u"a"}), false, false), true, progress);
    EXPECT_TRUE(outcome.sets.empty());
    EXPECT_FALSE(outcome.finished);
}

TEST(Comparison, AnErrorDuringTheRunEndsIt)
{
    CompareProgress progress;
    const LineList list = makeList(lines({u"a"}), false, false);
    bool unionStage = false;
    progress.onStage = [&](int stage) {
        unionStage = unionStage || stage >= 4;
        if (stage == 2)
            throw AppError(QStringLiteral("disk full"));
    };
    EXPECT_THROW(compareLists(list, list, {.calculateUnion = true}, progress), AppError);
    EXPECT_FALSE(unionStage);
}

TEST(Comparison, PercentageArithmetic)
{
    struct Case
    {
        int stage;
        qint64 total, current;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {0, 10, 5, std::nullopt},
        {1, 4000, 0, 0},
        {1, 4000, 4000, 25},
        {2, 4000, 1000, 31},
        {3, 3, 2, 66},
        {3, 0, 0, std::nullopt},
        {4, 0, 0, 85},
        {5, 9, 9, 90},
        {6, 1, 0, 95},
        {7, 1, 1, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("stage " + std::to_string(c.stage) + " " + std::to_string(c.current) + "/"
                     + std::to_string(c.total));
        EXPECT_EQ(progressPercent(c.stage, c.total, c.current), c.expected);
    }
}

} // namespace

namespace {

// The summary's counts against counts made here from the sort keys, with
// repeats on both sides, sorted or not, union or not, and by key.
TEST(Comparison, TheSummaryCountsWhatItShould)
{
    QRandomGenerator random(17);
    const QStringList words {
        QStringLiteral("a"),          QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("caf\u00E9"),
        QStringLiteral("cafe\u0301"), QStringLiteral("d"), QStringLiteral("e"), QString()};
    for (int round = 0; round < 8; ++round) {
        QStringList lines1, lines2;
        for (int i = 0; i < 300; ++i)
            lines1 << words[random.bounded(words.size() - 2)] + QString::number(random.bounded(40));
        for (int i = 0; i < 200; ++i)
            lines2 << words[random.bounded(2, words.size())] + QString::number(random.bounded(40));
        const bool withUnion = round & 1;
        const LineList list1 = makeList(lines1, round & 2, false);
        const LineList list2 = makeList(lines2, round & 4, false);
        SCOPED_TRACE("round " + std::to_string(round));
        std::set<QByteArray> keys1, keys2;
        for (const QString &line : lines1) {
            QByteArray key;
            list1.collation().appendSortKey(line, key);
            keys1.insert(key);
        }
        for (const QString &line : lines2) {
            QByteArray key;
            list1.collation().appendSortKey(line, key);
            keys2.insert(key);
        }
        qsizetype both = 0;
        for (const QByteArray &key : keys1)
            both += qsizetype(keys2.count(key));
        CompareProgress progress;
        const CompareResult result = compareLists(list1, list2, {.calculateUnion = withUnion}, progress);
        const CompareSummary &summary = result.summary;
        EXPECT_EQ(summary.lines[0], 300);
        EXPECT_EQ(summary.lines[1], 200);
        EXPECT_EQ(summary.distinct[0], qsizetype(keys1.size()));
        EXPECT_EQ(summary.distinct[1], qsizetype(keys2.size()));
        EXPECT_EQ(summary.distinctInBoth, both);
        EXPECT_DOUBLE_EQ(summary.overlapPercent(),
                         100.0 * double(both) / double(qsizetype(keys1.size() + keys2.size()) - both));
    }
    CompareProgress progress;
    EXPECT_EQ(compareLists(makeList({}, false, false), makeList({}, false, false), {}, progress)
                  .summary.overlapPercent(),
              0.0);
}

} // namespace
