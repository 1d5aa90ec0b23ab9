#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <memory>

// The standard message box with the given icon, title and buttons (in Qt's
// fixed order, Yes before No), the k-th button captioned captions[k]. With Yes
// and No, Yes is the default and Escape answers No.
std::unique_ptr<QMessageBox> CreateMessageDlgWithCaptions(const QString &text, QMessageBox::Icon type,
    QMessageBox::StandardButtons buttons, const QStringList &captions, const QString &title,
    QWidget *parent = nullptr);

// Shows that box modally through the Dialogs seam; the pressed button, or
// QMessageBox::NoButton when it was closed otherwise.
QMessageBox::StandardButton MessageDlgWithCaptions(const QString &text, QMessageBox::Icon type,
    QMessageBox::StandardButtons buttons, const QStringList &captions, const QString &title,
    QWidget *parent = nullptr);
