#pragma once

#include "lists/textencoding.h"

#include <QString>

class LineList;

struct LoadOptions
{
    bool ignoreWhitespace = false; // "Ignore Whitespace When Loading"
    bool sortWhenLoading = true; // "Sort When Loading"
};

// The text of the decoding error.
QString noMappingMessage();

// Appends the lines of a text file to the list; never empties it first.
// Sorting is switched off for the load and, with sortWhenLoading, on again at
// the end (which sorts the whole list). A byte-order mark (EF BB BF, FF FE,
// FE FF) chooses the encoding instead of `encoding`.
//
// Throws AppError: when the file cannot be opened (naming it and the system's
// reason; nothing is added), or when strict UTF-8 meets an invalid sequence
// (the lines that ended before the 4096-byte block holding it stay, unsorted).
void loadFileToList(const QString &fileName,
                    TextEncoding encoding,
                    const LoadOptions &options,
                    LineList &list);
