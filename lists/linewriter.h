#pragma once

#include <QString>

class LineList;

// Writes every line in UTF-8, each followed by CR LF, after the byte-order
// mark EF BB BF when asked. The file is replaced only once every byte is
// written: a failed save leaves an existing file as it was and no partial
// file behind. Throws AppError naming the file and the reason.
void writeLinesToFile(const QString &fileName, const LineList &lines, bool byteOrderMark);
