#pragma once

#include "lists/textloader.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

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
void pasteText(LineList &list, QStringView text, bool ignoreWhitespace, bool sortWhenLoading);

// Writes a saved list: UTF-8 without byte-order mark, each line followed by
// CR LF. The file is replaced only once all of it is written; throws AppError
// naming the file and the reason.
void saveListToFile(const QString &fileName, const LineList &list);

// Loads a file into a list as loadFileToList does.
using FileLoader = std::function<void(const QString &, TextEncoding, const LoadOptions &, LineList &)>;

// Appends a dropped file: strict UTF-8 first (a byte-order mark wins); when its
// bytes are not UTF-8, the lines it added go and the file is loaded again in
// the ANSI code page, so its lines enter once. Any other failure (the file
// cannot be opened or read, memory runs out) leaves at once, since a second
// attempt could only fail again. Returns the report of the load that stayed.
LoadReport loadDroppedFile(const QString &fileName, const LoadOptions &options, LineList &list);
// The same with `load` standing in for loadFileToList, in tests.
void loadDroppedFile(const QString &fileName,
                     const LoadOptions &options,
                     LineList &list,
                     const FileLoader &load);
