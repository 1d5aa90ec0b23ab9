#pragma once

#include "lists/textencoding.h"
#include "widgets/dialogs.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <deque>
#include <functional>
#include <vector>

// Stands in for every dialog while it lives: answers the open dialog from a
// queue, records error boxes and opened pages. A dialog with no answer queued
// fails the test instead of waiting for a user.
class FakeDialogs : public Dialogs
{
public:
    FakeDialogs();
    ~FakeDialogs() override;
    FakeDialogs(const FakeDialogs &) = delete;
    FakeDialogs &operator=(const FakeDialogs &) = delete;

    void answerOpen(const QString &fileName, int encodingIndex = DefaultEncodingIndex);
    void cancelOpen();
    qsizetype pendingOpenAnswers() const { return qsizetype(m_openAnswers.size()); }
    void answerSave(const QString &fileName);
    void cancelSave();
    qsizetype pendingSaveAnswers() const { return qsizetype(m_saveAnswers.size()); }

    // Answers the next confirmation with button.
    void answerMessage(QMessageBox::StandardButton button);
    qsizetype pendingMessageAnswers() const { return qsizetype(m_messageAnswers.size()); }

    struct Message
    {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QStringList captions;
    };
    std::vector<Message> messages;

    struct ErrorBox
    {
        QString title;
        QString text;
    };
    std::vector<ErrorBox> errorBoxes;
    QList<QUrl> openedUrls;
    OpenTextFileDialog *lastOpenDialog = nullptr;
    SaveTextFileDialog *lastSaveDialog = nullptr;

    std::optional<OpenTextFileChoice> openTextFile(OpenTextFileDialog &dialog) override;
    std::optional<QString> saveTextFile(SaveTextFileDialog &dialog) override;
    // Plays the user of the next of the program's own dialogs: the answer
    // gets the real dialog, fills it in as a user would and returns what
    // exec() would have (or, say, presses its buttons and returns its result()).
    using DialogAnswer = std::function<int(QDialog &dialog)>;
    void answerDialog(DialogAnswer answer);
    qsizetype pendingDialogAnswers() const { return qsizetype(m_dialogAnswers.size()); }
    int execDialog(QDialog &dialog) override;
    void errorBox(QWidget *parent, const QString &title, const QString &text) override;
    bool openUrl(const QUrl &url) override;
    QMessageBox::StandardButton messageDlgWithCaptions(QWidget *parent,
                                                       const QString &text,
                                                       QMessageBox::Icon type,
                                                       QMessageBox::StandardButtons buttons,
                                                       const QStringList &captions,
                                                       const QString &title) override;

private:
    struct OpenAnswer
    {
        bool cancel;
        OpenTextFileChoice choice;
    };
    std::deque<OpenAnswer> m_openAnswers;
    std::deque<QString> m_saveAnswers; // empty name: cancelled
    std::deque<QMessageBox::StandardButton> m_messageAnswers;
    std::deque<DialogAnswer> m_dialogAnswers;
};
