#include "lists/paneedit.h"

#include "lists/linelist.h"
#include "lists/linesplitter.h"
#include "lists/linewriter.h"
#include "platform/apperror.h"

#include <algorithm>

namespace {

// The selected rows' lines, one column after another in each row.
QString selectedRows(const std::vector<const LineList *> &columns, const std::vector<bool> &selected)
{
    qsizetype rows = qsizetype(selected.size());
    for (const LineList *column : columns)
        rows = std::min(rows, column->count());
    const qsizetype joins = qsizetype(columns.size()) - 1 + 2;
    qsizetype units = 0;
    for (qsizetype i = 0; i < rows; ++i) {
        if (selected[size_t(i)]) {
            for (const LineList *column : columns)
                units += column->at(i).size();
            units += joins;
        }
    }
    QString text;
    text.reserve(units);
    for (qsizetype i = 0; i < rows; ++i) {
        if (!selected[size_t(i)])
            continue;
        for (size_t c = 0; c < columns.size(); ++c) {
            if (c > 0)
                text.append(u'\t');
            text.append(columns[c]->at(i));
        }
        text.append(u"\r\n");
    }
    return text;
}

} // namespace

QString selectedText(const LineList &list, const std::vector<bool> &selected)
{
    return selectedRows({&list}, selected);
}

QString selectedPairsText(const LineList &first, const LineList &second, const std::vector<bool> &selected)
{
    return selectedRows({&first, &second}, selected);
}

void deleteSelected(LineList &list, const std::vector<bool> &selected)
{
    std::vector<bool> keep(size_t(list.count()), true);
    const size_t rows = std::min(keep.size(), selected.size());
    for (size_t i = 0; i < rows; ++i)
        keep[i] = !selected[i];
    list.keepOnly(keep);
}

void pasteText(LineList &list, QStringView text, bool ignoreWhitespace, bool sortWhenLoading)
{
    list.setSorted(false);
    LineSplitter splitter(list, ignoreWhitespace);
    splitter.feed(text);
    splitter.finish();
    if (sortWhenLoading)
        list.setSorted(true);
}

void saveListToFile(const QString &fileName, const LineList &list)
{
    writeLinesToFile(fileName, list, false);
}

namespace {

LoadReport loadDropped(LineList &list, const std::function<LoadReport(TextEncoding)> &load)
{
    const qsizetype before = list.count();
    try {
        return load(TextEncoding::Utf8);
    } catch (const AppError &error) {
        if (error.kind() != ErrorKind::CannotDecode)
            throw;
    }
    list.truncate(before);
    return load(TextEncoding::Ansi);
}

} // namespace

LoadReport loadDroppedFile(const QString &fileName, const LoadOptions &options, LineList &list)
{
    return loadDropped(
        list, [&](TextEncoding encoding) { return loadFileToList(fileName, encoding, options, list); });
}

void loadDroppedFile(const QString &fileName,
                     const LoadOptions &options,
                     LineList &list,
                     const FileLoader &load)
{
    loadDropped(list, [&](TextEncoding encoding) {
        load(fileName, encoding, options, list);
        return LoadReport {};
    });
}
