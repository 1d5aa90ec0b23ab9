#pragma once

#include "lists/collation.h"
#include "lists/linekey.h"
#include "lists/linesort.h"
#include "lists/podvector.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <vector>

// An ordered list of UTF-16 lines with a sorted flag and a matching.
//
// All text lives in one buffer and each line costs one 64-bit reference, so
// millions of lines make no small allocations. Copies share the storage until
// one of them changes (a snapshot is O(1)). Equality and order are those of
// the list's collation, sorted or not.
class LineList
{
public:
    // locale: the ICU collation locale; by default the user's.
    LineList();
    explicit LineList(QByteArray collationLocale);
    LineList(const LineList &other);
    LineList(LineList &&other) noexcept;
    LineList &operator=(const LineList &other);
    LineList &operator=(LineList &&other) noexcept;
    ~LineList();

    // A list of the given lines of `source`, in the given order, sharing its text.
    static LineList subset(const LineList &source, const std::vector<std::uint32_t> &indexes);
    // Lines of two lists in the order of `picks`: an index into `first`, or
    // FromSecond | an index into `second`. Shares the text of both.
    static constexpr std::uint32_t FromSecond = 0x80000000u;
    static LineList
    merged(const LineList &first, const LineList &second, const std::vector<std::uint32_t> &picks);

    qsizetype count() const { return qsizetype(m_d->refs.size()); }
    bool isEmpty() const { return m_d->refs.empty(); }
    QStringView at(qsizetype index) const { return lineIn(*m_d, m_d->refs[size_t(index)]); }
    QString lineAt(qsizetype index) const { return at(index).toString(); }
    // Hints that the reference of line `index` will be read soon; a step
    // ahead of prefetch(), which reads it.
    void prefetchReference(qsizetype index) const
    {
#if defined(__GNUC__)
        if (index < count())
            __builtin_prefetch(&m_d->refs[size_t(index)]);
#else
        (void)index;
#endif
    }
    // Hints that line `index` will be read soon. Sorted lists are read out of
    // the order their text lies in, and waiting on memory then dominates.
    void prefetch(qsizetype index) const
    {
#if defined(__GNUC__)
        if (index < count())
            __builtin_prefetch(at(index).utf16());
#else
        (void)index;
#endif
    }

    // Adds at the end whatever the sorted flag says; for loaders, which switch
    // sorting off first.
    void append(QStringView line);
    // The list's own add: while sorted, the line goes to its sorted position and
    // is dropped (-1) when an equal line is there; otherwise it goes at the end.
    // Sorted by key, it is kept and the list sorted again (-2: no one place).
    qsizetype add(QStringView line);
    // Hint that about this many more code units are coming.
    void reserveText(qsizetype units);

    // Filling straight from a decoder: textRoom() gives room for `units` more
    // code units after the text (valid until the list next changes);
    // commitText() makes that many of them text and returns where they start;
    // appendStored() adds a line that lies in the text already.
    char16_t *textRoom(qsizetype units);
    qsizetype commitText(qsizetype units);
    const char16_t *textData() const;
    void appendStored(qsizetype offset, qsizetype length);

    void clear();
    // Drops every line and the text before `offset`; the text from there
    // on moves to the start. For a loader that hands its lines over a chunk
    // at a time.
    void restartText(qsizetype offset);

    // Keeps the lines whose keep[i] is true, in order, in one pass.
    void keepOnly(const std::vector<bool> &keep);
    // Keeps the first `count` lines.
    void truncate(qsizetype count);
    // Keeps one line of each set of equal ones, the first met, and leaves the
    // list sorted under the given matching: one sort of keys and one pass.
    void removeDuplicates(Matching matching);

    bool sorted() const
    {
        return m_sorted;
    }
    // Switching on sorts the whole list, equal lines in the order they had;
    // switching off keeps the order.
    void setSorted(bool on);

    const Matching &matching() const
    {
        return m_matching;
    }
    // While sorted, the list is sorted again under the new comparison.
    void setMatching(Matching matching);

    // What of a line its order and Remove Duplicates look at: its key, and
    // whether the first line is a header (it then stays first, out of
    // both). Sorted by key, equal keys keep the order of their lines and
    // lines without a key come last, in their order; Remove Duplicates keeps
    // the first line of each key and every line without one. While sorted,
    // the list is sorted again under the new key.
    void setKey(const LineKey &key, bool header);
    const LineKey &key() const
    {
        return m_key;
    }
    bool header() const
    {
        return m_header;
    }
    // Ordered by something other than whole lines.
    bool byKey() const
    {
        return !m_key.isWholeLine() || m_header;
    }

    const Collation &collation() const
    {
        return *m_collation;
    }
    const QByteArray &collationLocale() const
    {
        return m_locale;
    }

    // The key prefixes of the lines under `collation`, kept from the last sort
    // so that a comparison need not make keys again; nullptr when the list
    // has none for it (any change of the lines drops them), or is sorted by key.
    const KeyPrefix *keyPrefixes(const Collation &collation) const
    {
        return m_prefixes && m_prefixCollation == &collation && !byKey() ? m_prefixes->begin() : nullptr;
    }

    // The first line equal to `line`, or -1. Binary search while sorted.
    qsizetype indexOf(QStringView line) const;
    bool contains(QStringView line) const
    {
        return indexOf(line) >= 0;
    }

    // The keys of lines `from` onwards, as a list sharing this one's text
    // where it can (in the lines' order, the matching kept); owners[k] is
    // the index of key k's line. Lines without a key have no entry. When
    // this list was last sorted by the same key, the keys are sorted too.
    LineList keysOf(const LineKey &key, qsizetype from, std::vector<std::uint32_t> &owners) const;

    // Puts the lines in the given order (order[i] is the old index of new line
    // i); lines that order leaves out are dropped. The text is laid out afresh
    // in the new order, as after sorting.
    void permute(const LineOrder &order);

    // Bits of a line's length in its reference (see linelist.cpp).
    static constexpr int RefLengthBits = 24;

private:
    // Text is only ever appended to a block, and only by the list that made
    // it; others that share the block read lines below its size, so a
    // snapshot on another thread never sees a write.
    struct LargeDeleter
    {
        void operator()(char16_t *units) const noexcept { platform::freeLarge(units); }
    };
    struct TextBlock
    {
        std::unique_ptr<char16_t[], LargeDeleter> units;
        qsizetype size = 0;
        qsizetype capacity = 0;
        std::uint64_t appender = 0; // id of the list that may append
    };
    struct LongLine
    {
        std::uint64_t key;
        qsizetype length;
    };
    struct Data
    {
        std::shared_ptr<TextBlock> blocks[2];
        PodVector<std::uint64_t> refs;
        std::vector<LongLine> longLines; // by key; lines of 2^24 - 1 units or more
    };

    // Inline, since lists are read a line at a time by the million.
    static QStringView lineIn(const Data &d, std::uint64_t ref)
    {
        constexpr std::uint64_t LengthMask = (std::uint64_t {1} << RefLengthBits) - 1;
        const std::uint64_t length = ref & LengthMask;
        if (length == LengthMask) [[unlikely]]
            return longLineIn(d, ref);
        const TextBlock &block = *d.blocks[(ref >> RefLengthBits) & 1];
        return QStringView(block.units.get() + qsizetype(ref >> (RefLengthBits + 1)), qsizetype(length));
    }
    static QStringView longLineIn(const Data &d, std::uint64_t ref);
    void detach();
    // Makes block 0 one this list may append to, with room for `more` units.
    void prepareAppend(qsizetype more);
    std::uint64_t storeText(QStringView line);
    std::uint64_t refTo(qsizetype offset, qsizetype length);
    void sortAll();
    // Sorts by the list's key (see setKey()); with `distinct`, one line a key.
    void sortByKey(bool distinct);
    void permuteReferences(const LineOrder &order);
    // Copies the lines' text into a block of the list's own, in the lines'
    // order: a list read in order (a comparison's merge walk, saving, the
    // pane) then reads memory in order instead of waiting on each line.
    void layOutInOrder();
    // Index where `line` would go in the sorted list, and whether an equal one is there.
    std::pair<qsizetype, bool> lowerBound(QStringView line) const;

    void dropPrefixes()
    {
        m_prefixes.reset();
        m_prefixCollation = nullptr;
        m_keyOrder.reset();
    }
    void keepPrefixes(KeyPrefixes &&prefixes);

    std::shared_ptr<Data> m_d;
    // Shared by copies, as the lines are; never changed once made.
    std::shared_ptr<const KeyPrefixes> m_prefixes;
    const Collation *m_prefixCollation = nullptr;
    // Set by sortByKey() until the lines change: the key, where it started,
    // and the prefixes of the keys in order.
    struct KeyOrder
    {
        LineKey key;
        qsizetype from;
        std::shared_ptr<const KeyPrefixes> prefixes;
    };
    std::shared_ptr<const KeyOrder> m_keyOrder;
    std::uint64_t m_id;
    QByteArray m_locale;
    std::shared_ptr<const Collation> m_collation;
    bool m_sorted = false;
    Matching m_matching;
    LineKey m_key;
    bool m_header = false;
};
