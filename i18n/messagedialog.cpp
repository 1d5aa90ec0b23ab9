#include "i18n/messagedialog.h"

#include "i18n/language.h"
#include "widgets/dialogs.h"

QMessageBox::StandardButton MessageDlgWithCaptions(const QString &text,
                                                   QMessageBox::Icon type,
                                                   QMessageBox::StandardButtons buttons,
                                                   const QStringList &captions,
                                                   const QString &title,
                                                   QWidget *parent)
{
    return Dialogs::current().messageDlgWithCaptions(parent, text, type, buttons, captions, title);
}

bool confirmRestart(QWidget *parent)
{
    return MessageDlgWithCaptions(TranslateText(QStringLiteral("Restart Application?")),
                                  QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                                  {TranslateText(QStringLiteral("Yes")), TranslateText(QStringLiteral("No"))},
                                  TranslateText(QStringLiteral("Confirmation")), parent)
        == QMessageBox::Yes;
}
