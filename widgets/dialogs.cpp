#include "widgets/dialogs.h"

#include "widgets/captionedmessagebox.h"
#include "widgets/opentextfiledialog.h"
#include "widgets/savetextfiledialog.h"

#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QUrl>

namespace {

Dialogs *installedDialogs = nullptr;

} // namespace

Dialogs::~Dialogs() = default;

std::optional<OpenTextFileChoice> Dialogs::openTextFile(OpenTextFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return OpenTextFileChoice {dialog.selectedFiles().constFirst(), dialog.encodingIndex()};
}

std::optional<QString> Dialogs::saveTextFile(SaveTextFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void Dialogs::errorBox(QWidget *parent, const QString &title, const QString &text)
{
    createErrorBox(parent, title, text)->exec();
}

bool Dialogs::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

QMessageBox::StandardButton Dialogs::messageDlgWithCaptions(QWidget *parent,
                                                            const QString &text,
                                                            QMessageBox::Icon type,
                                                            QMessageBox::StandardButtons buttons,
                                                            const QStringList &captions,
                                                            const QString &title)
{
    const auto box = createMessageDlgWithCaptions(text, type, buttons, captions, title, parent);
    box->exec();
    return box->answer();
}

int Dialogs::execDialog(QDialog &dialog)
{
    return dialog.exec();
}

Dialogs &Dialogs::current()
{
    static Dialogs real;
    return installedDialogs ? *installedDialogs : real;
}

void Dialogs::install(Dialogs *dialogs)
{
    installedDialogs = dialogs;
}

std::unique_ptr<QMessageBox>
Dialogs::createErrorBox(QWidget *parent, const QString &title, const QString &text)
{
    return std::make_unique<QMessageBox>(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
}
