#pragma once

#include <QPoint>
#include <QWidget>

class QFrame;
class QLabel;
class QPropertyAnimation;
class QPushButton;
class QTimer;

// Counts down the popup's life in seconds; 11 at program start.
extern int CloseCountdown;

// The popup that announces a new version: top-right on the primary screen,
// on top, never taking the focus; its link opens the download page, it can be
// dragged, and it closes itself when the countdown ends. Closing only hides it.
class TNewVer : public QWidget
{
    Q_OBJECT

public:
    // Shows itself shortly after; owner keeps it until the program ends.
    explicit TNewVer(QWidget *owner);

    void TimerStartTimer();
    void TimerCloseTimer();
    void TimerLinkTimer();
    void Label2Click();
    void Button1Click();

    QFrame *Panel1;
    QLabel *Image1;
    QWidget *Panel2;
    QLabel *Label1;
    QLabel *Label2;
    QWidget *Panel3;
    QPushButton *Button1;
    QTimer *TimerStart;
    QTimer *TimerClose;
    QTimer *TimerLink;

    static constexpr int ClientWidth = 320;
    static constexpr int ClientHeight = 68;
    static constexpr int AnimationMs = 100;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createComponents();
    void FormCreate();
    // Grows from the centre to the full rectangle, or shrinks back to it.
    void animate(bool growing);
    bool isDragSource(QObject *watched) const;

    QRect m_fullGeometry;
    QPropertyAnimation *m_animation = nullptr;
    bool m_dragging = false;
    QPoint m_lastCursor;
};
