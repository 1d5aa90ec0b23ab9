#include "lists/linekey.h"

#include "lists/linesplitter.h"
#include "platform/languagetable.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <cstdint>

PatternError::PatternError(const QString &reason, qsizetype offset)
    : AppError(TranslateText(QStringLiteral("The pattern is not valid at position %1: %2"))
                   .arg(QString::number(offset + 1), reason))
    , m_reason(reason)
    , m_offset(offset)
{
}

struct LineKey::Compiled
{
    pcre2_code *code = nullptr;
    pcre2_match_context *context = nullptr;
    bool hasGroup = false;

    ~Compiled()
    {
        pcre2_match_context_free(context);
        pcre2_code_free(code);
    }
};

namespace {

// Match data for the pattern a thread used last: made once per thread and
// pattern, not once per line.
class MatchData
{
public:
    ~MatchData() { pcre2_match_data_free(m_data); }

    pcre2_match_data *forPattern(const pcre2_code *code)
    {
        if (code != m_code) {
            pcre2_match_data_free(m_data);
            m_data = pcre2_match_data_create_from_pattern(code, nullptr);
            m_code = m_data ? code : nullptr;
        }
        return m_data;
    }

private:
    const pcre2_code *m_code = nullptr;
    pcre2_match_data *m_data = nullptr;
};

} // namespace

LineKey::LineKey() = default;

LineKey LineKey::field(int number, QChar delimiter, bool quoted)
{
    LineKey key;
    key.m_mode = Mode::Field;
    key.m_field = number;
    key.m_delimiter = delimiter;
    key.m_quoted = quoted;
    return key;
}

LineKey LineKey::pattern(const QString &pattern)
{
    LineKey key;
    key.m_mode = Mode::Pattern;
    key.m_pattern = pattern;
    auto compiled = std::make_shared<Compiled>();
    int error = 0;
    PCRE2_SIZE offset = 0;
    // Lines may hold lone surrogates: they match nothing rather than fail.
    // \w, \d and the like take the letters and digits of every script.
    compiled->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.utf16()), PCRE2_SIZE(pattern.size()),
                                   PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF, &error, &offset, nullptr);
    if (!compiled->code) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(error, message, sizeof message / sizeof *message);
        throw PatternError(QString::fromUtf16(reinterpret_cast<const char16_t *>(message)),
                           qsizetype(offset));
    }
    // Without JIT (not built in, or no executable memory) the interpreter runs.
    pcre2_jit_compile(compiled->code, PCRE2_JIT_COMPLETE);
    std::uint32_t groups = 0;
    pcre2_pattern_info(compiled->code, PCRE2_INFO_CAPTURECOUNT, &groups);
    compiled->hasGroup = groups > 0;
    compiled->context = pcre2_match_context_create(nullptr);
    if (!compiled->context)
        throw std::bad_alloc();
    pcre2_set_match_limit(compiled->context, MatchLimit);
    pcre2_set_depth_limit(compiled->context, MatchLimit / 10);
    key.m_compiled = std::move(compiled);
    return key;
}

std::optional<QStringView> LineKey::keyOf(QStringView line, QString &scratch) const
{
    std::optional<QStringView> key;
    switch (m_mode) {
    case Mode::WholeLine:
        key = line;
        break;
    case Mode::Field:
        key = fieldOf(line, scratch);
        break;
    case Mode::Pattern:
        key = matchOf(line);
        break;
    }
    if (key && trimmed)
        key = LineSplitter::trimmed(*key);
    return key;
}

std::optional<QStringView> LineKey::fieldOf(QStringView line, QString &scratch) const
{
    const qsizetype size = line.size();
    const char16_t delimiter = m_delimiter.unicode();
    qsizetype at = 0;
    for (int field = 1;; ++field) {
        const bool wanted = field == m_field;
        if (m_quoted && at < size && line[at] == u'"') {
            // A quoted field: up to the quote that is not doubled.
            qsizetype end = at + 1;
            bool doubled = false;
            for (;;) {
                if (end >= size)
                    return std::nullopt; // left open: no such field, nor any after it
                if (line[end] == u'"') {
                    if (end + 1 < size && line[end + 1] == u'"') {
                        doubled = true;
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            // What follows the closing quote up to the delimiter is kept.
            qsizetype next = end + 1;
            while (next < size && line[next] != delimiter)
                ++next;
            if (wanted) {
                const QStringView inside = line.sliced(at + 1, end - at - 1);
                const QStringView after = line.sliced(end + 1, next - end - 1);
                if (!doubled && after.isEmpty())
                    return inside;
                scratch.clear();
                for (qsizetype k = 0; k < inside.size(); ++k) {
                    scratch += inside[k];
                    if (inside[k] == u'"')
                        ++k; // the second of a doubled quote
                }
                scratch += after;
                return QStringView(scratch);
            }
            if (next >= size)
                return std::nullopt;
            at = next + 1;
            continue;
        }
        qsizetype end = at;
        while (end < size && line[end] != delimiter)
            ++end;
        if (wanted)
            return line.sliced(at, end - at);
        if (end >= size)
            return std::nullopt;
        at = end + 1;
    }
}

std::optional<QStringView> LineKey::matchOf(QStringView line) const
{
    thread_local MatchData matchData;
    pcre2_match_data *data = matchData.forPattern(m_compiled->code);
    if (!data)
        throw std::bad_alloc();
    const int found = pcre2_match(m_compiled->code, reinterpret_cast<PCRE2_SPTR>(line.utf16()),
                                  PCRE2_SIZE(line.size()), 0, 0, data, m_compiled->context);
    // No match, or a limit reached: either way the line has no key.
    if (found <= 0)
        return std::nullopt;
    const PCRE2_SIZE *vector = pcre2_get_ovector_pointer(data);
    const size_t pair = m_compiled->hasGroup ? 1 : 0;
    if (int(pair) >= found || vector[2 * pair] == PCRE2_UNSET)
        return std::nullopt; // the group took no part in the match
    return line.sliced(qsizetype(vector[2 * pair]), qsizetype(vector[2 * pair + 1] - vector[2 * pair]));
}

QString LineKey::describePart() const
{
    switch (m_mode) {
    case Mode::WholeLine:
        return {};
    case Mode::Field:
        return TranslateText(QStringLiteral("field %1 (%2%3)"))
            .arg(m_field)
            .arg(delimiterCaption(m_delimiter),
                 m_quoted ? TranslateText(QStringLiteral(", quoted")) : QString());
    case Mode::Pattern:
        return TranslateText(QStringLiteral("pattern %1")).arg(m_pattern);
    }
    return {};
}

QString LineKey::describe() const
{
    return isWholeLine() ? QString() : TranslateText(QStringLiteral("Comparing by %1")).arg(describePart());
}

bool operator==(const LineKey &a, const LineKey &b)
{
    return a.m_mode == b.m_mode && a.m_field == b.m_field && a.m_delimiter == b.m_delimiter
        && a.m_quoted == b.m_quoted && a.m_pattern == b.m_pattern && a.trimmed == b.trimmed;
}

namespace {

struct NamedDelimiter
{
    const char *name;
    const char *caption;
    char16_t character;
};

constexpr NamedDelimiter NamedDelimiters[] = {
    {"tab", "Tab", u'\t'},  {"comma", "Comma", u','}, {"semicolon", "Semicolon", u';'},
    {"pipe", "Pipe", u'|'}, {"space", "Space", u' '},
};

} // namespace

std::optional<QChar> delimiterFromName(const QString &name)
{
    for (const NamedDelimiter &named : NamedDelimiters) {
        if (name.compare(QLatin1StringView(named.name), Qt::CaseInsensitive) == 0)
            return QChar(named.character);
    }
    // One character, but not one that ends a line or the quote of quoted fields.
    if (name.size() == 1 && name[0] != u'\n' && name[0] != u'\r' && name[0] != u'"')
        return name[0];
    return std::nullopt;
}

QString delimiterName(QChar delimiter)
{
    for (const NamedDelimiter &named : NamedDelimiters) {
        if (delimiter == QChar(named.character))
            return QString::fromLatin1(named.caption);
    }
    return u'"' + QString(delimiter) + u'"';
}

QString delimiterCaption(QChar delimiter)
{
    switch (delimiter.unicode()) {
    case u'\t':
        return TranslateText(QStringLiteral("Tab"));
    case u',':
        return TranslateText(QStringLiteral("Comma"));
    case u';':
        return TranslateText(QStringLiteral("Semicolon"));
    case u'|':
        return TranslateText(QStringLiteral("Pipe"));
    case u' ':
        return TranslateText(QStringLiteral("Space"));
    default:
        return delimiterName(delimiter);
    }
}

LineKey KeyChoice::lineKey(bool trimmed) const
{
    LineKey key;
    if (mode == LineKey::Mode::Field)
        key = LineKey::field(field, delimiter, quoted);
    else if (mode == LineKey::Mode::Pattern)
        key = LineKey::pattern(pattern);
    key.trimmed = trimmed;
    return key;
}
