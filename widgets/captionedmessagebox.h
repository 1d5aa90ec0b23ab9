#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <memory>

// A message box that tells a press of its buttons (or of Escape, which
// presses the escape button) from a close by the title bar, which answers
// neither.
class CaptionedMessageBox : public QMessageBox
{
    Q_OBJECT

public:
    using QMessageBox::QMessageBox;

    // The pressed button; NoButton when the box was closed otherwise.
    QMessageBox::StandardButton answer() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_closedByFrame = false;
};

// The standard message box with the given icon, title and buttons (in Qt's
// fixed order, Yes before No), the k-th button captioned captions[k]. With Yes
// and No, Yes is the default and Escape answers No.
std::unique_ptr<CaptionedMessageBox> createMessageDlgWithCaptions(const QString &text,
                                                                  QMessageBox::Icon type,
                                                                  QMessageBox::StandardButtons buttons,
                                                                  const QStringList &captions,
                                                                  const QString &title,
                                                                  QWidget *parent = nullptr);
