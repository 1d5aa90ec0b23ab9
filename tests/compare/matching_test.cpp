#include "compare/comparison.h"
#include "lists/collation.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testsupport::linesOf;

// Every combination of the three options, as bits: 1 case sensitive,
// 2 ignore accents, 4 ignore punctuation.
Matching matchingOf(int bits)
{
    return {bool(bits & 1), bool(bits & 2), bool(bits & 4)};
}

std::string nameOf(const Matching &matching)
{
    return describeMatching(matching).toStdString();
}

LineList listOf(const QByteArray &locale, const QStringList &lines, const Matching &matching, bool sorted)
{
    LineList list(locale);
    for (const QString &line : lines)
        list.append(line);
    list.setMatching(matching);
    list.setSorted(sorted);
    return list;
}

// How two lines differ, and so which options make them one line:
// c  letter case: equal unless case sensitive;
// t  another third-level difference (width, ligature): equal unless case
//    sensitive, or when accents are ignored (the case level sees only case);
// a  accents (and ß against ss): equal when accents are ignored;
// p  spaces and punctuation: equal when they are ignored;
// s  a kind of space: equal as t or as p;
// x  different letters or symbols: never equal.
bool equalUnder(const char *kinds, const Matching &m)
{
    bool equal = true;
    for (const char *kind = kinds; *kind; ++kind) {
        switch (*kind) {
        case 'c':
            equal = equal && !m.caseSensitive;
            break;
        case 't':
            equal = equal && (!m.caseSensitive || m.ignoreAccents);
            break;
        case 'a':
            equal = equal && m.ignoreAccents;
            break;
        case 'p':
            equal = equal && m.ignorePunctuation;
            break;
        case 's':
            equal = equal && (!m.caseSensitive || m.ignoreAccents || m.ignorePunctuation);
            break;
        default:
            equal = false;
        }
    }
    return equal;
}

TEST(Matching, EveryCombinationOfTheOptionsInEveryPath)
{
    struct Case
    {
        const char *locale;
        const char16_t *a, *b;
        const char *kinds; // "" always equal
    };
    const Case cases[] = {
        {"en_US", u"Apple", u"apple", "c"},
        {"en_US", u"caf\u00E9", u"cafe\u0301", ""}, // precomposed and decomposed
        {"en_US", u"caf\u00E9", u"cafe", "a"},
        {"en_US", u"M\u00FCller", u"MULLER", "ac"},
        {"de_DE", u"\u00C4rger", u"arger", "ac"},
        {"de_DE", u"Stra\u00DFe", u"Strasse", "a"}, // sharp s weighs as ss with a second-level mark
        {"de_DE", u"STRASSE", u"Stra\u00DFe", "ac"},
        {"en_US", u"\uFB01le", u"file", "t"}, // ligature fi
        {"en_US", u"\uFF21\uFF22\uFF23", u"ABC", "t"}, // full width
        {"en_US", u"\uFF41bc", u"ABC", "tc"},
        {"tr_TR", u"\u0130stanbul", u"istanbul", "c"}, // dotted capital I is i's capital
        {"tr_TR", u"Istanbul", u"\u0131stanbul", "c"}, // dotless
        {"tr_TR", u"Istanbul", u"istanbul", "x"},
        {"tr_TR", u"\u0131", u"i", "x"},
        {"en_US", u"co-op", u"coop", "p"},
        {"en_US", u"J. Smith", u"J Smith", "p"},
        {"en_US", u"J Smith", u"JSmith", "p"},
        {"en_US", u"a\u2013b", u"ab", "p"}, // en dash
        {"en_US", u"a-b", u"a\u2013b", "p"}, // hyphen, en dash
        {"en_US", u"a\u2212b", u"ab", "x"}, // minus is a symbol
        {"en_US", u"a-b", u"a\u2212b", "x"},
        {"en_US", u"a+b", u"ab", "x"},
        {"en_US", u"J\u00A0Smith", u"J Smith", "s"}, // no-break space
        {"en_US", u"...", u"", "p"},
        {"en_US", u"-", u"!?", "p"},
        {"en_US", u"R\u00E9sum\u00E9, J.", u"resume j", "acp"},
        {"en_US", u"Resume", u"resume", "c"},
        {"en_US", u"b", u"a", "x"},
    };
    for (int bits = 0; bits < 8; ++bits) {
        const Matching matching = matchingOf(bits);
        for (const Case &c : cases) {
            const QString a = QString::fromUtf16(c.a), b = QString::fromUtf16(c.b);
            SCOPED_TRACE(nameOf(matching) + ", " + c.locale + ": \"" + a.toStdString() + "\" / \""
                         + b.toStdString() + "\"");
            const bool equal = equalUnder(c.kinds, matching);
            const auto collation = Collation::forLocale(c.locale, matching);
            EXPECT_EQ(collation->equal(a, b), equal);

            // The comparison, whether the lists are sorted or not.
            for (bool sorted : {false, true}) {
                const LineList list1 = listOf(c.locale, {a, QStringLiteral("only one")}, matching, sorted);
                const LineList list2 = listOf(c.locale, {b}, matching, sorted);
                CompareProgress progress;
                const CompareResult result = compareLists(list1, list2, {.calculateUnion = true}, progress);
                EXPECT_EQ(linesOf(*result[ResultSet::Intersection]),
                          equal ? QStringList {a} : QStringList {});
                EXPECT_EQ(linesOf(*result[ResultSet::Only2]), equal ? QStringList {} : QStringList {b});
                EXPECT_EQ(result[ResultSet::Union]->count(), equal ? 2 : 3);
                const bool differently = equal && a != b;
                EXPECT_EQ(linesOf(result.writtenDifferently->first),
                          differently ? QStringList {a} : QStringList {});
                EXPECT_EQ(linesOf(result.writtenDifferently->second),
                          differently ? QStringList {b} : QStringList {});
            }

            // Remove Duplicates and a sorted list's own add.
            LineList both = listOf(c.locale, {a, b}, {}, false);
            both.removeDuplicates(matching);
            EXPECT_EQ(linesOf(both),
                      equal ? QStringList {a} : linesOf(listOf(c.locale, {a, b}, matching, true)));
            LineList sorted = listOf(c.locale, {a}, matching, true);
            EXPECT_EQ(sorted.add(b) < 0, equal);
        }
    }
}

// Lines of only spaces and punctuation all become the empty line when those
// are ignored: they match each other and the empty line, and none is lost.
TEST(Matching, LinesOfPunctuationOnlyMatchTheEmptyLine)
{
    const QStringList lines1 {QStringLiteral("..."), QStringLiteral("a"), QString(), QStringLiteral(" - ")};
    const QStringList lines2 {QStringLiteral("!"), QStringLiteral("b"), QStringLiteral("!")};
    for (bool sorted : {false, true}) {
        SCOPED_TRACE(sorted ? "sorted" : "unsorted");
        const Matching matching {.ignorePunctuation = true};
        const LineList list1 = listOf("en_US", lines1, matching, sorted);
        const LineList list2 = listOf("en_US", lines2, matching, sorted);
        CompareProgress progress;
        const CompareResult result = compareLists(list1, list2, {.calculateUnion = true}, progress);
        const QStringList common = linesOf(*result[ResultSet::Intersection]);
        EXPECT_EQ(common.size(), 3);
        for (const QString &line : {QStringLiteral("..."), QString(), QStringLiteral(" - ")})
            EXPECT_TRUE(common.contains(line)) << line.toStdString();
        EXPECT_EQ(linesOf(*result[ResultSet::Only1]), QStringList {QStringLiteral("a")});
        EXPECT_EQ(linesOf(*result[ResultSet::Only2]), QStringList {QStringLiteral("b")});
        // One line stands for all of them in the union: the first met in list #1.
        const QStringList all = linesOf(*result[ResultSet::Union]);
        EXPECT_EQ(all.size(), 3);
        EXPECT_EQ(all.count(linesOf(list1).first()), 1);
        // Each of them is paired with "!", the first matching line of list #2.
        EXPECT_EQ(linesOf(result.writtenDifferently->first), common);
        EXPECT_EQ(linesOf(result.writtenDifferently->second), QStringList(3, QStringLiteral("!")));
    }
}

TEST(Matching, WrittenDifferentlyPairsEachLineWithTheFirstThatDiffers)
{
    struct Case
    {
        const char *name;
        QStringList list1, list2;
        QStringList first, second;
    };
    const QString nfc = QStringLiteral("caf\u00E9"), nfd = QStringLiteral("cafe\u0301");
    const Case cases[] = {
        {"the same units make no pair",
         {QStringLiteral("a"), QStringLiteral("b")},
         {QStringLiteral("b"), QStringLiteral("a")},
         {},
         {}},
        {"repeats of one spelling make no pair",
         {QStringLiteral("a"), QStringLiteral("a")},
         {QStringLiteral("a"), QStringLiteral("a")},
         {},
         {}},
        {"each line of list #1, repeats kept, in its order",
         {QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("a"), QStringLiteral("A")},
         {QStringLiteral("a"), QStringLiteral("A")},
         {QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("A")},
         {QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("a")}},
        {"the first of list #2 that differs",
         {QStringLiteral("a")},
         {QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("A\u0301"), QStringLiteral("A")},
         {QStringLiteral("a")},
         {QStringLiteral("A")}},
        {"decomposed and precomposed", {nfc, nfd}, {nfd}, {nfc}, {nfd}},
    };
    for (const Case &c : cases) {
        for (int sorting = 0; sorting < 4; ++sorting) {
            SCOPED_TRACE(std::string(c.name) + ", sorting " + std::to_string(sorting));
            const LineList list1 = listOf("en_US", c.list1, {}, sorting & 1);
            const LineList list2 = listOf("en_US", c.list2, {}, sorting & 2);
            CompareProgress progress;
            const CompareResult result = compareLists(list1, list2, {}, progress);
            QStringList expectedFirst, expectedSecond;
            // A sorted list #1 gives the pairs in its new order.
            for (const QString &line : linesOf(list1)) {
                const qsizetype at = c.first.indexOf(line);
                if (at >= 0) {
                    expectedFirst << line;
                    expectedSecond << c.second[at];
                }
            }
            if (!(sorting & 1)) {
                expectedFirst = c.first;
                expectedSecond = c.second;
            }
            EXPECT_EQ(linesOf(result.writtenDifferently->first), expectedFirst);
            EXPECT_EQ(linesOf(result.writtenDifferently->second), expectedSecond);
        }
    }
}

// Lines too long for a whole key are compared by key parts; the parts and the
// prefixes must agree with the whole keys under every option.
TEST(Matching, KeyPartsAgreeWithWholeKeys)
{
    const QString body(Collation::WholeKeyUnits + 100, u'x');
    const QStringList samples {QStringLiteral("J. M\u00FCller-L\u00FCdenscheidt"), QStringLiteral("..."),
                               QString(), QStringLiteral("\uFB01 \u00DF \u0130")};
    for (int bits = 0; bits < 8; ++bits) {
        const Matching matching = matchingOf(bits);
        SCOPED_TRACE(nameOf(matching));
        const auto collation = Collation::forLocale("de_DE", matching);
        for (const QString &sample : samples) {
            QByteArray key;
            collation->appendSortKey(sample, key);
            const Collation::Prefix prefix = collation->sortKeyPrefix(sample);
            const qsizetype common = std::min<qsizetype>(key.size(), qsizetype(prefix.size()));
            EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(prefix.data()), common), key.left(common));
        }
        // A long line against one a unit shorter, whose last unit is all they
        // differ in: "-" (ignorable) or "y" (never).
        auto with = [&](char16_t last) { return QString(body + last); };
        EXPECT_EQ(collation->equal(with(u'-'), body), matching.ignorePunctuation);
        EXPECT_FALSE(collation->equal(with(u'y'), body));
        EXPECT_EQ(collation->equal(with(u'X'), with(u'x')), !matching.caseSensitive);
        EXPECT_EQ(collation->equal(with(u'\u00E9'), with(u'e')), matching.ignoreAccents);

        // And so does a comparison of such lines, sorted or not.
        for (bool sorted : {false, true}) {
            const LineList list1 = listOf("de_DE", {with(u'-'), with(u'y')}, matching, sorted);
            const LineList list2 = listOf("de_DE", {body}, matching, sorted);
            CompareProgress progress;
            const CompareResult result = compareLists(list1, list2, {}, progress);
            EXPECT_EQ(result[ResultSet::Intersection]->count(), matching.ignorePunctuation ? 1 : 0);
            EXPECT_EQ(result[ResultSet::Only1]->count(), matching.ignorePunctuation ? 1 : 2);
            EXPECT_EQ(result.writtenDifferently->count(), matching.ignorePunctuation ? 1 : 0);
        }
    }
}

} // namespace
