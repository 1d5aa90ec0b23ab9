#include "widgets/linklabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(
    const QString &text, const QString &address, const QColor &colour, int pixelSize, QWidget *parent)
    : QLabel(text, parent)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    font.setUnderline(true);
    setFont(font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colour);
    setPalette(palette);
    setCursor(Qt::PointingHandCursor);
    setToolTip(address);
}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click
        = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        Q_EMIT clicked();
}
