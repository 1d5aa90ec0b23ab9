#pragma once

#include "lists/textloader.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

class JobProgress;
class LineList;

// What the pane commands do to a list, apart from the pane and the clipboard.
// `selected` holds one flag per line, true for a selected row.

// The selected lines in order, each followed by CR LF; empty with none selected.
QString selectedText(const LineList &list, const std::vector<bool> &selected);
// The same for rows of two lists side by side: the two lines joined by a TAB.
QString selectedPairsText(const LineList &first, const LineList &second, const std::vector<bool> &selected);

// Keeps the lines that are not selected, in order, repeats included; the
// sorted and case flags stay.
void deleteSelected(LineList &list, const std::vector<bool> &selected);

// Appends the lines of pasted text after the list's lines, whatever its order,
// split and trimmed as a load does; then sorts the whole list when asked.
// With `progress`, the split is a Reading stage of the text's code units,
// and a cancel request stops it with cancelledError().
void pasteText(LineList &list,
               QStringView text,
               bool ignoreWhitespace,
               bool sortWhenLoading,
               JobProgress *progress = nullptr);

// Writes a saved list: UTF-8 without byte-order mark, each line followed by
// CR LF. The file is replaced only once all of it is written; throws AppError
// naming the file and the reason. With `progress`, as writeLinesToFile().
void saveListToFile(const QString &fileName, const LineList &list, JobProgress *progress = nullptr);

// What the window says when memory ran out, after what did not fit: that
// the lists do not fit, then on a line of its own largeListsAdvice().
QString listsDoNotFitMessage();
// What to use for lists too large for the window, one sentence. It goes on a
// line of its own: the error box wraps long lines, and a break at the
// hyphen of the command's name would leave it hard to read.
QString largeListsAdvice();
// The message of a load of fileName (empty for a paste) that ran out of
// memory: the loader's, then listsDoNotFitMessage() on a line of its own.
QString loadOutOfMemoryMessage(const QString &fileName);

// How the lines a command reads join the list: in place of its lines
// (Load...) or after them (paste, drop).
enum class ListChange
{
    Replace,
    Append,
};

// Reads lines through `read` into a new, empty list with the list's
// collation, matching and key (read must not sort it), then puts them in
// place of the list's lines or after them, and sorts the whole list when
// sortWhenLoading. The list changes only at the end, so when memory runs out
// on the way it keeps what it had, and the AppError (ErrorKind::OutOfMemory)
// has loadOutOfMemoryMessage(fileName). Any other error still takes the
// lines read before it, unsorted, as a load that meets bad bytes keeps the
// lines before them. Returns what read returned.
//
// With `progress`, the sort is a Sorting stage, and a cancel request (which
// read may also heed, throwing cancelledError()) leaves the list as it was:
// cancelledError() comes after the read and after the sort.
LoadReport changeList(LineList &list,
                      ListChange change,
                      bool sortWhenLoading,
                      const QString &fileName,
                      const std::function<LoadReport(LineList &)> &read,
                      JobProgress *progress = nullptr);

// Loads a file into a list as loadFileToList does.
using FileLoader = std::function<void(const QString &, TextEncoding, const LoadOptions &, LineList &)>;

// Appends a dropped file: strict UTF-8 first (a byte-order mark wins); when its
// bytes are not UTF-8, the lines it added go and the file is loaded again in
// the ANSI code page, so its lines enter once. Any other failure (the file
// cannot be opened or read, memory runs out) leaves at once, since a second
// attempt could only fail again. Returns the report of the load that stayed.
// With `progress`, each attempt is a Reading stage, as loadFileToList() has it.
LoadReport loadDroppedFile(const QString &fileName,
                           const LoadOptions &options,
                           LineList &list,
                           JobProgress *progress = nullptr);
// The same with `load` standing in for loadFileToList, in tests.
void loadDroppedFile(const QString &fileName,
                     const LoadOptions &options,
                     LineList &list,
                     const FileLoader &load);
