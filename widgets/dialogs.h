#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class OpenTextFileDialog;
class QDialog;
class SaveTextFileDialog;
class QUrl;
class QWidget;

// What the open dialog returned: the file and the index of the chosen encoding.
struct OpenTextFileChoice
{
    QString fileName;
    int encodingIndex = 0;
};

// Every modal dialog of the program, and the hand-off of web pages to the
// desktop, go through the current instance, so a test can answer them in
// place of a user. The base class shows the real dialogs.
class Dialogs
{
public:
    virtual ~Dialogs();

    // Runs the open dialog modally; nothing when it was cancelled.
    virtual std::optional<OpenTextFileChoice> openTextFile(OpenTextFileDialog &dialog);
    // Runs a save dialog modally; the chosen file, nothing when it was cancelled.
    virtual std::optional<QString> saveTextFile(SaveTextFileDialog &dialog);
    // The standard error box: error icon, one OK button.
    virtual void errorBox(QWidget *parent, const QString &title, const QString &text);
    // Opens the page (or a local file) with the desktop's handler; false when that failed.
    virtual bool openUrl(const QUrl &url);
    // The confirmation box with translated captions (see MessageDlgWithCaptions).
    virtual QMessageBox::StandardButton messageDlgWithCaptions(QWidget *parent,
                                                               const QString &text,
                                                               QMessageBox::Icon type,
                                                               QMessageBox::StandardButtons buttons,
                                                               const QStringList &captions,
                                                               const QString &title);

    // Runs one of the program's own dialogs modally; its result code.
    virtual int execDialog(QDialog &dialog);

    // The instance in use: the real dialogs unless a test installed others.
    static Dialogs &current();
    // Installs replacements (not owned); nullptr goes back to the real dialogs.
    static void install(Dialogs *dialogs);

    // The error box as errorBox() shows it.
    static std::unique_ptr<QMessageBox>
    createErrorBox(QWidget *parent, const QString &title, const QString &text);
};
