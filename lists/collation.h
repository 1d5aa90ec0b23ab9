#pragma once

#include <QByteArray>
#include <QStringView>

#include <array>
#include <cstdint>
#include <memory>

struct UCollator;

// Locale-aware line order and equality: an ICU collator opened once for a
// locale, tertiary strength when case matters, secondary when it does not.
// Read-only after creation, so any number of threads may use one instance.
class Collation
{
public:
    // locale: an ICU id such as "de_DE"; "" is the root collation.
    Collation(const QByteArray &locale, bool caseSensitive);
    ~Collation();
    Collation(const Collation &) = delete;
    Collation &operator=(const Collation &) = delete;

    // The collation of the user's locale (see platform::userCollationLocale), shared.
    static std::shared_ptr<const Collation> forUser(bool caseSensitive);
    // The collation of an explicit locale, shared per (locale, case).
    static std::shared_ptr<const Collation> forLocale(const QByteArray &locale, bool caseSensitive);

    const QByteArray &locale() const { return m_locale; }
    bool caseSensitive() const { return m_caseSensitive; }

    // <0, 0 or >0.
    int compare(QStringView a, QStringView b) const;
    bool equal(QStringView a, QStringView b) const { return compare(a, b) == 0; }

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
    UCollator *m_collator = nullptr;
    QByteArray m_locale;
    bool m_caseSensitive = false;
};
