#include "lists/linelist.h"

#include "lists/linesort.h"
#include "lists/parallel.h"
#include "platform/systemlocale.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <utility>

// A reference packs the line's offset in its text block (high 39 bits), the
// block (one bit) and its length (low 24 bits). For a line too long for 24
// bits the field holds LongLength, and the length is in the list's table of
// long lines, under the reference's offset and block.
namespace {

constexpr int LengthBits = LineList::RefLengthBits;
constexpr int OffsetShift = LengthBits + 1;
constexpr std::uint64_t LongLength = (std::uint64_t {1} << LengthBits) - 1;
constexpr std::uint64_t BlockBit = std::uint64_t {1} << LengthBits;

std::uint64_t makeRef(qsizetype offset, std::uint64_t lengthField)
{
    return (std::uint64_t(offset) << OffsetShift) | lengthField;
}

// The key of a reference in the table of long lines: its offset and block.
std::uint64_t longKey(std::uint64_t ref)
{
    return ref >> LengthBits;
}

// Uninitialised: pages reserved for a load cost nothing until written.
char16_t *allocateUnits(qsizetype count)
{
    if (void *block = platform::allocateLarge(size_t(count) * sizeof(char16_t)))
        return static_cast<char16_t *>(block);
    throw std::bad_alloc();
}

std::uint64_t nextListId()
{
    static std::atomic<std::uint64_t> counter {0};
    return ++counter;
}

} // namespace

LineList::LineList()
    : LineList(platform::userCollationLocale())
{
}

LineList::LineList(QByteArray collationLocale)
    : m_d(std::make_shared<Data>())
    , m_id(nextListId())
    , m_locale(std::move(collationLocale))
    , m_collation(Collation::forLocale(m_locale, Matching {}))
{
}

LineList::LineList(const LineList &other)
    : m_d(other.m_d)
    , m_prefixes(other.m_prefixes)
    , m_prefixCollation(other.m_prefixCollation)
    , m_keyOrder(other.m_keyOrder)
    , m_id(nextListId())
    , m_locale(other.m_locale)
    , m_collation(other.m_collation)
    , m_sorted(other.m_sorted)
    , m_matching(other.m_matching)
    , m_key(other.m_key)
    , m_header(other.m_header)
{
}

LineList::LineList(LineList &&other) noexcept
    : m_d(std::exchange(other.m_d, std::make_shared<Data>()))
    , m_prefixes(std::exchange(other.m_prefixes, nullptr))
    , m_prefixCollation(std::exchange(other.m_prefixCollation, nullptr))
    , m_keyOrder(std::exchange(other.m_keyOrder, nullptr))
    , m_id(std::exchange(other.m_id, nextListId()))
    // Copied: the emptied list keeps its collation.
    , m_locale(other.m_locale) // NOLINT(performance-move-constructor-init)
    , m_collation(other.m_collation)
    , m_sorted(std::exchange(other.m_sorted, false))
    , m_matching(other.m_matching)
    , m_key(other.m_key)
    , m_header(other.m_header)
{
}

LineList &LineList::operator=(const LineList &other)
{
    if (this != &other) {
        m_d = other.m_d;
        m_prefixes = other.m_prefixes;
        m_prefixCollation = other.m_prefixCollation;
        m_keyOrder = other.m_keyOrder;
        m_id = nextListId();
        m_locale = other.m_locale;
        m_collation = other.m_collation;
        m_sorted = other.m_sorted;
        m_matching = other.m_matching;
        m_key = other.m_key;
        m_header = other.m_header;
    }
    return *this;
}

LineList &LineList::operator=(LineList &&other) noexcept
{
    if (this != &other) {
        m_d = std::exchange(other.m_d, std::make_shared<Data>());
        m_prefixes = std::exchange(other.m_prefixes, nullptr);
        m_prefixCollation = std::exchange(other.m_prefixCollation, nullptr);
        m_keyOrder = std::exchange(other.m_keyOrder, nullptr);
        m_id = std::exchange(other.m_id, nextListId());
        m_locale = other.m_locale;
        m_collation = other.m_collation;
        m_sorted = std::exchange(other.m_sorted, false);
        m_matching = other.m_matching;
        m_key = other.m_key;
        m_header = other.m_header;
    }
    return *this;
}

LineList::~LineList() = default;

QStringView LineList::longLineIn(const Data &d, std::uint64_t ref)
{
    const auto found
        = std::lower_bound(d.longLines.begin(), d.longLines.end(), longKey(ref),
                           [](const LongLine &line, std::uint64_t key) { return line.key < key; });
    const TextBlock &block = *d.blocks[(ref & BlockBit) ? 1 : 0];
    return QStringView(block.units.get() + qsizetype(ref >> OffsetShift), found->length);
}

LineList LineList::subset(const LineList &source, const std::vector<std::uint32_t> &indexes)
{
    LineList result(source.m_locale);
    result.setMatching(source.m_matching);
    Data &d = *result.m_d;
    d.blocks[0] = source.m_d->blocks[0];
    d.blocks[1] = source.m_d->blocks[1];
    d.longLines = source.m_d->longLines;
    d.refs.reserve(indexes.size());
    for (const std::uint32_t index : indexes)
        d.refs.push_back(source.m_d->refs[index]);
    return result;
}

LineList
LineList::merged(const LineList &first, const LineList &second, const std::vector<std::uint32_t> &picks)
{
    LineList result(first.m_locale);
    result.setMatching(first.m_matching);
    if (first.m_d->blocks[1] || second.m_d->blocks[1]) {
        // Already made of two blocks each: copy the text.
        for (const std::uint32_t pick : picks)
            result.append((pick & FromSecond) ? second.at(pick & ~FromSecond) : first.at(pick));
        return result;
    }
    Data &d = *result.m_d;
    d.blocks[0] = first.m_d->blocks[0];
    d.blocks[1] = second.m_d->blocks[0];
    d.longLines = first.m_d->longLines;
    for (LongLine line : second.m_d->longLines) {
        line.key |= longKey(BlockBit);
        d.longLines.push_back(line);
    }
    std::sort(d.longLines.begin(), d.longLines.end(),
              [](const LongLine &a, const LongLine &b) { return a.key < b.key; });
    d.refs.reserve(picks.size());
    for (size_t k = 0; k < picks.size(); ++k) {
#if defined(__GNUC__)
        // Picks come in collation order, references in the lists' own order.
        if (k + 32 < picks.size()) {
            const std::uint32_t ahead = picks[k + 32];
            __builtin_prefetch((ahead & FromSecond) ? &second.m_d->refs[ahead & ~FromSecond]
                                                    : &first.m_d->refs[ahead]);
        }
#endif
        const std::uint32_t pick = picks[k];
        if (pick & FromSecond)
            d.refs.push_back(second.m_d->refs[pick & ~FromSecond] | BlockBit);
        else
            d.refs.push_back(first.m_d->refs[pick]);
    }
    return result;
}

void LineList::detach()
{
    if (m_d.use_count() > 1)
        m_d = std::make_shared<Data>(*m_d);
}

void LineList::prepareAppend(qsizetype more)
{
    detach();
    Data &d = *m_d;
    TextBlock *block = d.blocks[0].get();
    const bool own = block && block->appender == m_id && !d.blocks[1];
    if (own && block->capacity - block->size >= more)
        return;

    if (own) {
        const qsizetype capacity = std::max(block->size + more, block->capacity + block->capacity / 2 + 1024);
        if (d.blocks[0].use_count() == 1) {
            // No one else reads this block: it may move.
            char16_t *const units = block->units.release();
            void *grown = platform::reallocateLarge(units, size_t(capacity) * sizeof(char16_t));
            // A growth that failed leaves the block where it was, lines and all.
            block->units.reset(static_cast<char16_t *>(grown ? grown : units));
            if (!grown)
                throw std::bad_alloc();
            block->capacity = capacity;
            return;
        }
        auto grown = std::make_shared<TextBlock>();
        grown->appender = m_id;
        grown->units.reset(allocateUnits(capacity));
        std::copy_n(block->units.get(), block->size, grown->units.get());
        grown->size = block->size;
        grown->capacity = capacity;
        d.blocks[0] = std::move(grown);
        return;
    }

    auto fresh = std::make_shared<TextBlock>();
    fresh->appender = m_id;

    // Text shared with a list that may append to it, or spread over two
    // blocks: copy this list's lines into a block of its own.
    qsizetype needed = more;
    for (qsizetype i = 0; i < count(); ++i)
        needed += at(i).size();
    fresh->capacity = std::max<qsizetype>(needed, 16);
    fresh->units.reset(allocateUnits(fresh->capacity));
    const Data old {
        {std::move(d.blocks[0]), std::move(d.blocks[1])}, std::move(d.refs), std::move(d.longLines)};
    d.blocks[0] = std::move(fresh);
    d.blocks[1].reset();
    d.refs.clear();
    d.longLines.clear();
    d.refs.reserve(old.refs.size());
    for (const std::uint64_t ref : old.refs)
        d.refs.push_back(storeText(lineIn(old, ref)));
}

void LineList::reserveText(qsizetype units)
{
    prepareAppend(units);
}

std::uint64_t LineList::storeText(QStringView line)
{
    const qsizetype length = line.size();
    TextBlock *block = m_d->blocks[0].get();
    if (!block || block->appender != m_id || m_d->blocks[1] || block->capacity - block->size < length) {
        prepareAppend(length);
        block = m_d->blocks[0].get();
    }
    const qsizetype offset = block->size;
    std::copy_n(line.utf16(), length, block->units.get() + offset);
    block->size += length;
    return refTo(offset, length);
}

std::uint64_t LineList::refTo(qsizetype offset, qsizetype length)
{
    if (std::uint64_t(length) < LongLength)
        return makeRef(offset, std::uint64_t(length));
    const std::uint64_t ref = makeRef(offset, LongLength);
    auto &table = m_d->longLines;
    const auto at = std::upper_bound(table.begin(), table.end(), longKey(ref),
                                     [](std::uint64_t key, const LongLine &line) { return key < line.key; });
    table.insert(at, LongLine {longKey(ref), length});
    return ref;
}

char16_t *LineList::textRoom(qsizetype units)
{
    detach();
    TextBlock *block = m_d->blocks[0].get();
    if (!block || block->appender != m_id || m_d->blocks[1] || block->capacity - block->size < units)
        prepareAppend(units);
    return m_d->blocks[0]->units.get() + m_d->blocks[0]->size;
}

qsizetype LineList::commitText(qsizetype units)
{
    TextBlock &block = *m_d->blocks[0];
    const qsizetype start = block.size;
    block.size += units;
    return start;
}

const char16_t *LineList::textData() const
{
    return m_d->blocks[0] ? m_d->blocks[0]->units.get() : nullptr;
}

void LineList::appendStored(qsizetype offset, qsizetype length)
{
    dropPrefixes();
    const std::uint64_t ref = refTo(offset, length);
    m_d->refs.push_back(ref);
}

void LineList::append(QStringView line)
{
    dropPrefixes();
    detach();
    const std::uint64_t ref = storeText(line);
    m_d->refs.push_back(ref);
}

qsizetype LineList::add(QStringView line)
{
    if (!m_sorted) {
        append(line);
        return count() - 1;
    }
    if (byKey()) {
        // Its place by key: appended, then sorted again (stable, so it goes
        // after the lines of its key).
        append(line);
        sortAll();
        return -2;
    }
    const auto [position, found] = lowerBound(line);
    if (found)
        return -1;
    dropPrefixes();
    detach();
    const std::uint64_t ref = storeText(line);
    m_d->refs.insert(size_t(position), ref);
    return position;
}

void LineList::clear()
{
    dropPrefixes();
    m_d = std::make_shared<Data>();
}

void LineList::restartText(qsizetype offset)
{
    dropPrefixes();
    TextBlock *block = m_d->blocks[0].get();
    if (!block) {
        clear();
        return;
    }
    if (m_d.use_count() == 1 && block->appender == m_id && !m_d->blocks[1]
        && m_d->blocks[0].use_count() == 1) {
        // No one else reads the block: the rest moves down in place.
        m_d->refs.clear();
        m_d->longLines.clear();
        std::copy(block->units.get() + offset, block->units.get() + block->size, block->units.get());
        block->size -= offset;
        return;
    }
    // A copy still reads the old lines (a chunk being sorted): the rest
    // goes to a block of the same room, the old one stays with the copy.
    const std::shared_ptr<Data> old = std::move(m_d);
    const QStringView rest(block->units.get() + offset, block->size - offset);
    m_d = std::make_shared<Data>();
    char16_t *room = textRoom(std::max(block->capacity, rest.size()));
    std::copy_n(rest.utf16(), rest.size(), room);
    commitText(rest.size());
}

void LineList::keepOnly(const std::vector<bool> &keep)
{
    dropPrefixes();
    detach();
    PodVector<std::uint64_t> &refs = m_d->refs;
    size_t out = 0;
    for (size_t i = 0; i < refs.size(); ++i) {
        if (keep[i])
            refs[out++] = refs[i];
    }
    refs.truncate(out);
}

void LineList::truncate(qsizetype count)
{
    if (count >= this->count())
        return;
    dropPrefixes();
    detach();
    m_d->refs.truncate(size_t(std::max<qsizetype>(count, 0)));
}

void LineList::removeDuplicates(Matching matching)
{
    if (byKey()) {
        if (matching != m_matching) {
            m_matching = matching;
            m_collation = Collation::forLocale(m_locale, matching);
        }
        sortByKey(true);
        m_sorted = true;
        return;
    }
    if (m_sorted && m_matching == matching) {
        // Already in order under this comparison, so equal lines stand together:
        // one pass keeps the first of each run, without a sort.
        // Each line is judged by its neighbour alone, so the two halves run apart.
        const qsizetype n = count();
        const std::shared_ptr<const KeyPrefixes> prefixes = m_prefixes;
        const KeyPrefix *const prefix = keyPrefixes(*m_collation);
        std::vector<std::uint8_t> repeats(size_t(n), 0);
        inTwoHalves(size_t(n), [&](int, size_t from, size_t to) {
            // Each line's key is made once, if at all: it serves as the next line's neighbour.
            const size_t start = std::max<size_t>(from, 1);
            if (start >= to)
                return;
            Collation::KeyedLine previous(at(qsizetype(start) - 1));
            Collation::KeyedLine current;
            for (size_t i = start; i < to; ++i) {
                current.setLine(at(qsizetype(i)));
                if (prefix && prefix[i - 1] != prefix[i])
                    repeats[i] = false;
                else if (prefix && prefix[i].complete())
                    repeats[i] = true;
                else
                    repeats[i] = m_collation->equal(previous, current);
                std::swap(previous, current);
            }
        });
        std::vector<bool> keep(static_cast<size_t>(n));
        for (qsizetype i = 0; i < n; ++i)
            keep[size_t(i)] = !repeats[size_t(i)];
        keepOnly(keep);
        if (prefix) {
            KeyPrefixes kept;
            kept.resizeForOverwrite(size_t(count()));
            size_t out = 0;
            for (size_t i = 0; i < size_t(n); ++i) {
                if (keep[i])
                    kept[out++] = prefix[i];
            }
            keepPrefixes(std::move(kept));
        }
        return;
    }
    // Sorted under the new comparison right away, so no sort under the old one first.
    std::shared_ptr<const Collation> collation = Collation::forLocale(m_locale, matching);
    // The order goes before the text is copied, as in sortAll().
    KeyPrefixes prefixes;
    permuteReferences(distinctSortedOrder(*this, *collation, prefixes));
    layOutInOrder();
    m_collation = std::move(collation);
    keepPrefixes(std::move(prefixes));
    m_matching = matching;
    m_sorted = true;
}

void LineList::permuteReferences(const LineOrder &order)
{
    dropPrefixes();
    detach();
    PodVector<std::uint64_t> sortedRefs;
    sortedRefs.resizeForOverwrite(order.size());
    const PodVector<std::uint64_t> &refs = m_d->refs;
    // The order jumps about the references, so waiting on memory dominates;
    // two threads keep twice as many reads in flight.
    inTwoHalves(order.size(), [&](int, size_t begin, size_t end) {
        constexpr size_t Ahead = 16;
        for (size_t k = begin; k < end; ++k) {
#if defined(__GNUC__)
            if (k + Ahead < end)
                __builtin_prefetch(&refs[order[k + Ahead]]);
#endif
            sortedRefs[k] = refs[order[k]];
        }
    });
    m_d->refs = std::move(sortedRefs);
}

void LineList::permute(const LineOrder &order)
{
    permuteReferences(order);
    layOutInOrder();
}

void LineList::layOutInOrder()
{
    detach();
    Data &d = *m_d;
    PodVector<std::uint64_t> &refs = d.refs;
    const size_t n = refs.size();

    // Where the second half starts in the new block, and how many long lines
    // each half has, so that nothing can fail once references change.
    qsizetype halfLength[2] = {0, 0};
    size_t longCount[2] = {0, 0};
    inTwoHalves(n, [&](int part, size_t begin, size_t end) {
        qsizetype sum = 0;
        size_t longOnes = 0;
        for (size_t i = begin; i < end; ++i) {
            const qsizetype length = lineIn(d, refs[i]).size();
            sum += length;
            if (std::uint64_t(length) >= LongLength)
                ++longOnes;
        }
        halfLength[part] = sum;
        longCount[part] = longOnes;
    });
    const qsizetype total = halfLength[0] + halfLength[1];
    auto fresh = std::make_shared<TextBlock>();
    fresh->appender = m_id;
    fresh->capacity = std::max<qsizetype>(total, 16);
    fresh->units.reset(allocateUnits(fresh->capacity));
    fresh->size = total;
    std::vector<LongLine> longLines[2];
    longLines[0].reserve(longCount[0] + longCount[1]);
    longLines[1].reserve(longCount[1]);

    // Each reference is rewritten once its line is copied; lines ahead are
    // still read through the old blocks and table, which stay as they are.
    char16_t *const units = fresh->units.get();
    // The copy waits on memory for nearly every line: two threads keep
    // twice as many reads in flight.
    inTwoHalves(n, [&](int part, size_t begin, size_t end) {
        qsizetype offset = part == 0 ? 0 : halfLength[0];
        std::vector<LongLine> &table = longLines[part];
        constexpr size_t Ahead = 16;
        for (size_t i = begin; i < end; ++i) {
#if defined(__GNUC__)
            if (i + Ahead < end) {
                const QStringView ahead = lineIn(d, refs[i + Ahead]);
                __builtin_prefetch(ahead.utf16());
                __builtin_prefetch(ahead.utf16() + ahead.size());
            }
#endif
            const QStringView line = lineIn(d, refs[i]);
            const qsizetype length = line.size();
            std::copy_n(line.utf16(), length, units + offset);
            if (std::uint64_t(length) < LongLength) {
                refs[i] = makeRef(offset, std::uint64_t(length));
            } else {
                refs[i] = makeRef(offset, LongLength);
                table.push_back(LongLine {longKey(refs[i]), length});
            }
            offset += length;
        }
    });
    // Offsets grow along the list, so the table stays in key order.
    longLines[0].insert(longLines[0].end(), longLines[1].begin(), longLines[1].end());
    d.longLines = std::move(longLines[0]);
    d.blocks[0] = std::move(fresh);
    d.blocks[1].reset();
}

void LineList::sortAll()
{
    if (byKey()) {
        sortByKey(false);
        return;
    }
    if (count() <= 1)
        return;
    // The order goes before the text is copied: the two are the peaks of memory.
    KeyPrefixes prefixes;
    permuteReferences(stableSortedOrder(*this, *m_collation, prefixes));
    layOutInOrder();
    keepPrefixes(std::move(prefixes));
}

LineList LineList::keysOf(const LineKey &key, qsizetype from, std::vector<std::uint32_t> &owners) const
{
    LineList keys(m_locale);
    keys.setMatching(m_matching);
    owners.clear();
    const size_t first = size_t(std::clamp<qsizetype>(from, 0, count()));
    const size_t n = size_t(count());
    // Each key as a reference into this list's text, when it lies in its
    // line and is short enough for one; else (an unquoted field) copied.
    constexpr std::uint64_t NoKey = ~std::uint64_t {0};
    constexpr std::uint64_t Copied = NoKey - 1;
    PodVector<std::uint64_t> refs;
    refs.resizeForOverwrite(n - first);
    std::atomic<bool> copies {false};
    inTwoHalves(n - first, [&](int, size_t begin, size_t end) {
        QString scratch;
        for (size_t k = begin; k < end; ++k) {
            const std::uint64_t ref = m_d->refs[first + k];
            const QStringView line = lineIn(*m_d, ref);
            const std::optional<QStringView> found = key.keyOf(line, scratch);
            if (!found) {
                refs[k] = NoKey;
                continue;
            }
            const qsizetype start = found->isEmpty() ? 0 : found->utf16() - line.utf16();
            if (start < 0 || start + found->size() > line.size()
                || std::uint64_t(found->size()) >= LongLength) {
                refs[k] = Copied;
                copies.store(true, std::memory_order_relaxed);
                continue;
            }
            refs[k] = makeRef(qsizetype(ref >> OffsetShift) + start, std::uint64_t(found->size()))
                | (ref & BlockBit);
        }
    });
    if (copies.load()) {
        QString scratch;
        for (size_t k = 0; k < refs.size(); ++k) {
            if (refs[k] == NoKey)
                continue;
            keys.append(*key.keyOf(at(qsizetype(first) + qsizetype(k)), scratch));
            owners.push_back(std::uint32_t(first + k));
        }
    } else {
        Data &d = *keys.m_d;
        d.blocks[0] = m_d->blocks[0];
        d.blocks[1] = m_d->blocks[1];
        d.refs.reserve(refs.size());
        owners.reserve(refs.size());
        for (size_t k = 0; k < refs.size(); ++k) {
            if (refs[k] == NoKey)
                continue;
            d.refs.push_back(refs[k]);
            owners.push_back(std::uint32_t(first + k));
        }
    }
    if (m_keyOrder && m_keyOrder->key == key && m_keyOrder->from == from) {
        keys.m_sorted = true;
        if (m_keyOrder->prefixes) {
            keys.m_prefixes = m_keyOrder->prefixes;
            keys.m_prefixCollation = keys.m_collation.get();
        }
    }
    return keys;
}

void LineList::sortByKey(bool distinct)
{
    const qsizetype from = m_header ? std::min<qsizetype>(1, count()) : 0;
    std::vector<std::uint32_t> owners;
    const LineList keys = keysOf(m_key, from, owners);
    KeyPrefixes prefixes;
    const LineOrder keyOrder = distinct ? distinctSortedOrder(keys, *m_collation, prefixes)
                                        : stableSortedOrder(keys, *m_collation, prefixes);
    LineOrder order;
    order.resizeForOverwrite(size_t(count()));
    size_t out = 0;
    for (qsizetype i = 0; i < from; ++i)
        order[out++] = std::uint32_t(i);
    std::vector<bool> keyed(size_t(count()), false);
    for (const std::uint32_t owner : owners)
        keyed[owner] = true;
    for (const std::uint32_t k : keyOrder)
        order[out++] = owners[k];
    for (qsizetype i = from; i < count(); ++i) {
        if (!keyed[size_t(i)])
            order[out++] = std::uint32_t(i);
    }
    order.truncate(out);
    permute(order);
    m_keyOrder = std::make_shared<const KeyOrder>(
        KeyOrder {m_key, from, std::make_shared<const KeyPrefixes>(std::move(prefixes))});
}

void LineList::setKey(const LineKey &key, bool header)
{
    if (key == m_key && header == m_header)
        return;
    m_key = key;
    m_header = header;
    dropPrefixes();
    if (m_sorted)
        sortAll();
}

void LineList::keepPrefixes(KeyPrefixes &&prefixes)
{
    m_prefixes = std::make_shared<const KeyPrefixes>(std::move(prefixes));
    m_prefixCollation = m_collation.get();
}

void LineList::setSorted(bool on)
{
    if (on == m_sorted)
        return;
    if (on)
        sortAll();
    m_sorted = on;
}

void LineList::setMatching(Matching matching)
{
    if (matching == m_matching)
        return;
    m_matching = matching;
    dropPrefixes();
    m_collation = Collation::forLocale(m_locale, matching);
    if (m_sorted)
        sortAll();
}

std::pair<qsizetype, bool> LineList::lowerBound(QStringView line) const
{
    qsizetype low = 0;
    qsizetype high = count();
    Collation::KeyedLine sought(line);
    Collation::KeyedLine probe;
    while (low < high) {
        const qsizetype mid = low + (high - low) / 2;
        probe.setLine(at(mid));
        if (m_collation->compare(probe, sought) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    if (low == count())
        return {low, false};
    probe.setLine(at(low));
    return {low, m_collation->equal(probe, sought)};
}

qsizetype LineList::indexOf(QStringView line) const
{
    // Sorted by key, the lines are not in their own order.
    if (m_sorted && !byKey()) {
        const auto [position, found] = lowerBound(line);
        return found ? position : -1;
    }
    // Equal under collation, not of equal length: decomposed and precomposed
    // spellings differ in length and still match.
    const Collation &collation = *m_collation;
    Collation::KeyedLine sought(line);
    Collation::KeyedLine probe;
    for (qsizetype i = 0; i < count(); ++i) {
        probe.setLine(at(i));
        if (collation.equal(probe, sought))
            return i;
    }
    return -1;
}
