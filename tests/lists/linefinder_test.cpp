#include "lists/linefinder.h"
#include "lists/linelist.h"

#include <QCoreApplication>
#include <QTimer>

#include "testsupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using testsupport::listOf;

constexpr qsizetype NotFound = -1;

// What the finder reported: a row, NotFound, or nothing (nullopt).
class Results : public QObject
{
public:
    explicit Results(LineFinder &finder)
    {
        connect(&finder, &LineFinder::found, this, [this](qsizetype row) { rows.push_back(row); });
        connect(&finder, &LineFinder::notFound, this, [this] { rows.push_back(NotFound); });
    }
    std::vector<qsizetype> rows;
};

// Runs the event loop until the finder stops.
void runOut(const LineFinder &finder)
{
    while (finder.isSearching())
        QCoreApplication::processEvents();
}

// One search run to its end: the row found, NotFound, or nullopt when no
// signal came.
std::optional<qsizetype> search(const std::vector<const LineList *> &columns,
                                const QString &text,
                                qsizetype from,
                                bool forwards,
                                Qt::CaseSensitivity cs = Qt::CaseInsensitive)
{
    LineFinder finder;
    Results results(finder);
    finder.find(columns, text, from, forwards, cs);
    runOut(finder);
    EXPECT_LE(results.rows.size(), 1u);
    return results.rows.empty() ? std::nullopt : std::optional(results.rows.front());
}

TEST(LineFinder, FindsForwardsBackwardsAndWrapsRoundOnce)
{
    const LineList list = listOf({QStringLiteral("alpha"), QStringLiteral("Beta"), QStringLiteral("gamma"),
                                  QStringLiteral("beta two"), QStringLiteral("delta"),
                                  QStringLiteral("clef \U0001D11E and \U00010400")});
    const struct
    {
        const char16_t *text;
        qsizetype from;
        bool forwards;
        Qt::CaseSensitivity cs;
        qsizetype expected;
    } cases[] = {
        {u"beta", 0, true, Qt::CaseInsensitive, 1},
        {u"beta", 1, true, Qt::CaseInsensitive, 1}, // the starting row counts
        {u"beta", 2, true, Qt::CaseInsensitive, 3},
        {u"beta", 4, true, Qt::CaseInsensitive, 1}, // wraps past the end
        {u"beta", 6, true, Qt::CaseInsensitive, 1}, // one past the last row: from the first
        {u"beta", -1, true, Qt::CaseInsensitive, 1},
        {u"beta", 4, false, Qt::CaseInsensitive, 3},
        {u"beta", 2, false, Qt::CaseInsensitive, 1},
        {u"beta", 0, false, Qt::CaseInsensitive, 3}, // wraps past the start
        {u"beta", -1, false, Qt::CaseInsensitive, 3}, // one before the first row: from the last
        {u"beta", 6, false, Qt::CaseInsensitive, 3},
        {u"alpha", 1, true, Qt::CaseInsensitive, 0}, // the only match, behind the start
        {u"beta", 0, true, Qt::CaseSensitive, 3},
        {u"Beta", 2, true, Qt::CaseSensitive, 1},
        {u"BETA", 0, true, Qt::CaseSensitive, NotFound},
        {u"ALPHA", 3, false, Qt::CaseInsensitive, 0},
        {u"zeta", 2, true, Qt::CaseInsensitive, NotFound},
        {u"beta two and more", 0, true, Qt::CaseInsensitive, NotFound}, // longer than any line
        {u"\U0001D11E", 0, true, Qt::CaseSensitive, 5},
        {u"\U00010428", 0, true, Qt::CaseInsensitive, 5}, // case folds beyond the BMP too
        {u"\U00010428", 0, true, Qt::CaseSensitive, NotFound},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString() + " from " + std::to_string(c.from) + (c.forwards ? " on" : " back")
                     + (c.cs == Qt::CaseSensitive ? " sensitive" : ""));
        EXPECT_EQ(search({&list}, text, c.from, c.forwards, c.cs), c.expected);
    }
}

TEST(LineFinder, LooksInEveryColumnOfARow)
{
    // Columns of unequal length: rows go as far as the longest.
    const LineList left = listOf({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    const LineList right = listOf({QStringLiteral("x"), QStringLiteral("needle"), QStringLiteral("y"),
                                   QStringLiteral("z"), QStringLiteral("needle 2")});
    EXPECT_EQ(search({&left, &right}, QStringLiteral("needle"), 0, true), 1);
    EXPECT_EQ(search({&left, &right}, QStringLiteral("needle"), 2, true), 4);
    EXPECT_EQ(search({&left, &right}, QStringLiteral("needle"), 0, false), 4);
    EXPECT_EQ(search({&right, &left}, QStringLiteral("c"), 3, true), 2);
    EXPECT_EQ(search({&left, &right}, QStringLiteral("q"), 3, true), NotFound);
}

TEST(LineFinder, NoRowsAnswersNotFoundAndEmptyTextAnswersNothing)
{
    const LineList empty = listOf({});
    EXPECT_EQ(search({&empty}, QStringLiteral("a"), 0, true), NotFound);
    EXPECT_EQ(search({}, QStringLiteral("a"), -1, false), NotFound);

    const LineList list = listOf({QStringLiteral("a")});
    LineFinder finder;
    Results results(finder);
    finder.find({&list}, QStringLiteral("a"), 0, true, Qt::CaseInsensitive);
    EXPECT_TRUE(results.rows.empty()); // answers from the event loop only
    finder.find({&list}, QString(), 0, true, Qt::CaseInsensitive); // drops the one running
    EXPECT_FALSE(finder.isSearching());
    QCoreApplication::processEvents();
    EXPECT_TRUE(results.rows.empty());
}

LineList numberedLines(qsizetype count)
{
    LineList list("en_US");
    for (qsizetype i = 0; i < count; ++i)
        list.append(QString(QStringLiteral("line number ") + QString::number(i)));
    return list;
}

TEST(LineFinder, ANewSearchOrCancelDropsTheRunningOne)
{
    const LineList list = numberedLines(200'000);
    LineFinder finder;
    Results results(finder);
    finder.find({&list}, QStringLiteral("number 199999"), 0, true, Qt::CaseInsensitive);
    QCoreApplication::processEvents(); // the first one under way
    finder.find({&list}, QStringLiteral("number 150000"), 0, true, Qt::CaseInsensitive);
    runOut(finder);
    EXPECT_EQ(results.rows, (std::vector<qsizetype> {150'000}));

    results.rows.clear();
    finder.find({&list}, QStringLiteral("number 199999"), 0, true, Qt::CaseInsensitive);
    finder.cancel();
    EXPECT_FALSE(finder.isSearching());
    QCoreApplication::processEvents();
    EXPECT_TRUE(results.rows.empty());
}

TEST(LineFinder, ASlotMayStartTheNextSearch)
{
    // As pressing F3 on each result does: the next search starts inside found().
    const LineList list = listOf({QStringLiteral("x"), QStringLiteral("hit"), QStringLiteral("x"),
                                  QStringLiteral("hit"), QStringLiteral("x")});
    LineFinder finder;
    std::vector<qsizetype> rows;
    QObject::connect(&finder, &LineFinder::found, &finder, [&](qsizetype row) {
        rows.push_back(row);
        if (rows.size() < 4)
            finder.find({&list}, QStringLiteral("hit"), row + 1, true, Qt::CaseSensitive);
    });
    finder.find({&list}, QStringLiteral("hit"), 0, true, Qt::CaseSensitive);
    runOut(finder);
    EXPECT_EQ(rows, (std::vector<qsizetype> {1, 3, 1, 3}));
}

TEST(LineFinder, SearchesInSlicesBetweenOtherEvents)
{
    const qsizetype count = 300'000;
    const LineList list = numberedLines(count);
    LineFinder finder;
    Results results(finder);
    finder.find({&list}, QStringLiteral("NUMBER 299999"), 0, true, Qt::CaseInsensitive);
    EXPECT_TRUE(results.rows.empty());
    EXPECT_TRUE(finder.isSearching());

    // A zero timer of our own, started after the search: it runs while the
    // search goes on only if the search gives the event loop back.
    int ticksBefore = -1;
    int ticks = 0;
    QTimer other;
    other.setInterval(0);
    QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
    QObject::connect(&finder, &LineFinder::found, [&] { ticksBefore = ticks; });
    other.start();
    runOut(finder);
    EXPECT_EQ(results.rows, (std::vector<qsizetype> {count - 1}));
    EXPECT_GT(ticksBefore, 0);
}

TEST(LineFinder, FindsMatchesAnywhereInAHugeLine)
{
    // Long lines are searched in pieces: a match across the seam of two must
    // count, and one at the very end too.
    const qsizetype p = LineFinder::PieceUnits;
    const qsizetype length = 3 * p + 100;
    const QString needle = QStringLiteral("N\U00010400dle"); // a surrogate pair inside
    for (qsizetype at : {qsizetype(0), p - 5, p - 3, p - 2, p - 1, p, 2 * p - 2, length - needle.size()}) {
        SCOPED_TRACE(at);
        QString huge(length, u'a');
        huge.replace(at, needle.size(), needle);
        ASSERT_EQ(huge.size(), length);
        const LineList list = listOf({QStringLiteral("x"), huge, QStringLiteral("y")});
        EXPECT_EQ(search({&list}, QStringLiteral("n\U00010428DLE"), 2, true), 1);
    }
    QString withoutNeedle(length, u'a');
    withoutNeedle[p - 1] = u'n'; // the start of a match that never comes
    const LineList list = listOf({withoutNeedle, withoutNeedle});
    EXPECT_EQ(search({&list}, QStringLiteral("nab"), 0, false), NotFound);
}

} // namespace
