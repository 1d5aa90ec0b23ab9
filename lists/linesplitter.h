#pragma once

#include <QString>
#include <QStringView>

class LineList;

// Splits text into lines and appends them to a list: a line ends at CR LF, LF
// or CR; a terminator at the very end makes no extra empty line. With trimming,
// code units up to 32 go from both ends and lines left empty are skipped.
// Text may arrive in pieces; a terminator split across pieces counts once.
class LineSplitter
{
public:
    LineSplitter(LineList &list, bool trim);

    // Appends every line that ends in this piece; keeps the unended rest.
    void feed(QStringView text);
    // Appends the last line when it had no terminator.
    void finish();

    // Strips code units <= 32 from both ends.
    static QStringView trimmed(QStringView line);

private:
    void emit(QStringView line);

    LineList &m_list;
    QString m_partial;
    bool m_trim;
    bool m_skipLf = false;
};
