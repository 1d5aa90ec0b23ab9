#include "about/about.h"

#include "about/versioninfo.h"
#include "i18n/language.h"
#include "platform/buildinfo.h"
#include "platform/programfolder.h"
#include "widgets/artwork.h"
#include "widgets/dialogs.h"
#include "widgets/linklabel.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <chrono>
#include <cmath>

namespace {

constexpr QSize ClientSize(446, 374);
constexpr QSize LogoSize(344, 105);
constexpr QSize EggSize(320, 214);
constexpr QSize IconSize(32, 32);

QFont tahoma(int pixelSize)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    return font;
}

void paintBlack(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::white);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

std::uint32_t systemTickCount()
{
    using namespace std::chrono;
    return std::uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The slide's step time scaled by the screen's and the window's DPI,
// rounded half to even; never 0.
int eggInterval(qreal screenDpi, qreal windowDpi)
{
    if (windowDpi <= 0)
        return 5;
    return std::max(1, int(std::nearbyint(screenDpi * 5.0 / windowDpi)));
}

QUrl siteUrl(const char *scheme, const QString &path)
{
    return QUrl(QString::fromLatin1(scheme) + QStringLiteral("://") + QStringLiteral(PAIRSIGHT_WEBSITE_HOST)
                + path);
}

// The rain's drawing surface: the window's picture of it.
class ImageCanvas : public RainCanvas
{
public:
    explicit ImageCanvas(QImage &image)
        : m_painter(&image)
    {
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(11);
        m_painter.setFont(font);
    }
    void eraseCell(int x, int y, int width, int height) override
    {
        m_painter.fillRect(QRect(x, y, width, height), Qt::black);
    }
    void drawGlyph(int x, int y, QChar glyph, RainColour colour) override
    {
        // Opaque: each glyph replaces what the cell showed before.
        const QRect cell(x, y, 8, 12);
        m_painter.fillRect(cell, Qt::black);
        m_painter.setPen(QColor(colour.red, colour.green, colour.blue));
        m_painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop, QString(glyph));
    }

private:
    QPainter m_painter;
};

const QString DarkButtonStyle
    = QStringLiteral("QPushButton { color: white; background-color: #1c1c1c; border: 1px solid #6a6a6a;"
                     " border-radius: 3px; padding: 2px 8px; }"
                     "QPushButton:hover { background-color: #2a2a2a; }"
                     "QPushButton:pressed { background-color: #0c0c0c; }"
                     "QPushButton:focus { border: 1px solid #39ff6a; }");

} // namespace

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent)
    , m_tickCount(systemTickCount)
    , m_menuRunner([](QMenu &menu, const QPoint &at) { menu.exec(at); })
{
    createComponents();
    FormCreate();
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::createComponents()
{
    setObjectName(QStringLiteral("AboutBox"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setFixedSize(ClientSize);
    setFont(tahoma(11));
    paintBlack(this);
    // paintEvent covers every pixel with the rain's picture.
    setAttribute(Qt::WA_OpaquePaintEvent);

    // Created first, so it lies beneath the panel.
    PanelEgg = new QWidget(this);
    PanelEgg->setObjectName(QStringLiteral("PanelEgg"));
    paintBlack(PanelEgg);
    PanelEgg->resize(324, 220);
    PanelEgg->hide();
    ImageEgg = new QLabel(PanelEgg);
    ImageEgg->setObjectName(QStringLiteral("ImageEgg"));
    ImageEgg->setGeometry(2, 3, EggSize.width(), EggSize.height());

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(48, 42, 350, 291);
    paintBlack(Panel1);

    Image2 = new QLabel(Panel1);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(3, 1, LogoSize.width(), LogoSize.height());

    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(9, 122, 34, 34);
    VirtualImage1 = new QLabel(Panel1);
    VirtualImage1->setObjectName(QStringLiteral("VirtualImage1"));
    VirtualImage1->setGeometry(10, 123, IconSize.width(), IconSize.height());

    Label2 = new QLabel(Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(49, 122, 290, 40);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setFont(tahoma(16));

    BitBtn1 = new QPushButton(Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(49, 226, 122, 33);
    BitBtn2 = new QPushButton(Panel1);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(177, 226, 122, 33);
    for (QPushButton *button : {BitBtn1, BitBtn2}) {
        button->setFont(tahoma(16));
        button->setStyleSheet(DarkButtonStyle);
        button->setAutoDefault(false);
    }
    BitBtn1->setDefault(true);
    // The arrow goes on the right of the caption.
    BitBtn2->setLayoutDirection(Qt::RightToLeft);
    BitBtn2->setIconSize(QSize(16, 16));

    Label5 = new LinkLabel(QStringLiteral(PAIRSIGHT_WEBSITE_HOST), siteUrl("https", QString()).toString(),
                           QColor(0x00, 0xff, 0x00), 13, Panel1);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setAlignment(Qt::AlignCenter);
    const int linkHeight = Label5->sizeHint().height();
    Label5->setGeometry(4, Panel1->height() - 1 - 3 - linkHeight, Panel1->width() - 8, linkHeight);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Credits1 = PopupMenu1->addAction(QString());
    Credits1->setObjectName(QStringLiteral("Credits1"));
    Howtouninstall1 = PopupMenu1->addAction(QString());
    Howtouninstall1->setObjectName(QStringLiteral("Howtouninstall1"));
    LicensePrivacyPolicy1 = PopupMenu1->addAction(QString());
    LicensePrivacyPolicy1->setObjectName(QStringLiteral("LicensePrivacyPolicy1"));

    tmTimer = new QTimer(this);
    tmTimer->setObjectName(QStringLiteral("tmTimer"));
    TimerEgg = new QTimer(this);
    TimerEgg->setObjectName(QStringLiteral("TimerEgg"));

    setTabOrder(BitBtn1, BitBtn2);
    BitBtn1->setFocus();

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &TAboutBox::BitBtn2Click, Qt::QueuedConnection);
    connect(Label5, &LinkLabel::clicked, this, &TAboutBox::Label5Click, Qt::QueuedConnection);
    connect(Credits1, &QAction::triggered, this, &TAboutBox::Credits1Click, Qt::QueuedConnection);
    connect(Howtouninstall1, &QAction::triggered, this, &TAboutBox::Howtouninstall1Click,
            Qt::QueuedConnection);
    connect(LicensePrivacyPolicy1, &QAction::triggered, this, &TAboutBox::LicensePrivacyPolicy1Click,
            Qt::QueuedConnection);
    connect(tmTimer, &QTimer::timeout, this, &TAboutBox::tmTimerTimer);
    connect(TimerEgg, &QTimer::timeout, this, &TAboutBox::TimerEggTimer);

    for (QWidget *handle : {static_cast<QWidget *>(Panel1), static_cast<QWidget *>(Image2),
                            static_cast<QWidget *>(VirtualImage1), static_cast<QWidget *>(Label2),
                            static_cast<QWidget *>(ImageEgg)})
        handle->installEventFilter(this);
}

void TAboutBox::FormCreate()
{
    m_rain.RainGlyphs = QStringLiteral("tnd");
    StartRain();
    QString title = TranslateText(QStringLiteral("About %s"));
    title.replace(QStringLiteral("%s"), AppProductName);
    setWindowTitle(title);
    Label2->setText(AppProductName + u' ' + AppVersion);
    BitBtn1->setText(TranslateText(QStringLiteral("OK")));
    BitBtn2->setText(TranslateText(QStringLiteral("Info")));
    Credits1->setText(TranslateText(QStringLiteral("Acknowledgements...")));
    Howtouninstall1->setText(TranslateText(QStringLiteral("How to uninstall...")));
    LicensePrivacyPolicy1->setText(TranslateText(QStringLiteral("License...")));
    HighDPIImageYukle();
    PanelEgg->move((width() - PanelEgg->width()) / 2, (height() - PanelEgg->height()) / 2);
}

void TAboutBox::StartRain()
{
    const QSize outer = frameGeometry().size();
    const qreal ratio = devicePixelRatioF();
    m_rainImage = QImage(outer * ratio, QImage::Format_RGB32);
    m_rainImage.setDevicePixelRatio(ratio);
    m_rain.StartRain(outer.width(), outer.height());
    ResetRain();
    tmTimer->start(50);
}

void TAboutBox::ResetRain()
{
    m_rainImage.fill(Qt::black);
    m_rain.ResetRain();
    update();
}

void TAboutBox::tmTimerTimer()
{
    {
        ImageCanvas canvas(m_rainImage);
        m_rain.RainTick(canvas);
    }
    update();
}

void TAboutBox::dpiChanged()
{
    StartRain();
    HighDPIImageYukle();
}

void TAboutBox::HighDPIImageYukle()
{
    const qreal ratio = devicePixelRatioF();
    Image2->setPixmap(artworkPixmap(QStringLiteral("tandrel-logo-big-ai-black"), LogoSize, ratio));
    ImageEgg->setPixmap(artworkPixmap(QStringLiteral("cat"), EggSize, ratio));
    // The program's icon is the application's, as the window manager shows it.
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = programIcon();
    VirtualImage1->setPixmap(icon.pixmap(IconSize, ratio));
    BitBtn2->setIcon(artworkIcon(QStringLiteral("arrow")));
}

void TAboutBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.drawImage(QPoint(0, 0), m_rainImage);
}

void TAboutBox::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    ResetRain();
}

void TAboutBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        QScreen *screen = this->screen();
        if (screen) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    if (!m_screenWatched && windowHandle()) {
        m_screenWatched = true;
        connect(windowHandle(), &QWindow::screenChanged, this, &TAboutBox::dpiChanged);
    }
}

void TAboutBox::Image1DblClick()
{
    if (TimerEgg->isActive())
        return;
    PanelEgg->show();
    const QScreen *primary = QGuiApplication::primaryScreen();
    const QScreen *mine = screen();
    TimerEgg->setInterval(
        eggInterval(primary ? primary->logicalDotsPerInch() : 96, mine ? mine->logicalDotsPerInch() : 96));
    TimerEgg->start();
}

void TAboutBox::TimerEggTimer()
{
    Panel1->move(Panel1->x() + 5, Panel1->y());
    if (Panel1->x() > width())
        TimerEgg->stop();
}

void TAboutBox::ImageEggDblClick()
{
    if (TimerEgg->isActive())
        return;
    PanelEgg->hide();
    Panel1->move((width() - Panel1->width()) / 2, Panel1->y());
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            if (watched == VirtualImage1)
                Image1DblClick();
            else if (watched == ImageEgg)
                ImageEggDblClick();
        }
        break;
    }
    case QEvent::MouseButtonPress:
        FormMouseDown(static_cast<QMouseEvent *>(event));
        break;
    case QEvent::MouseMove:
        FormMouseMove(static_cast<QMouseEvent *>(event));
        break;
    case QEvent::MouseButtonRelease:
        FormMouseUp(static_cast<QMouseEvent *>(event));
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::mousePressEvent(QMouseEvent *event)
{
    FormMouseDown(event);
}

void TAboutBox::mouseMoveEvent(QMouseEvent *event)
{
    FormMouseMove(event);
}

void TAboutBox::mouseReleaseEvent(QMouseEvent *event)
{
    FormMouseUp(event);
}

void TAboutBox::FormMouseDown(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        return;
    const QPoint at = event->globalPosition().toPoint();
    dx = at.x();
    dy = at.y();
    dragging = true;
}

void TAboutBox::FormMouseMove(QMouseEvent *event)
{
    if (!dragging)
        return;
    const QPoint at = event->globalPosition().toPoint();
    move(pos() + QPoint(at.x() - dx, at.y() - dy));
    dx = at.x();
    dy = at.y();
}

void TAboutBox::FormMouseUp(QMouseEvent *)
{
    dragging = false;
}

void TAboutBox::BitBtn2Click()
{
    PopupBelowButton(BitBtn2, PopupMenu1);
}

void TAboutBox::PopupBelowButton(QPushButton *button, QMenu *menu)
{
    if (!m_popupGuard.shouldOpen(button, menu, m_tickCount()))
        return;
    m_menuRunner(*menu, button->mapToGlobal(QPoint(0, button->height())));
    m_popupGuard.closed(button, menu, m_tickCount());
}

void TAboutBox::Label5Click()
{
    Dialogs::current().openUrl(siteUrl("https", QString()));
}

void TAboutBox::Credits1Click()
{
    Dialogs::current().openUrl(siteUrl("https", QStringLiteral("/blog/credits-and-acknowledgements/")));
}

void TAboutBox::Howtouninstall1Click()
{
    Dialogs::current().openUrl(siteUrl("http", QStringLiteral("/blog/how-to-uninstall-tandrel-software/")));
}

void TAboutBox::LicensePrivacyPolicy1Click()
{
    const QString name = QStringLiteral("license.txt");
    const QString path = QDir(shippedFileFolder(name)).filePath(name);
    if (QFileInfo(path).isFile()) {
        // The desktop's text viewer stands in for Notepad.
        Dialogs::current().openUrl(QUrl::fromLocalFile(path));
        return;
    }
    Dialogs::current().errorBox(this, TranslateText(QStringLiteral("License")),
                                TranslateText(QStringLiteral("File not found!")));
}
