#include "online/newversion.h"

#include "about/versioninfo.h"
#include "i18n/language.h"
#include "online/check.h"
#include "widgets/artwork.h"
#include "widgets/dialogs.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

int CloseCountdown = 11;

namespace {

QFont tahoma(int pixelSize, bool bold = false, bool underline = false)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

} // namespace

TNewVer::TNewVer(QWidget *owner)
    : QWidget(owner,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    createComponents();
    FormCreate();
}

void TNewVer::createComponents()
{
    setObjectName(QStringLiteral("NewVer"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFont(tahoma(11));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    // The grow and shrink animations take the window below its layout's minimum.
    outer->setSizeConstraint(QLayout::SetNoConstraint);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    outer->addWidget(Panel1);
    auto *row = new QHBoxLayout(Panel1);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(0);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(60, 60);
    Image1->setAlignment(Qt::AlignCenter);
    row->addWidget(Image1, 0, Qt::AlignVCenter);
    row->addSpacing(3);

    Panel2 = new QWidget(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    row->addWidget(Panel2, 1);
    auto *labels = new QVBoxLayout(Panel2);
    labels->setContentsMargins(0, 0, 0, 0);
    labels->setSpacing(0);
    Label1 = new QLabel(Panel2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(tahoma(13, true));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setContentsMargins(3, 3, 3, 3);
    labels->addWidget(Label1);
    Label2 = new QLabel(Panel2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(tahoma(13, false, true));
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setWordWrap(true);
    Label2->setAttribute(Qt::WA_TranslucentBackground);
    Label2->setCursor(Qt::PointingHandCursor);
    labels->addWidget(Label2, 1);

    Panel3 = new QWidget(Panel1);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedWidth(22);
    row->addWidget(Panel3);
    auto *closeColumn = new QVBoxLayout(Panel3);
    closeColumn->setContentsMargins(0, 0, 0, 0);
    Button1 = new QPushButton(Panel3);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(22, 22);
    Button1->setFocusPolicy(Qt::NoFocus);
    Button1->setCursor(Qt::PointingHandCursor);
    Button1->setIcon(artworkIcon(QStringLiteral("close")));
    closeColumn->addWidget(Button1);
    closeColumn->addStretch(1);

    TimerStart = new QTimer(this);
    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setInterval(1);
    TimerClose = new QTimer(this);
    TimerClose->setObjectName(QStringLiteral("TimerClose"));
    TimerClose->setInterval(1000);
    TimerLink = new QTimer(this);
    TimerLink->setObjectName(QStringLiteral("TimerLink"));
    TimerLink->setInterval(100);

    m_animation = new QPropertyAnimation(this, "geometry", this);
    m_animation->setDuration(AnimationMs);

    connect(TimerStart, &QTimer::timeout, this, &TNewVer::TimerStartTimer);
    connect(TimerClose, &QTimer::timeout, this, &TNewVer::TimerCloseTimer);
    connect(TimerLink, &QTimer::timeout, this, &TNewVer::TimerLinkTimer);
    connect(Button1, &QPushButton::clicked, this, &TNewVer::Button1Click);
    for (QObject *part :
         {static_cast<QObject *>(Label2), static_cast<QObject *>(Panel2), static_cast<QObject *>(Button1)})
        part->installEventFilter(this);
    for (QObject *part : {static_cast<QObject *>(Panel1), static_cast<QObject *>(Image1),
                          static_cast<QObject *>(Label1), static_cast<QObject *>(Panel3)})
        part->installEventFilter(this);

    TimerStart->start();
    TimerClose->start();
    TimerLink->start();
}

void TNewVer::FormCreate()
{
    Image1->setPixmap(programIcon().pixmap(QSize(48, 48), devicePixelRatioF()));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    m_fullGeometry
        = QRect(screen.x() + screen.width() - ClientWidth - 5, screen.y() + 5, ClientWidth, ClientHeight);
    setGeometry(m_fullGeometry);

    Label1->setText(TranslateText(QStringLiteral("UPDATE AVAILABLE")));
    Label2->setText(TranslateText(QStringLiteral("Click to download")) + u' ' + AppProductName + u' '
                    + LatestVersion);
    TimerLinkTimer();
}

void TNewVer::animate(bool growing)
{
    const QRect centre(m_fullGeometry.center(), QSize(1, 1));
    m_animation->stop();
    m_animation->disconnect(this);
    m_animation->setStartValue(growing ? centre : geometry());
    m_animation->setEndValue(growing ? m_fullGeometry : centre);
    if (!growing) {
        connect(m_animation, &QPropertyAnimation::finished, this, &QWidget::close);
    }
    m_animation->start();
}

void TNewVer::TimerStartTimer()
{
    TimerStart->stop();
    setGeometry(QRect(m_fullGeometry.center(), QSize(1, 1)));
    show();
    animate(true);
    // The main window keeps the keyboard; if the system gave the popup the
    // focus after all, it goes back.
    if (QApplication::activeWindow() == this && parentWidget())
        parentWidget()->activateWindow();
}

void TNewVer::TimerCloseTimer()
{
    --CloseCountdown;
    if (CloseCountdown > 0)
        return;
    TimerClose->stop();
    if (isVisible())
        animate(false);
}

void TNewVer::TimerLinkTimer()
{
    const bool inside = Label2->rect().contains(Label2->mapFromGlobal(QCursor::pos()));
    const QPalette system = QApplication::palette();
    const QColor colour = inside ? QApplication::palette("QMenu").color(QPalette::Highlight)
                                 : system.color(QPalette::WindowText);
    QPalette palette = Label2->palette();
    if (palette.color(QPalette::WindowText) != colour) {
        palette.setColor(QPalette::WindowText, colour);
        Label2->setPalette(palette);
    }
}

void TNewVer::Label2Click()
{
    // A browser that does not start is not worth a message.
    Dialogs::current().openUrl(downloadTarget(DownloadUrl));
    close();
}

void TNewVer::Button1Click()
{
    close();
}

bool TNewVer::isDragSource(QObject *watched) const
{
    return watched == Panel1 || watched == Image1 || watched == Label1 || watched == Panel3;
}

bool TNewVer::eventFilter(QObject *watched, QEvent *event)
{
    const bool mouseEvent = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove
        || event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick;
    if (watched == Label2 || watched == Panel2 || watched == Button1) {
        if (!mouseEvent)
            return QWidget::eventFilter(watched, event);
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == Label2 && event->type() == QEvent::MouseButtonRelease
            && mouse->button() == Qt::LeftButton && Label2->rect().contains(mouse->position().toPoint())) {
            // After this event has been delivered: closing may end the popup's events.
            QMetaObject::invokeMethod(this, &TNewVer::Label2Click, Qt::QueuedConnection);
        }
        // The close button takes its left clicks; nothing here reaches the
        // panels beneath, which would start a drag.
        return watched != Button1 || mouse->button() != Qt::LeftButton;
    }
    if (!isDragSource(watched))
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::RightButton) {
            m_dragging = true;
            m_lastCursor = mouse->globalPosition().toPoint();
        }
        break;
    }
    case QEvent::MouseMove:
        if (m_dragging) {
            const QPoint cursor = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
            move(pos() + cursor - m_lastCursor);
            m_fullGeometry.moveTopLeft(pos());
            m_lastCursor = cursor;
        }
        break;
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
