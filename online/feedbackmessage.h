#pragma once

#include <QString>
#include <QStringList>

// The service's path for feedback and the time-out of each attempt.
inline constexpr char FeedbackPath[] = "/php/feedback.php";
inline constexpr int FeedbackTimeoutMs = 3000;

enum class FeedbackChoice
{
    None,
    Like,
    Dislike,
};

// Strips blanks and control characters (code units up to 32) from both ends.
QString trimmedText(const QString &text);

// The English text of a choice, followed by " (" caption ")" when the
// window shows it translated.
QString choiceText(const QString &english, const QString &caption);

// The "feedback=" value: the chosen text and a CR when there is a choice,
// then the body (already trimmed).
QString composeFeedback(FeedbackChoice choice,
                        const QString &likeCaption,
                        const QString &dislikeCaption,
                        const QString &body);

// The request's fields in order; "email=" only when an address is given.
QStringList feedbackFields(const QString &appTitle,
                           const QString &appVersion,
                           const QString &composed,
                           const QString &email);

// True when the service confirmed receipt: the reply, trimmed, is "OK".
bool isFeedbackConfirmed(const QString &reply);
