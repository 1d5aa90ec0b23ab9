#include "widgets/fakedialogs.h"

#include <QDialog>

#include <gtest/gtest.h>

FakeDialogs::FakeDialogs()
{
    Dialogs::install(this);
}

FakeDialogs::~FakeDialogs()
{
    Dialogs::install(nullptr);
}

void FakeDialogs::answerOpen(const QString &fileName, int encodingIndex)
{
    m_openAnswers.push_back({false, {fileName, encodingIndex}});
}

void FakeDialogs::cancelOpen()
{
    m_openAnswers.push_back({true, {}});
}

std::optional<OpenTextFileChoice> FakeDialogs::openTextFile(OpenTextFileDialog &dialog)
{
    lastOpenDialog = &dialog;
    if (m_openAnswers.empty()) {
        ADD_FAILURE() << "open dialog shown with no answer queued";
        return std::nullopt;
    }
    const OpenAnswer answer = m_openAnswers.front();
    m_openAnswers.pop_front();
    if (answer.cancel)
        return std::nullopt;
    return answer.choice;
}

void FakeDialogs::answerDialog(DialogAnswer answer)
{
    m_dialogAnswers.push_back(std::move(answer));
}

int FakeDialogs::execDialog(QDialog &dialog)
{
    if (m_dialogAnswers.empty()) {
        ADD_FAILURE() << "dialog " << dialog.objectName().toStdString() << " shown with no answer queued";
        return QDialog::Rejected;
    }
    const DialogAnswer answer = std::move(m_dialogAnswers.front());
    m_dialogAnswers.pop_front();
    return answer(dialog);
}

void FakeDialogs::answerSave(const QString &fileName)
{
    m_saveAnswers.push_back(fileName);
}

void FakeDialogs::cancelSave()
{
    m_saveAnswers.push_back(QString());
}

std::optional<QString> FakeDialogs::saveTextFile(SaveTextFileDialog &dialog)
{
    lastSaveDialog = &dialog;
    if (m_saveAnswers.empty()) {
        ADD_FAILURE() << "save dialog shown with no answer queued";
        return std::nullopt;
    }
    const QString answer = m_saveAnswers.front();
    m_saveAnswers.pop_front();
    if (answer.isEmpty())
        return std::nullopt;
    return answer;
}

void FakeDialogs::errorBox(QWidget *, const QString &title, const QString &text)
{
    errorBoxes.push_back({title, text});
}

bool FakeDialogs::openUrl(const QUrl &url)
{
    openedUrls.push_back(url);
    return true;
}

void FakeDialogs::answerMessage(QMessageBox::StandardButton button)
{
    m_messageAnswers.push_back(button);
}

QMessageBox::StandardButton FakeDialogs::messageDlgWithCaptions(QWidget *,
                                                                const QString &text,
                                                                QMessageBox::Icon type,
                                                                QMessageBox::StandardButtons buttons,
                                                                const QStringList &captions,
                                                                const QString &title)
{
    messages.push_back({title, text, type, buttons, captions});
    if (m_messageAnswers.empty()) {
        ADD_FAILURE() << "confirmation shown with no answer queued";
        return QMessageBox::NoButton;
    }
    const QMessageBox::StandardButton answer = m_messageAnswers.front();
    m_messageAnswers.pop_front();
    return answer;
}
