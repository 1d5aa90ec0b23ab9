#include "widgets/captionedmessagebox.h"

#include <QAbstractButton>
#include <QPushButton>

QMessageBox::StandardButton CaptionedMessageBox::answer() const
{
    QAbstractButton *clicked = clickedButton();
    return m_closedByFrame || !clicked ? QMessageBox::NoButton : standardButton(clicked);
}

void CaptionedMessageBox::closeEvent(QCloseEvent *event)
{
    // QMessageBox would count this as a press of the escape button.
    if (!clickedButton())
        m_closedByFrame = true;
    QMessageBox::closeEvent(event);
}

std::unique_ptr<CaptionedMessageBox> createMessageDlgWithCaptions(const QString &text,
                                                                  QMessageBox::Icon type,
                                                                  QMessageBox::StandardButtons buttons,
                                                                  const QStringList &captions,
                                                                  const QString &title,
                                                                  QWidget *parent)
{
    auto box = std::make_unique<CaptionedMessageBox>(type, title, text, QMessageBox::NoButton, parent);
    // Added one by one in the fixed order (Yes before No), so the k-th
    // caption goes to the k-th button whatever order the style lays them out in.
    static constexpr QMessageBox::StandardButton Order[]
        = {QMessageBox::Yes,     QMessageBox::No,    QMessageBox::Ok,     QMessageBox::Cancel,
           QMessageBox::Abort,   QMessageBox::Retry, QMessageBox::Ignore, QMessageBox::YesToAll,
           QMessageBox::NoToAll, QMessageBox::Help,  QMessageBox::Close};
    qsizetype k = 0;
    for (QMessageBox::StandardButton which : Order) {
        if (!buttons.testFlag(which))
            continue;
        QPushButton *button = box->addButton(which);
        if (k < captions.size())
            button->setText(captions.at(k));
        ++k;
    }
    if (buttons.testFlag(QMessageBox::Yes))
        box->setDefaultButton(QMessageBox::Yes);
    if (buttons.testFlag(QMessageBox::No))
        box->setEscapeButton(QMessageBox::No);
    return box;
}
