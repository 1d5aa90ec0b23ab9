#pragma once

#include "compare/comparison.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The summary of a comparison as people and programs read it. The counts
// come from CompareSummary; these only say them.

struct SummaryRow
{
    QString label;
    QString value;
};

// What the summary shows of a comparison.
struct SummaryContent
{
    // The written-differently count is shown where that result exists: in a
    // window, when there are pairs; on the command line, with --pairs.
    bool writtenDifferently = false;
};

// One row a line: each list, the sets, the lines without a key (by key),
// the overlap and how lines were matched. Counts use FormatCount. Rows whose
// figures a stopped comparison did not reach are left out.
std::vector<SummaryRow> summaryRows(const CompareSummary &summary, SummaryContent content);
// The rows as aligned text, each line ended by '\n'.
QString summaryText(const CompareSummary &summary, SummaryContent content);
// The summary as one JSON object on one line, its fields always the same
// (see the README), with plain numbers.
QByteArray summaryJson(const CompareSummary &summary);
// The percentage with one decimal in the user's locale: "42.9%".
QString formatPercent(double percent);
