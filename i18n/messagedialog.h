#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

// Shows the captioned message box (widgets/captionedmessagebox.h) modally
// through the Dialogs seam; the pressed button, or QMessageBox::NoButton when
// it was closed otherwise.
QMessageBox::StandardButton MessageDlgWithCaptions(const QString &text,
                                                   QMessageBox::Icon type,
                                                   QMessageBox::StandardButtons buttons,
                                                   const QStringList &captions,
                                                   const QString &title,
                                                   QWidget *parent = nullptr);

// Asks "Restart Application?" with translated Yes and No under the translated
// title "Confirmation"; true when Yes was pressed.
bool confirmRestart(QWidget *parent);
