#include "online/feedbackmessage.h"

#include "lists/linesplitter.h"

QString trimmedText(const QString &text)
{
    return LineSplitter::trimmed(text).toString();
}

QString choiceText(const QString &english, const QString &caption)
{
    return caption == english ? english : english + QStringLiteral(" (") + caption + u')';
}

QString composeFeedback(FeedbackChoice choice,
                        const QString &likeCaption,
                        const QString &dislikeCaption,
                        const QString &body)
{
    switch (choice) {
    case FeedbackChoice::Like:
        return choiceText(QStringLiteral("I like it!"), likeCaption) + u'\r' + body;
    case FeedbackChoice::Dislike:
        return choiceText(QStringLiteral("I dislike it!"), dislikeCaption) + u'\r' + body;
    case FeedbackChoice::None:
        break;
    }
    return body;
}

QStringList feedbackFields(const QString &appTitle,
                           const QString &appVersion,
                           const QString &composed,
                           const QString &email)
{
    QStringList fields {QStringLiteral("cmd=feedback"), QStringLiteral("appname=") + appTitle,
                        QStringLiteral("version=") + appVersion, QStringLiteral("feedback=") + composed};
    if (!email.isEmpty())
        fields << QStringLiteral("email=") + email;
    return fields;
}

bool isFeedbackConfirmed(const QString &reply)
{
    return trimmedText(reply) == QStringLiteral("OK");
}
