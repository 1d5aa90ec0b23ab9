#pragma once

#include "about/popupguard.h"
#include "about/rain.h"

#include <QDialog>
#include <QImage>
#include <QPoint>

#include <cstdint>
#include <functional>

class LinkLabel;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

// The about window: logo, icon, product and version on a black panel, with
// the falling-characters rain behind it and a picture hidden beneath it.
// Modal; it destroys itself when it closes.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    // Milliseconds since some fixed moment, wrapping at 2^32.
    using TickSource = std::function<std::uint32_t()>;
    // Shows the menu at a screen position and returns when it has closed.
    using MenuRunner = std::function<void(QMenu &menu, const QPoint &screenPosition)>;
    void setTickSource(TickSource source) { m_tickCount = std::move(source); }
    void setMenuRunner(MenuRunner runner) { m_menuRunner = std::move(runner); }

    TRain &rain() { return m_rain; }
    // What the rain has drawn so far, in window coordinates.
    const QImage &rainImage() const { return m_rainImage; }

    // The components, by their names in the window's design.
    QFrame *Panel1;
    QLabel *Image2;
    QFrame *Bevel1;
    QLabel *VirtualImage1;
    QLabel *Label2;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;
    LinkLabel *Label5;
    QMenu *PopupMenu1;
    QAction *Credits1;
    QAction *Howtouninstall1;
    QAction *LicensePrivacyPolicy1;
    QWidget *PanelEgg;
    QLabel *ImageEgg;
    QTimer *tmTimer;
    QTimer *TimerEgg;

    void tmTimerTimer();
    void Image1DblClick();
    void TimerEggTimer();
    void ImageEggDblClick();
    void BitBtn2Click();
    void Label5Click();
    void Credits1Click();
    void Howtouninstall1Click();
    void LicensePrivacyPolicy1Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void createComponents();
    void FormCreate();
    void StartRain();
    void ResetRain();
    void dpiChanged();
    void HighDPIImageYukle();
    void PopupBelowButton(QPushButton *button, QMenu *menu);
    void FormMouseDown(QMouseEvent *event);
    void FormMouseMove(QMouseEvent *event);
    void FormMouseUp(QMouseEvent *event);

    TRain m_rain;
    QImage m_rainImage;
    PopupGuard m_popupGuard;
    TickSource m_tickCount;
    MenuRunner m_menuRunner;
    bool dragging = false;
    int dx = 0;
    int dy = 0;
    bool m_screenWatched = false;
    bool m_centred = false;
};
