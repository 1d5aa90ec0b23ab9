#include "lists/linelist.h"

#include "lists/linesort.h"
#include "platform/systemlocale.h"

#include <algorithm>
#include <cstring>
#include <limits>

// A reference packs the line's offset in the text buffer (high 40 bits) and its
// length (low 24 bits). A line too long for 24 bits carries its length in the
// four code units just before its text, and the field holds LongLength.
namespace {

constexpr int LengthBits = 24;
constexpr std::uint64_t LongLength = (std::uint64_t{1} << LengthBits) - 1;
constexpr qsizetype LongHeaderUnits = 4;

std::uint64_t makeRef(qsizetype offset, std::uint64_t lengthField)
{
    return (std::uint64_t(offset) << LengthBits) | lengthField;
}

} // namespace

LineList::LineList()
    : LineList(platform::userCollationLocale())
{
}

LineList::LineList(QByteArray collationLocale)
    : m_d(std::make_shared<Data>())
    , m_locale(std::move(collationLocale))
    , m_collation(Collation::forLocale(m_locale, false))
{
}

QStringView LineList::at(qsizetype index) const
{
    const std::uint64_t ref = m_d->refs[size_t(index)];
    const qsizetype offset = qsizetype(ref >> LengthBits);
    qsizetype length = qsizetype(ref & LongLength);
    const char16_t *text = m_d->text.get() + offset;
    if (std::uint64_t(length) == LongLength) {
        std::uint64_t stored = 0;
        std::memcpy(&stored, text - LongHeaderUnits, sizeof stored);
        length = qsizetype(stored);
    }
    return QStringView(text, length);
}

void LineList::detach()
{
    if (m_d.use_count() == 1)
        return;
    auto copy = std::make_shared<Data>();
    copy->textCapacity = m_d->textSize;
    copy->textSize = m_d->textSize;
    copy->text.reset(new char16_t[size_t(std::max<qsizetype>(copy->textCapacity, 1))]);
    std::copy_n(m_d->text.get(), m_d->textSize, copy->text.get());
    copy->refs = m_d->refs;
    m_d = std::move(copy);
}

void LineList::ensureTextCapacity(qsizetype more)
{
    Data &d = *m_d;
    if (d.textCapacity - d.textSize >= more)
        return;
    const qsizetype needed = d.textSize + more;
    const qsizetype capacity = std::max(needed, d.textCapacity + d.textCapacity / 2 + 1024);
    // Not value-initialised: pages reserved for a load cost nothing until written.
    std::unique_ptr<char16_t[]> grown(new char16_t[size_t(capacity)]);
    if (d.textSize)
        std::copy_n(d.text.get(), d.textSize, grown.get());
    d.text = std::move(grown);
    d.textCapacity = capacity;
}

void LineList::reserveText(qsizetype units)
{
    detach();
    ensureTextCapacity(units + LongHeaderUnits);
}

std::uint64_t LineList::storeText(QStringView line)
{
    const qsizetype length = line.size();
    const bool isLong = std::uint64_t(length) >= LongLength;
    ensureTextCapacity(length + (isLong ? LongHeaderUnits : 0));
    Data &d = *m_d;
    if (isLong) {
        const std::uint64_t stored = std::uint64_t(length);
        std::memcpy(d.text.get() + d.textSize, &stored, sizeof stored);
        d.textSize += LongHeaderUnits;
    }
    const qsizetype offset = d.textSize;
    std::copy_n(line.utf16(), length, d.text.get() + offset);
    d.textSize += length;
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
    if (m_d.use_count() == 1) {
        m_d->refs.clear();
        m_d->refs.shrink_to_fit();
        m_d->text.reset();
        m_d->textSize = 0;
        m_d->textCapacity = 0;
    } else {
        m_d = std::make_shared<Data>();
    }
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
