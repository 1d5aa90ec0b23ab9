#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <compare>
#include <cstdint>
#include <memory>
#include <vector>

struct UCollator;

// What makes two lines the same, besides the locale. All off: letters that
// differ only in case are equal, accents and punctuation count.
struct Matching
{
    bool caseSensitive = false;
    bool ignoreAccents = false;
    // Spaces and punctuation (ICU's variable characters) are ignored.
    bool ignorePunctuation = false;

    friend bool operator==(const Matching &, const Matching &) = default;
    friend auto operator<=>(const Matching &, const Matching &) = default;
};

// A few words on what is ignored, for the status bar: "Matching: ignore case".
QString describeMatching(const Matching &matching);
// The same without "Matching: ": "ignore case, accents", "case sensitive".
QString matchingWords(const Matching &matching);

// Locale-aware line order and equality: an ICU collator opened once for a
// locale and a matching. Read-only after creation, so any number of threads
// may use one instance.
class Collation
{
public:
    // locale: an ICU id such as "de_DE"; "" is the root collation.
    Collation(const QByteArray &locale, Matching matching);
    ~Collation();
    Collation(const Collation &) = delete;
    Collation &operator=(const Collation &) = delete;

    // The collation of the user's locale (see platform::userCollationLocale), shared.
    static std::shared_ptr<const Collation> forUser(Matching matching);
    // The collation of an explicit locale, shared per (locale, matching).
    static std::shared_ptr<const Collation> forLocale(const QByteArray &locale, Matching matching);

    const QByteArray &locale() const { return m_locale; }
    const Matching &matching() const { return m_matching; }

    // Lines longer than this get no whole sort key: a key may take many bytes
    // per character, too many to make for a line of millions. Such lines are
    // ordered by their keys made part by part.
    static constexpr qsizetype WholeKeyUnits = qsizetype {1} << 14;
    static bool hasWholeKey(QStringView line) { return line.size() <= WholeKeyUnits; }

    // A line and its sort key, made when first needed and kept, for comparing
    // one line with many. Its buffer is reused for the next line set.
    class KeyedLine
    {
    public:
        KeyedLine() = default;
        explicit KeyedLine(QStringView line)
            : m_line(line)
        {
        }
        void setLine(QStringView line)
        {
            m_line = line;
            m_keyLength = -1;
        }
        QStringView line() const { return m_line; }

    private:
        friend class Collation;
        QStringView m_line;
        int m_keyLength = -1; // -1: not made yet
        std::vector<std::uint8_t> m_key;
    };

    // <0, 0 or >0, by the lines' sort keys: the one rule for both order and
    // equality. ICU's own string comparison is not used because under some
    // locales (th_TH) it disagrees with the keys, and then results would
    // depend on the order of lines.
    int compare(QStringView a, QStringView b) const;
    int compare(KeyedLine &a, KeyedLine &b) const;
    bool equal(QStringView a, QStringView b) const { return compare(a, b) == 0; }
    bool equal(KeyedLine &a, KeyedLine &b) const { return compare(a, b) == 0; }

    // The first bytes of the line's sort key, zero-padded, without making the
    // whole key: for lines whose keys would be too large to make.
    using Prefix = std::array<std::uint8_t, 20>;
    Prefix sortKeyPrefix(QStringView line) const;

    // The full sort key, appended to out (without the terminating zero). Equal
    // keys mean equal lines.
    void appendSortKey(QStringView line, QByteArray &out) const;
    // The full sort key's length, without the terminating zero; the key itself
    // is written to `buffer` when it fits in `capacity` bytes (with its zero).
    // Throws std::bad_alloc when the key cannot be made.
    int sortKey(QStringView line, std::uint8_t *buffer, int capacity) const;

private:
    // The keys of lines without a whole key, compared a part at a time.
    int compareByParts(QStringView a, QStringView b) const;
    // Makes the line's key in its buffer once.
    void makeKey(KeyedLine &line) const;

    UCollator *m_collator = nullptr;
    QByteArray m_locale;
    Matching m_matching;
};
