#pragma once

#include "lists/textencoding.h"
#include "platform/apperror.h"

#include <QString>

class LineList;

struct LoadOptions
{
    bool ignoreWhitespace = false; // "Ignore Whitespace When Loading"
    bool sortWhenLoading = true; // "Sort When Loading"
};

// The text of the decoding error.
QString noMappingMessage();

// Strict UTF-8 met an invalid sequence. The message is noMappingMessage();
// byteOffset() is where the sequence starts, counted from the file's first
// byte (a byte-order mark included).
class DecodeError : public AppError
{
public:
    explicit DecodeError(qint64 byteOffset)
        : AppError(noMappingMessage(), ErrorKind::CannotDecode)
        , m_byteOffset(byteOffset)
    {
    }
    qint64 byteOffset() const { return m_byteOffset; }

private:
    qint64 m_byteOffset;
};

// Appends the lines of a text file to the list; never empties it first.
// Sorting is switched off for the load and, with sortWhenLoading, on again at
// the end (which sorts the whole list). A byte-order mark (EF BB BF, FF FE,
// FE FF) chooses the encoding instead of `encoding`.
//
// Throws AppError: when the file cannot be opened (naming it and the system's
// reason; nothing is added), when its text would not fit in the memory
// available (naming it), or, as DecodeError, when strict UTF-8 meets an
// invalid sequence (the lines that ended before the 4096-byte block holding
// it stay, unsorted).
void loadFileToList(const QString &fileName,
                    TextEncoding encoding,
                    const LoadOptions &options,
                    LineList &list);
