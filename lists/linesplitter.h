#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <cstring>

class LineList;

// Finds where lines end: at CR LF, LF or CR. Text may be scanned in pieces; a
// CR that ends one piece and an LF that starts the next are one terminator.
class LineScanner
{
public:
    // Scans text[from, size) and calls found(start, end) for each line that
    // ends there, in offsets of `text`; the first line starts at 0, since the
    // part before `from` held no terminator. Returns where the unended rest starts.
    template<typename Found>
    qsizetype scan(const char16_t *text, qsizetype from, qsizetype size, Found &&found)
    {
        qsizetype lineStart = 0;
        qsizetype pos = from;
        if (m_skipLf && pos < size) {
            m_skipLf = false;
            if (text[pos] == u'\n')
                lineStart = ++pos;
        }
        for (;;) {
            pos = nextBreak(text, pos, size);
            if (pos == size)
                return lineStart;
            found(lineStart, pos);
            if (text[pos++] == u'\r') {
                if (pos == size)
                    m_skipLf = true;
                else if (text[pos] == u'\n')
                    ++pos;
            }
            lineStart = pos;
        }
    }

private:
    // The position of the next CR or LF at or after pos, or size.
    static qsizetype nextBreak(const char16_t *text, qsizetype pos, qsizetype size)
    {
        // Four units at a time: a word with no unit below 14 holds neither.
        constexpr std::uint64_t Ones = 0x0001000100010001u;
        constexpr std::uint64_t High = 0x8000800080008000u;
        for (; pos + 4 <= size; pos += 4) {
            std::uint64_t word;
            std::memcpy(&word, text + pos, sizeof word);
            if (((word - 14 * Ones) & ~word & High) != 0)
                break;
        }
        for (; pos < size; ++pos) {
            if (text[pos] == u'\n' || text[pos] == u'\r')
                return pos;
        }
        return size;
    }

    bool m_skipLf = false;
};

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
    LineScanner m_scanner;
    QString m_partial;
    bool m_trim;
};
