#include "lists/collation.h"

#include "platform/apperror.h"
#include "platform/languagetable.h"
#include "platform/systemlocale.h"

#include <unicode/ucol.h>
#include <unicode/uiter.h>

#include <QMutex>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <new>

namespace {

const UChar *icuText(QStringView text)
{
    return reinterpret_cast<const UChar *>(text.utf16());
}

int32_t icuLength(QStringView text)
{
    // ICU takes 32-bit lengths, and a negative one as "up to a zero unit":
    // a line of over 2^31 units is compared by its first 2^31 - 1.
    return int32_t(std::min<qsizetype>(text.size(), std::numeric_limits<int32_t>::max()));
}

} // namespace

QString matchingWords(const Matching &matching)
{
    QStringList ignored;
    if (!matching.caseSensitive)
        ignored << TranslateText(QStringLiteral("case"));
    if (matching.ignoreAccents)
        ignored << TranslateText(QStringLiteral("accents"));
    if (matching.ignorePunctuation)
        ignored << TranslateText(QStringLiteral("punctuation and spaces"));
    if (ignored.isEmpty())
        return TranslateText(QStringLiteral("case sensitive"));
    return TranslateText(QStringLiteral("ignore %1")).arg(ignored.join(QStringLiteral(", ")));
}

QString describeMatching(const Matching &matching)
{
    return TranslateText(QStringLiteral("Matching: %1")).arg(matchingWords(matching));
}

Collation::Collation(const QByteArray &locale, Matching matching)
    : m_locale(locale)
    , m_matching(matching)
{
    UErrorCode status = U_ZERO_ERROR;
    m_collator = ucol_open(locale.isEmpty() ? "root" : locale.constData(), &status);
    if (U_FAILURE(status))
        throw AppError(TranslateText(QStringLiteral("Cannot open the collation for locale \"%1\": %2"))
                           .arg(QString::fromLatin1(locale), QString::fromLatin1(u_errorName(status))));
    if (matching.ignoreAccents) {
        // Base letters only; case, when it counts, as a level of its own
        // between them and the accents, so that "é" = "e" but "E" != "e".
        ucol_setStrength(m_collator, UCOL_PRIMARY);
        if (matching.caseSensitive)
            ucol_setAttribute(m_collator, UCOL_CASE_LEVEL, UCOL_ON, &status);
    } else {
        ucol_setStrength(m_collator, matching.caseSensitive ? UCOL_TERTIARY : UCOL_SECONDARY);
    }
    // Shifted: the variable characters (up to ICU's default variable top,
    // spaces and punctuation; symbols stay) weigh only at the quaternary
    // level, which no strength used here compares.
    if (matching.ignorePunctuation)
        ucol_setAttribute(m_collator, UCOL_ALTERNATE_HANDLING, UCOL_SHIFTED, &status);
    // Decomposed and precomposed spellings must be equal whatever order the
    // marks come in; FCD input (nearly all text) pays only a quick check.
    ucol_setAttribute(m_collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    if (U_FAILURE(status)) {
        ucol_close(m_collator);
        throw AppError(TranslateText(QStringLiteral("Cannot set up the collation for locale \"%1\": %2"))
                           .arg(QString::fromLatin1(locale), QString::fromLatin1(u_errorName(status))));
    }
}

Collation::~Collation()
{
    ucol_close(m_collator);
}

std::shared_ptr<const Collation> Collation::forLocale(const QByteArray &locale, Matching matching)
{
    static QMutex mutex;
    static std::map<std::pair<QByteArray, Matching>, std::shared_ptr<const Collation>> cache;
    QMutexLocker lock(&mutex);
    auto &entry = cache[{locale, matching}];
    if (!entry)
        entry = std::make_shared<const Collation>(locale, matching);
    return entry;
}

std::shared_ptr<const Collation> Collation::forUser(Matching matching)
{
    return forLocale(platform::userCollationLocale(), matching);
}

int Collation::compare(QStringView a, QStringView b) const
{
    // The same units make the same key.
    if (a == b)
        return 0;
    if (!hasWholeKey(a) || !hasWholeKey(b))
        return compareByParts(a, b);
    KeyedLine keyedA(a);
    KeyedLine keyedB(b);
    return compare(keyedA, keyedB);
}

int Collation::compare(KeyedLine &a, KeyedLine &b) const
{
    if (a.m_line == b.m_line)
        return 0;
    if (!hasWholeKey(a.m_line) || !hasWholeKey(b.m_line))
        return compareByParts(a.m_line, b.m_line);
    makeKey(a);
    makeKey(b);
    const int common = std::min(a.m_keyLength, b.m_keyLength);
    const int order = std::memcmp(a.m_key.data(), b.m_key.data(), size_t(common));
    if (order != 0)
        return order;
    return a.m_keyLength < b.m_keyLength ? -1 : a.m_keyLength > b.m_keyLength ? 1 : 0;
}

void Collation::makeKey(KeyedLine &line) const
{
    if (line.m_keyLength >= 0)
        return;
    // Most keys of lines fit in this; the buffer stays for the next line.
    constexpr size_t Usual = 256;
    if (line.m_key.size() < Usual)
        line.m_key.resize(Usual);
    int length = sortKey(line.m_line, line.m_key.data(), int(line.m_key.size()));
    if (length >= int(line.m_key.size())) {
        line.m_key.resize(size_t(length) + 1);
        length = sortKey(line.m_line, line.m_key.data(), int(line.m_key.size()));
    }
    line.m_keyLength = length;
}

int Collation::compareByParts(QStringView a, QStringView b) const
{
    UCharIterator iterA;
    UCharIterator iterB;
    uiter_setString(&iterA, icuText(a), icuLength(a));
    uiter_setString(&iterB, icuText(b), icuLength(b));
    uint32_t stateA[2] = {0, 0};
    uint32_t stateB[2] = {0, 0};
    // Each part walks the line from its start again, so the parts grow: most
    // lines differ in the first, and equal long keys take few passes.
    constexpr size_t FirstPart = 256;
    constexpr size_t LargestPart = size_t {16} << 20;
    std::vector<std::uint8_t> partA(FirstPart);
    std::vector<std::uint8_t> partB(FirstPart);
    for (;;) {
        UErrorCode status = U_ZERO_ERROR;
        const int32_t size = int32_t(partA.size());
        const int32_t lengthA = ucol_nextSortKeyPart(m_collator, &iterA, stateA, partA.data(), size, &status);
        const int32_t lengthB = ucol_nextSortKeyPart(m_collator, &iterB, stateB, partB.data(), size, &status);
        if (U_FAILURE(status))
            throw std::bad_alloc();
        const int order = std::memcmp(partA.data(), partB.data(), size_t(std::min(lengthA, lengthB)));
        if (order != 0)
            return order;
        if (lengthA != lengthB)
            return lengthA < lengthB ? -1 : 1;
        if (lengthA < size)
            return 0;
        if (partA.size() < LargestPart) {
            partA.resize(partA.size() * 2);
            partB.resize(partB.size() * 2);
        }
    }
}

Collation::Prefix Collation::sortKeyPrefix(QStringView line) const
{
    Prefix prefix {};
    UCharIterator iter;
    uiter_setString(&iter, icuText(line), icuLength(line));
    uint32_t state[2] = {0, 0};
    UErrorCode status = U_ZERO_ERROR;
    // The parts join up to the bytes ucol_getSortKey() gives.
    ucol_nextSortKeyPart(m_collator, &iter, state, prefix.data(), int32_t(prefix.size()), &status);
    return prefix;
}

int Collation::sortKey(QStringView line, std::uint8_t *buffer, int capacity) const
{
    const int32_t length = ucol_getSortKey(m_collator, icuText(line), icuLength(line), buffer, capacity);
    // 0: ICU could not make the key (out of memory).
    if (length <= 0)
        throw std::bad_alloc();
    return length - 1;
}

void Collation::appendSortKey(QStringView line, QByteArray &out) const
{
    const qsizetype start = out.size();
    uint8_t stackBuffer[512];
    const int length = sortKey(line, stackBuffer, int(sizeof stackBuffer));
    if (length < int(sizeof stackBuffer)) {
        out.append(reinterpret_cast<const char *>(stackBuffer), length);
        return;
    }
    out.resize(start + length + 1);
    sortKey(line, reinterpret_cast<uint8_t *>(out.data() + start), length + 1);
    out.resize(start + length);
}
