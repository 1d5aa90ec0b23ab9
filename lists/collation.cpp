#include "lists/collation.h"

#include "app/apperror.h"
#include "platform/systemlocale.h"

#include <unicode/ucol.h>

#include <QMutex>

#include <map>

namespace {

const UChar *icuText(QStringView text)
{
    return reinterpret_cast<const UChar *>(text.utf16());
}

int32_t icuLength(QStringView text)
{
    // Lines longer than 2^31 code units cannot be held anyway.
    return int32_t(text.size());
}

} // namespace

Collation::Collation(const QByteArray &locale, bool caseSensitive)
    : m_locale(locale)
    , m_caseSensitive(caseSensitive)
{
    UErrorCode status = U_ZERO_ERROR;
    m_collator = ucol_open(locale.isEmpty() ? "root" : locale.constData(), &status);
    if (U_FAILURE(status))
        throw AppError(QStringLiteral("Cannot open the collation for locale \"%1\": %2")
                           .arg(QString::fromLatin1(locale), QString::fromLatin1(u_errorName(status))));
    ucol_setStrength(m_collator, caseSensitive ? UCOL_TERTIARY : UCOL_SECONDARY);
    // Decomposed and precomposed spellings must be equal whatever order the
    // marks come in; FCD input (nearly all text) pays only a quick check.
    ucol_setAttribute(m_collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
}

Collation::~Collation()
{
    ucol_close(m_collator);
}

std::shared_ptr<const Collation> Collation::forLocale(const QByteArray &locale, bool caseSensitive)
{
    static QMutex mutex;
    static std::map<std::pair<QByteArray, bool>, std::shared_ptr<const Collation>> cache;
    QMutexLocker lock(&mutex);
    auto &entry = cache[{locale, caseSensitive}];
    if (!entry)
        entry = std::make_shared<const Collation>(locale, caseSensitive);
    return entry;
}

std::shared_ptr<const Collation> Collation::forUser(bool caseSensitive)
{
    return forLocale(platform::userCollationLocale(), caseSensitive);
}

int Collation::compare(QStringView a, QStringView b) const
{
    return int(ucol_strcoll(m_collator, icuText(a), icuLength(a), icuText(b), icuLength(b)));
}

int Collation::sortKey(QStringView line, std::uint8_t *buffer, int capacity) const
{
    return ucol_getSortKey(m_collator, icuText(line), icuLength(line), buffer, capacity) - 1;
}

void Collation::appendSortKey(QStringView line, QByteArray &out) const
{
    const qsizetype start = out.size();
    uint8_t stackBuffer[512];
    int32_t length = ucol_getSortKey(m_collator, icuText(line), icuLength(line), stackBuffer,
                                     int32_t(sizeof stackBuffer));
    if (length <= int32_t(sizeof stackBuffer)) {
        out.append(reinterpret_cast<const char *>(stackBuffer), length - 1);
        return;
    }
    out.resize(start + length);
    ucol_getSortKey(m_collator, icuText(line), icuLength(line),
                    reinterpret_cast<uint8_t *>(out.data() + start), length);
    out.resize(start + length - 1);
}
