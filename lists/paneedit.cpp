#include "lists/paneedit.h"

#include "lists/linelist.h"
#include "lists/linesplitter.h"
#include "lists/linewriter.h"
#include "lists/listjob.h"
#include "platform/apperror.h"
#include "platform/languagetable.h"

#include <algorithm>
#include <cstdint>
#include <new>

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

void pasteText(
    LineList &list, QStringView text, bool ignoreWhitespace, bool sortWhenLoading, JobProgress *progress)
{
    list.setSorted(false);
    LineSplitter splitter(list, ignoreWhitespace);
    if (progress)
        progress->start(JobStage::Reading, text.size());
    // A piece at a time, so that the progress moves and a cancel is heard.
    constexpr qsizetype Piece = qsizetype {1} << 20;
    for (qsizetype from = 0; from < text.size(); from += Piece) {
        splitter.feed(text.sliced(from, std::min(Piece, text.size() - from)));
        if (progress) {
            progress->setDone(from + Piece);
            progress->throwIfCancelled();
        }
    }
    splitter.finish();
    if (sortWhenLoading)
        list.setSorted(true);
}

void saveListToFile(const QString &fileName, const LineList &list, JobProgress *progress)
{
    writeLinesToFile(fileName, list, false, progress);
}

QString largeListsAdvice()
{
    // Translated texts stay one literal on one line, where the check of the languages finds them.
    // clang-format off
    return TranslateText(QStringLiteral("For lists this large, use pairsight-compare --memory, which compares them on disk."));
    // clang-format on
}

QString listsDoNotFitMessage()
{
    return TranslateText(QStringLiteral("The lists do not fit in memory.")) + u'\n' + largeListsAdvice();
}

QString loadOutOfMemoryMessage(const QString &fileName)
{
    if (fileName.isEmpty())
        return listsDoNotFitMessage();
    return errorBoxText(tooLargeMessage(fileName)) + u'\n' + listsDoNotFitMessage();
}

namespace {

// The list with the read lines in place of its own or after them. Appended
// lines share the text of both lists instead of copying it: the list keeps
// its text as it was until the whole change has worked.
LineList joined(const LineList &list, LineList &&lines, ListChange change)
{
    if (change == ListChange::Replace || list.isEmpty())
        return std::move(lines);
    if (lines.isEmpty())
        return list;
    std::vector<std::uint32_t> picks;
    picks.reserve(size_t(list.count() + lines.count()));
    for (qsizetype i = 0; i < list.count(); ++i)
        picks.push_back(std::uint32_t(i));
    for (qsizetype i = 0; i < lines.count(); ++i)
        picks.push_back(LineList::FromSecond | std::uint32_t(i));
    LineList result = LineList::merged(list, lines, picks);
    result.setKey(list.key(), list.header());
    return result;
}

} // namespace

LoadReport changeList(LineList &list,
                      ListChange change,
                      bool sortWhenLoading,
                      const QString &fileName,
                      const std::function<LoadReport(LineList &)> &read,
                      JobProgress *progress)
{
    try {
        LineList lines(list.collationLocale());
        lines.setMatching(list.matching());
        lines.setKey(list.key(), list.header());
        LoadReport report;
        try {
            report = read(lines);
            if (progress)
                progress->throwIfCancelled();
        } catch (...) {
            if (isOutOfMemory(std::current_exception()) || isCancelled(std::current_exception()))
                throw;
            list = joined(list, std::move(lines), change);
            throw;
        }
        LineList result = joined(list, std::move(lines), change);
        if (sortWhenLoading) {
            if (progress)
                progress->start(JobStage::Sorting);
            result.setSorted(true);
            if (progress)
                progress->throwIfCancelled();
        }
        list = std::move(result);
        return report;
    } catch (const std::bad_alloc &) {
        throw AppError(loadOutOfMemoryMessage(fileName), ErrorKind::OutOfMemory);
    } catch (const AppError &error) {
        if (error.kind() == ErrorKind::OutOfMemory)
            throw AppError(loadOutOfMemoryMessage(fileName), ErrorKind::OutOfMemory);
        throw;
    }
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

LoadReport
loadDroppedFile(const QString &fileName, const LoadOptions &options, LineList &list, JobProgress *progress)
{
    return loadDropped(list, [&](TextEncoding encoding) {
        return loadFileToList(fileName, encoding, options, list, progress);
    });
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
