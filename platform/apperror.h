#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The program's error: a message for the user. Handlers let it escape to the
// standard error box; the command line prints it.
class AppError : public std::exception
{
public:
    explicit AppError(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
    {
    }

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The message of an error: an AppError's own, a standard exception's text,
// else "Unknown error".
QString errorMessageOf(std::exception_ptr error);

// Text of the standard error box: a full stop is appended when the last
// character's code is above that of the full stop.
QString errorBoxText(const QString &message);
