#include "compare/comparesummary.h"

#include "lists/formatcount.h"
#include "lists/linekey.h"
#include "platform/languagetable.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

QString linesText(qsizetype count)
{
    return (count == 1 ? TranslateText(QStringLiteral("%1 line")) : TranslateText(QStringLiteral("%1 lines")))
        .arg(FormatCount(count));
}

QString listRow(const CompareSummary &summary, int list)
{
    QString text = linesText(summary.lines[size_t(list)]);
    if (summary.walked) {
        text += TranslateText(QStringLiteral(", %1 distinct, %2 repeated"))
                    .arg(FormatCount(summary.distinct[size_t(list)]), FormatCount(summary.repeated(list)));
    }
    return text;
}

QString matchingRow(const CompareSummary &summary)
{
    QStringList parts;
    parts << TranslateText(QStringLiteral("locale %1"))
                 .arg(summary.locale.isEmpty() ? QStringLiteral("root")
                                               : QString::fromLatin1(summary.locale));
    parts << matchingWords(summary.matching);
    parts << (summary.key.isWholeLine()
                  ? TranslateText(QStringLiteral("whole lines"))
                  : TranslateText(QStringLiteral("by %1")).arg(summary.key.describePart()));
    if (summary.header)
        parts << TranslateText(QStringLiteral("first line a header"));
    return parts.join(QStringLiteral("; "));
}

QJsonValue count(const std::optional<qsizetype> &value)
{
    return value ? QJsonValue(qint64(*value)) : QJsonValue(QJsonValue::Null);
}

} // namespace

QString formatPercent(double percent)
{
    return QLocale::system().toString(percent, 'f', 1) + u'%';
}

std::vector<SummaryRow> summaryRows(const CompareSummary &summary, SummaryContent content)
{
    const auto &sets = summary.sets;
    std::vector<SummaryRow> rows;
    rows.push_back({TranslateText(QStringLiteral("List #1")), listRow(summary, 0)});
    rows.push_back({TranslateText(QStringLiteral("List #2")), listRow(summary, 1)});
    if (const auto &common = sets[size_t(ResultSet::Intersection)]) {
        QString text = TranslateText(QStringLiteral("%1 of list #1")).arg(linesText(*common));
        if (summary.walked)
            text += TranslateText(QStringLiteral(", %1 distinct")).arg(FormatCount(summary.distinctInBoth));
        rows.push_back({TranslateText(QStringLiteral("In both")), text});
    }
    if (const auto &only1 = sets[size_t(ResultSet::Only1)])
        rows.push_back({TranslateText(QStringLiteral("Only #1")), FormatCount(*only1)});
    if (const auto &only2 = sets[size_t(ResultSet::Only2)])
        rows.push_back({TranslateText(QStringLiteral("Only #2")), FormatCount(*only2)});
    if (const auto &all = sets[size_t(ResultSet::Union)])
        rows.push_back({TranslateText(QStringLiteral("Union")), FormatCount(*all)});
    if (content.writtenDifferently && sets[size_t(ResultSet::Intersection)])
        rows.push_back(
            {TranslateText(QStringLiteral("Written differently")), FormatCount(summary.writtenDifferently)});
    if (!summary.key.isWholeLine() && summary.walked) {
        rows.push_back({TranslateText(QStringLiteral("Without a key")),
                        TranslateText(QStringLiteral("%1 in list #1, %2 in list #2"))
                            .arg(FormatCount(summary.withoutKey[0]), FormatCount(summary.withoutKey[1]))});
    }
    if (summary.walked)
        rows.push_back({TranslateText(QStringLiteral("Overlap")), formatPercent(summary.overlapPercent())});
    rows.push_back({TranslateText(QStringLiteral("Matched")), matchingRow(summary)});
    return rows;
}

QString summaryText(const CompareSummary &summary, SummaryContent content)
{
    const std::vector<SummaryRow> rows = summaryRows(summary, content);
    qsizetype width = 0;
    for (const SummaryRow &row : rows)
        width = std::max(width, row.label.size() + 1);
    QString text;
    for (const SummaryRow &row : rows)
        text += QString(row.label + u':').leftJustified(width + 1) + row.value + u'\n';
    return text;
}

QByteArray summaryJson(const CompareSummary &summary)
{
    const auto distinct = [&](int list) -> std::optional<qsizetype> {
        if (!summary.walked)
            return std::nullopt;
        return summary.distinct[size_t(list)];
    };
    const auto repeated = [&](int list) -> std::optional<qsizetype> {
        if (!summary.walked)
            return std::nullopt;
        return summary.repeated(list);
    };
    QJsonObject lists[2];
    for (int list = 0; list < 2; ++list) {
        lists[list] = QJsonObject {
            {QStringLiteral("lines"), qint64(summary.lines[size_t(list)])},
            {QStringLiteral("distinct"), count(distinct(list))},
            {QStringLiteral("repeated"), count(repeated(list))},
            {QStringLiteral("withoutKey"), qint64(summary.withoutKey[size_t(list)])},
        };
    }
    const auto &sets = summary.sets;
    const std::optional<qsizetype> common = sets[size_t(ResultSet::Intersection)];
    QJsonValue key;
    switch (summary.key.mode()) {
    case LineKey::Mode::WholeLine:
        key = QJsonValue(QJsonValue::Null);
        break;
    case LineKey::Mode::Field:
        key = QJsonObject {{QStringLiteral("field"), summary.key.fieldNumber()},
                           {QStringLiteral("delimiter"), QString(summary.key.delimiter())},
                           {QStringLiteral("quoted"), summary.key.quoted()}};
        break;
    case LineKey::Mode::Pattern:
        key = QJsonObject {{QStringLiteral("pattern"), summary.key.patternText()}};
        break;
    }
    const QJsonObject object {
        {QStringLiteral("list1"), lists[0]},
        {QStringLiteral("list2"), lists[1]},
        {QStringLiteral("intersection"),
         QJsonObject {{QStringLiteral("lines"), count(common)},
                      {QStringLiteral("distinct"),
                       summary.walked ? QJsonValue(qint64(summary.distinctInBoth)) : QJsonValue()}}},
        {QStringLiteral("only1"), count(sets[size_t(ResultSet::Only1)])},
        {QStringLiteral("only2"), count(sets[size_t(ResultSet::Only2)])},
        {QStringLiteral("union"), count(sets[size_t(ResultSet::Union)])},
        {QStringLiteral("writtenDifferently"),
         common ? QJsonValue(qint64(summary.writtenDifferently)) : QJsonValue()},
        // Rounded as the text shows it, so that both say the same.
        {QStringLiteral("overlapPercent"),
         summary.walked ? QJsonValue(std::round(summary.overlapPercent() * 10.0) / 10.0) : QJsonValue()},
        {QStringLiteral("matching"),
         QJsonObject {{QStringLiteral("locale"), QString::fromLatin1(summary.locale)},
                      {QStringLiteral("caseSensitive"), summary.matching.caseSensitive},
                      {QStringLiteral("ignoreAccents"), summary.matching.ignoreAccents},
                      {QStringLiteral("ignorePunctuation"), summary.matching.ignorePunctuation},
                      {QStringLiteral("key"), key},
                      {QStringLiteral("header"), summary.header}}},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
