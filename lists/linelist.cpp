#include "lists/linelist.h"

#include "lists/linesort.h"
#include "platform/systemlocale.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <utility>

// A reference packs the line's offset in its text block (high 39 bits), the
// block (one bit) and its length (low 24 bits). A line too long for 24 bits
// carries its length in the four code units just before its text, and the
// field holds LongLength.
namespace {

constexpr int LengthBits = 24;
constexpr int OffsetShift = LengthBits + 1;
constexpr std::uint64_t LongLength = (std::uint64_t {1} << LengthBits) - 1;
constexpr std::uint64_t BlockBit = std::uint64_t {1} << LengthBits;
constexpr qsizetype LongHeaderUnits = 4;

std::uint64_t makeRef(qsizetype offset, std::uint64_t lengthField)
{
    return (std::uint64_t(offset) << OffsetShift) | lengthField;
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
    , m_collation(Collation::forLocale(m_locale, false))
{
}

LineList::LineList(const LineList &other)
    : m_d(other.m_d)
    , m_id(nextListId())
    , m_locale(other.m_locale)
    , m_collation(other.m_collation)
    , m_sorted(other.m_sorted)
    , m_caseSensitive(other.m_caseSensitive)
{
}

LineList::LineList(LineList &&other) noexcept
    : m_d(std::exchange(other.m_d, std::make_shared<Data>()))
    , m_id(std::exchange(other.m_id, nextListId()))
    , m_locale(other.m_locale)
    , m_collation(other.m_collation)
    , m_sorted(std::exchange(other.m_sorted, false))
    , m_caseSensitive(other.m_caseSensitive)
{
}

LineList &LineList::operator=(const LineList &other)
{
    if (this != &other) {
        m_d = other.m_d;
        m_id = nextListId();
        m_locale = other.m_locale;
        m_collation = other.m_collation;
        m_sorted = other.m_sorted;
        m_caseSensitive = other.m_caseSensitive;
    }
    return *this;
}

LineList &LineList::operator=(LineList &&other) noexcept
{
    if (this != &other) {
        m_d = std::exchange(other.m_d, std::make_shared<Data>());
        m_id = std::exchange(other.m_id, nextListId());
        m_locale = other.m_locale;
        m_collation = other.m_collation;
        m_sorted = std::exchange(other.m_sorted, false);
        m_caseSensitive = other.m_caseSensitive;
    }
    return *this;
}

LineList::~LineList() = default;

QStringView LineList::lineIn(const Data &d, std::uint64_t ref)
{
    const TextBlock &block = *d.blocks[(ref & BlockBit) ? 1 : 0];
    const char16_t *text = block.units.get() + qsizetype(ref >> OffsetShift);
    qsizetype length = qsizetype(ref & LongLength);
    if (std::uint64_t(length) == LongLength) {
        std::uint64_t stored = 0;
        std::memcpy(&stored, text - LongHeaderUnits, sizeof stored);
        length = qsizetype(stored);
    }
    return QStringView(text, length);
}

QStringView LineList::at(qsizetype index) const
{
    return lineIn(*m_d, m_d->refs[size_t(index)]);
}

LineList LineList::subset(const LineList &source, const std::vector<std::uint32_t> &indexes)
{
    LineList result(source.m_locale);
    result.setCaseSensitive(source.m_caseSensitive);
    Data &d = *result.m_d;
    d.blocks[0] = source.m_d->blocks[0];
    d.blocks[1] = source.m_d->blocks[1];
    d.refs.reserve(indexes.size());
    for (const std::uint32_t index : indexes)
        d.refs.push_back(source.m_d->refs[index]);
    return result;
}

LineList
LineList::merged(const LineList &first, const LineList &second, const std::vector<std::uint32_t> &picks)
{
    LineList result(first.m_locale);
    result.setCaseSensitive(first.m_caseSensitive);
    if (first.m_d->blocks[1] || second.m_d->blocks[1]) {
        // Already made of two blocks each: copy the text.
        for (const std::uint32_t pick : picks)
            result.append((pick & FromSecond) ? second.at(pick & ~FromSecond) : first.at(pick));
        return result;
    }
    Data &d = *result.m_d;
    d.blocks[0] = first.m_d->blocks[0];
    d.blocks[1] = second.m_d->blocks[0];
    d.refs.reserve(picks.size());
    for (const std::uint32_t pick : picks) {
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

    auto fresh = std::make_shared<TextBlock>();
    fresh->appender = m_id;
    if (own) {
        fresh->capacity = std::max(block->size + more, block->capacity + block->capacity / 2 + 1024);
        // Not value-initialised: pages reserved for a load cost nothing until written.
        fresh->units.reset(new char16_t[size_t(fresh->capacity)]);
        std::copy_n(block->units.get(), block->size, fresh->units.get());
        fresh->size = block->size;
        d.blocks[0] = std::move(fresh);
        return;
    }

    // Text shared with a list that may append to it, or spread over two
    // blocks: copy this list's lines into a block of its own.
    qsizetype needed = more;
    for (qsizetype i = 0; i < count(); ++i) {
        const qsizetype length = at(i).size();
        needed += length + (std::uint64_t(length) >= LongLength ? LongHeaderUnits : 0);
    }
    fresh->capacity = std::max<qsizetype>(needed, 16);
    fresh->units.reset(new char16_t[size_t(fresh->capacity)]);
    const Data old {{std::move(d.blocks[0]), std::move(d.blocks[1])}, std::move(d.refs)};
    d.blocks[0] = std::move(fresh);
    d.blocks[1].reset();
    d.refs.clear();
    d.refs.reserve(old.refs.size());
    for (const std::uint64_t ref : old.refs)
        d.refs.push_back(storeText(lineIn(old, ref)));
}

void LineList::reserveText(qsizetype units)
{
    prepareAppend(units + LongHeaderUnits);
}

std::uint64_t LineList::storeText(QStringView line)
{
    const qsizetype length = line.size();
    const bool isLong = std::uint64_t(length) >= LongLength;
    const qsizetype units = length + (isLong ? LongHeaderUnits : 0);
    TextBlock *block = m_d->blocks[0].get();
    if (!block || block->appender != m_id || m_d->blocks[1] || block->capacity - block->size < units) {
        prepareAppend(units);
        block = m_d->blocks[0].get();
    }
    if (isLong) {
        const std::uint64_t stored = std::uint64_t(length);
        std::memcpy(block->units.get() + block->size, &stored, sizeof stored);
        block->size += LongHeaderUnits;
    }
    const qsizetype offset = block->size;
    std::copy_n(line.utf16(), length, block->units.get() + offset);
    block->size += length;
    return makeRef(offset, isLong ? LongLength : std::uint64_t(length));
}

void LineList::append(QStringView line)
{
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
    const auto [position, found] = lowerBound(line);
    if (found)
        return -1;
    detach();
    const std::uint64_t ref = storeText(line);
    m_d->refs.insert(m_d->refs.begin() + position, ref);
    return position;
}

void LineList::clear()
{
    m_d = std::make_shared<Data>();
}

void LineList::keepOnly(const std::vector<bool> &keep)
{
    detach();
    std::vector<std::uint64_t> &refs = m_d->refs;
    size_t out = 0;
    for (size_t i = 0; i < refs.size(); ++i) {
        if (keep[i])
            refs[out++] = refs[i];
    }
    refs.resize(out);
}

void LineList::permute(const std::vector<std::uint32_t> &order)
{
    detach();
    std::vector<std::uint64_t> sortedRefs;
    sortedRefs.reserve(order.size());
    for (const std::uint32_t index : order)
        sortedRefs.push_back(m_d->refs[index]);
    m_d->refs = std::move(sortedRefs);
}

void LineList::sortAll()
{
    if (count() > 1)
        permute(sortedOrder(*this, *m_collation));
}

void LineList::setSorted(bool on)
{
    if (on == m_sorted)
        return;
    if (on)
        sortAll();
    m_sorted = on;
}

void LineList::setCaseSensitive(bool on)
{
    if (on == m_caseSensitive)
        return;
    m_caseSensitive = on;
    m_collation = Collation::forLocale(m_locale, on);
    if (m_sorted)
        sortAll();
}

std::pair<qsizetype, bool> LineList::lowerBound(QStringView line) const
{
    qsizetype low = 0;
    qsizetype high = count();
    while (low < high) {
        const qsizetype mid = low + (high - low) / 2;
        if (m_collation->compare(at(mid), line) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return {low, low < count() && m_collation->equal(at(low), line)};
}

qsizetype LineList::indexOf(QStringView line) const
{
    if (m_sorted) {
        const auto [position, found] = lowerBound(line);
        return found ? position : -1;
    }
    // Equal under collation, not of equal length: decomposed and precomposed
    // spellings differ in length and still match.
    const Collation &collation = *m_collation;
    for (qsizetype i = 0; i < count(); ++i) {
        if (collation.equal(at(i), line))
            return i;
    }
    return -1;
}
