#pragma once

#include "platform/apperror.h"

#include <QChar>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

// A pattern PCRE2 refused: its message and the position (in code units of
// the pattern) where it stopped.
class PatternError : public AppError
{
public:
    PatternError(const QString &reason, qsizetype offset);
    const QString &reason() const { return m_reason; }
    qsizetype offset() const { return m_offset; }

private:
    QString m_reason;
    qsizetype m_offset;
};

// Which part of a line is compared: the whole line, one field of it, or what
// a regular expression finds in it. Copies share the compiled pattern, which
// any number of threads may match at once.
class LineKey
{
public:
    enum class Mode
    {
        WholeLine,
        Field,
        Pattern,
    };

    // The whole line.
    LineKey();
    // Field `number` (from 1) of the line split at `delimiter`; with
    // `quoted`, a field in double quotes may hold the delimiter and "" in it
    // stands for a quote (RFC 4180, within the line).
    static LineKey field(int number, QChar delimiter, bool quoted);
    // The first capture group of the first match, or the whole match when
    // the pattern has no group (PCRE2, UTF). Throws PatternError.
    static LineKey pattern(const QString &pattern);

    Mode mode() const { return m_mode; }
    bool isWholeLine() const { return m_mode == Mode::WholeLine; }
    int fieldNumber() const { return m_field; }
    QChar delimiter() const { return m_delimiter; }
    bool quoted() const { return m_quoted; }
    const QString &patternText() const { return m_pattern; }

    // Keys are trimmed as "Ignore Whitespace When Loading" trims lines.
    bool trimmed = false;

    // The line's key: a part of the line, or the unquoted field in `scratch`;
    // nullopt when the line has none (too few fields, a quote left open, no
    // match, or a match that ran into PCRE2's limits).
    std::optional<QStringView> keyOf(QStringView line, QString &scratch) const;

    // "Comparing by field 2 (Tab)", for the status bar; empty for whole lines.
    QString describe() const;
    // The part alone: "field 2 (Tab)", "pattern ..."; empty for whole lines.
    QString describePart() const;

    friend bool operator==(const LineKey &a, const LineKey &b);

    // How far a match may search before the line is taken to have no key,
    // so that a pattern that backtracks without end cannot hang a run.
    static constexpr std::uint32_t MatchLimit = 1'000'000;

private:
    struct Compiled;

    std::optional<QStringView> fieldOf(QStringView line, QString &scratch) const;
    std::optional<QStringView> matchOf(QStringView line) const;

    Mode m_mode = Mode::WholeLine;
    int m_field = 0;
    QChar m_delimiter;
    bool m_quoted = false;
    QString m_pattern;
    std::shared_ptr<const Compiled> m_compiled;
};

// A delimiter's name as the dialog and the command line give it ("tab",
// "comma", "semicolon", "pipe", "space") or the one character itself;
// nullopt for anything else.
std::optional<QChar> delimiterFromName(const QString &name);
// "Tab", "Comma", ... or the character in quotes.
QString delimiterName(QChar delimiter);
// The same in the user's language, for what is shown; delimiterName is
// what settings.ini keeps.
QString delimiterCaption(QChar delimiter);

// What the user chose to compare by, as the dialog and settings.ini hold it.
struct KeyChoice
{
    LineKey::Mode mode = LineKey::Mode::WholeLine;
    int field = 1;
    QChar delimiter = u'\t';
    bool quoted = false;
    QString pattern;
    bool header = false;

    // The key it stands for, trimmed when asked. Throws PatternError.
    LineKey lineKey(bool trimmed) const;
    friend bool operator==(const KeyChoice &, const KeyChoice &) = default;
};
