#include "online/newversion.h"

#include "about/versioninfo.h"
#include "i18n/language.h"
#include "online/check.h"
#include "testsupport.h"
#include "widgets/fakedialogs.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class NewVersionPopup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resetUpdateCheckState();
        CloseCountdown = 11;
        AppProductName = QStringLiteral("Pairsight");
        LatestVersion = QStringLiteral("1.8");
        DownloadUrl = QStringLiteral("https://www.example.com/download/setup.exe");
        owner.show();
    }
    void TearDown() override
    {
        resetLanguageState();
        testsupport::isolateNetwork();
        CloseCountdown = 11;
    }

    // Created as the main window creates it, then shown by its first tick.
    TNewVer *shownPopup()
    {
        auto *popup = new TNewVer(&owner);
        EXPECT_FALSE(popup->isVisible()) << "hidden until its start timer fires";
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return popup->isVisible() && popup->geometry() == fullGeometry(); }));
        return popup;
    }
    static QRect fullGeometry()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        return QRect(screen.right() + 1 - 320 - 5, screen.top() + 5, 320, 68);
    }

    static void sendMouse(QWidget *target, QEvent::Type type, Qt::MouseButton button, QPoint global)
    {
        const Qt::MouseButtons held
            = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, target->mapFromGlobal(QPointF(global)), QPointF(global),
                          type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

    QWidget owner;
    FakeDialogs dialogs;
};

TEST_F(NewVersionPopup, AppearsInTheTopRightCornerWithoutFocusOrTaskbarButton)
{
    TNewVer *popup = shownPopup();
    EXPECT_EQ(popup->geometry(), fullGeometry());
    const Qt::WindowFlags flags = popup->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(popup->windowType(), Qt::Tool) << "a tool window has no taskbar button";
    EXPECT_TRUE(popup->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(popup->Label1->text(), QStringLiteral("UPDATE AVAILABLE"));
    EXPECT_EQ(popup->Label2->text(), QStringLiteral("Click to download Pairsight 1.8"));
    EXPECT_FALSE(popup->Image1->pixmap().isNull());
}

TEST_F(NewVersionPopup, TranslatesItsTextsButNotTheNameAndVersion)
{
    CurrentLanguageFile = QStringLiteral("test.lang.txt");
    LanguageTable = QStringList {QStringLiteral("{UPDATE AVAILABLE}NEUE VERSION"),
                                 QStringLiteral("{Click to download}Herunterladen:")};
    auto *popup = new TNewVer(&owner);
    EXPECT_EQ(popup->Label1->text(), QStringLiteral("NEUE VERSION"));
    EXPECT_EQ(popup->Label2->text(), QStringLiteral("Herunterladen: Pairsight 1.8"));
}

TEST_F(NewVersionPopup, TheLinkOpensOnlyAWebAddressAndClosesThePopup)
{
    struct Case
    {
        const char *link;
        QUrl opened;
    };
    const Case cases[] = {
        {"https://www.example.com/download/setup.exe",
         QUrl(QStringLiteral("https://www.example.com/download/setup.exe"))},
        {"", makerWebsite()},
        {"/usr/bin/xterm", makerWebsite()},
        {"file:///home/user/setup.sh", makerWebsite()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.link);
        DownloadUrl = QString::fromUtf8(c.link);
        dialogs.openedUrls.clear();
        QPointer<TNewVer> popup = shownPopup();
        QTest::mouseClick(popup->Label2, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !popup->isVisible(); }));
        EXPECT_EQ(dialogs.openedUrls, QList<QUrl> {c.opened});
        EXPECT_FALSE(popup.isNull()) << "closing hides the popup and keeps it";
    }
}

TEST_F(NewVersionPopup, TheCloseButtonHidesIt)
{
    QPointer<TNewVer> popup = shownPopup();
    QTest::mouseClick(popup->Button1, Qt::LeftButton);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_FALSE(popup.isNull());
    EXPECT_TRUE(dialogs.openedUrls.isEmpty());
}

TEST_F(NewVersionPopup, ClosesItselfWhenTheCountdownEnds)
{
    TNewVer *popup = shownPopup();
    EXPECT_TRUE(popup->TimerClose->isActive());
    EXPECT_EQ(popup->TimerClose->interval(), 1000);
    popup->TimerClose->stop(); // the test ticks it
    for (int tick = 1; tick < 11; ++tick)
        popup->TimerCloseTimer();
    EXPECT_EQ(CloseCountdown, 1);
    EXPECT_TRUE(popup->isVisible());
    popup->TimerCloseTimer();
    EXPECT_EQ(CloseCountdown, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popup->isVisible(); }));
    EXPECT_LT(popup->width(), 320) << "it shrank on the way out";
}

TEST_F(NewVersionPopup, DragsWithAnyButtonButTheRightOne)
{
    TNewVer *popup = shownPopup();
    struct Case
    {
        QWidget *part;
        Qt::MouseButton button;
        bool moves;
    };
    const Case cases[] = {
        {popup->Label1, Qt::LeftButton, true},     {popup->Label1, Qt::MiddleButton, true},
        {popup->Image1, Qt::LeftButton, true},     {popup->Panel3, Qt::LeftButton, true},
        {popup->Label1, Qt::RightButton, false},   {popup->Label2, Qt::LeftButton, false},
        {popup->Button1, Qt::MiddleButton, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.part->objectName().toStdString() + " " + std::to_string(int(c.button)));
        const QPoint before = popup->pos();
        const QPoint grab = c.part->mapToGlobal(QPoint(3, 3));
        sendMouse(c.part, QEvent::MouseButtonPress, c.button, grab);
        sendMouse(c.part, QEvent::MouseMove, c.button, grab + QPoint(-40, 25));
        sendMouse(c.part, QEvent::MouseMove, c.button, grab + QPoint(-50, 30));
        sendMouse(c.part, QEvent::MouseButtonRelease, c.button, grab + QPoint(-50, 30));
        EXPECT_EQ(popup->pos(), c.moves ? before + QPoint(-50, 30) : before);
        EXPECT_EQ(popup->size(), QSize(320, 68));
        // A move after the release drags nothing.
        sendMouse(c.part, QEvent::MouseMove, Qt::NoButton, grab + QPoint(-80, 80));
        EXPECT_EQ(popup->pos(), c.moves ? before + QPoint(-50, 30) : before);
        popup->show(); // the link and the close button close it
    }
}

TEST_F(NewVersionPopup, TheLinkTakesTheHighlightColourUnderTheCursor)
{
    TNewVer *popup = shownPopup();
    EXPECT_EQ(popup->TimerLink->interval(), 100);
    const QColor highlight = QApplication::palette("QMenu").color(QPalette::Highlight);
    const QColor text = QApplication::palette().color(QPalette::WindowText);
    ASSERT_NE(highlight, text);

    QCursor::setPos(popup->Label2->mapToGlobal(popup->Label2->rect().center()));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return popup->Label2->palette().color(QPalette::WindowText) == highlight; }));
    QCursor::setPos(popup->mapToGlobal(QPoint(-100, 200)));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return popup->Label2->palette().color(QPalette::WindowText) == text; }));
}

} // namespace
