#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// What went wrong, for handlers that act on it; the message says it to the user.
enum class ErrorKind
{
    CannotOpen, // a file or folder could not be opened or read
    CannotDecode, // the bytes are not valid in the expected encoding or format
    CannotWrite, // a file or folder could not be created or written
    Cancelled, // the user stopped the work
    OutOfMemory, // memory ran out; the message says what did not fit
    Other,
};

// The program's error: a message for the user and its kind. Handlers let it
// escape to the standard error box; the command line prints it.
class AppError : public std::exception
{
public:
    explicit AppError(QString message, ErrorKind kind = ErrorKind::Other)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
        , m_kind(kind)
    {
    }

    const QString &message() const noexcept { return m_message; }
    ErrorKind kind() const noexcept { return m_kind; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
    ErrorKind m_kind;
};

// The message of an error: an AppError's own, a standard exception's text,
// else "Unknown error".
QString errorMessageOf(const std::exception_ptr &error);

// Whether the error is running out of memory: std::bad_alloc, or an
// AppError of kind OutOfMemory.
bool isOutOfMemory(const std::exception_ptr &error);

// The system's reason for an errno value, as the user reads it.
QString systemReason(int error);

// Text of the standard error box: a full stop is appended when the last
// character's code is above that of the full stop.
QString errorBoxText(const QString &message);
