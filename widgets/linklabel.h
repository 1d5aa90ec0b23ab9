#pragma once

#include <QColor>
#include <QLabel>

// A label that reads as a link: coloured, underlined, the hand pointer, the
// address as its tooltip, and clicked() when the left button is released on it.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    LinkLabel(const QString &text,
              const QString &address,
              const QColor &colour,
              int pixelSize,
              QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};
