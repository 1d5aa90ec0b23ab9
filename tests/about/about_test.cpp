#include "about/about.h"

#include "platform/buildinfo.h"

#include "about/versioninfo.h"
#include "i18n/language.h"
#include "platform/programfolder.h"
#include "testsupport.h"
#include "widgets/fakedialogs.h"
#include "widgets/linklabel.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::TempDir;

class AboutBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_product = AppProductName;
        m_version = AppVersion;
        AppProductName = u"Pairsight"_s;
        AppVersion = u"1.7"_s;
        m_folder = programFolder();
        overrideProgramFolder(program.path());
        box = new TAboutBox;
    }
    void TearDown() override
    {
        delete box.data();
        overrideProgramFolder(m_folder);
        resetLanguageState();
        AppProductName = m_product;
        AppVersion = m_version;
    }

    // Deletes the box if it asked to be deleted.
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    static void loadGerman(const TempDir &dir)
    {
        const QString languages = dir.file(u"Languages"_s);
        QDir().mkpath(languages);
        testsupport::writeAll(
            languages + u"/German.lang.txt"_s,
            "{About %s}\xC3\x9C"
            "ber %s\n{OK}OK\n{Info}Info\n"
            "{Acknowledgements...}Danksagungen...\n{How to uninstall...}Deinstallation...\n"
            "{License...}Lizenz...\n{File not found!}Datei nicht gefunden!\n{License}Lizenz\n");
        loadLanguageFrom(dir.path(), u"German.lang.txt"_s, 1031);
    }

    FakeDialogs dialogs;
    TempDir program;
    QPointer<TAboutBox> box;

private:
    QString m_product;
    QString m_version;
    QString m_folder;
};

TEST_F(AboutBoxTest, ShowsProductVersionAndTheRain)
{
    EXPECT_EQ(box->windowTitle(), u"About Pairsight"_s);
    EXPECT_EQ(box->Label2->text(), u"Pairsight 1.7"_s);
    EXPECT_EQ(box->BitBtn1->text(), u"OK"_s);
    EXPECT_EQ(box->BitBtn2->text(), u"Info"_s);
    QStringList items;
    for (const QAction *action : box->PopupMenu1->actions())
        items << action->text();
    EXPECT_EQ(items, (QStringList {u"Acknowledgements..."_s, u"How to uninstall..."_s, u"License..."_s}));
    EXPECT_TRUE(box->windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(box->size(), QSize(446, 374));
    EXPECT_EQ(box->Panel1->geometry(), QRect(48, 42, 350, 291));
    EXPECT_FALSE(box->PanelEgg->isVisible());
    EXPECT_EQ(box->PanelEgg->geometry(), QRect(61, 77, 324, 220));
    EXPECT_FALSE(box->VirtualImage1->pixmap().isNull());
    EXPECT_FALSE(box->Image2->pixmap().isNull());
    EXPECT_FALSE(box->ImageEgg->pixmap().isNull());
    EXPECT_EQ(box->Label5->text(), QStringLiteral(PAIRSIGHT_WEBSITE_HOST));

    EXPECT_EQ(box->rain().RainGlyphs, u"tnd"_s);
    EXPECT_TRUE(box->tmTimer->isActive());
    EXPECT_EQ(box->tmTimer->interval(), 50);
    EXPECT_EQ(box->rain().RainDropCount(), box->rain().matrixWidth * 2);
    // A few steps leave glyphs on the black background.
    for (int i = 0; i < 5; ++i)
        box->tmTimerTimer();
    const QImage rain = box->rainImage().convertToFormat(QImage::Format_RGB32);
    bool drawn = false;
    for (int y = 0; y < rain.height() && !drawn; ++y)
        for (int x = 0; x < rain.width() && !drawn; ++x)
            drawn = qGreen(rain.pixel(x, y)) > 0;
    EXPECT_TRUE(drawn);
}

TEST_F(AboutBoxTest, TextsAreTranslated)
{
    delete box.data();
    const TempDir dir;
    loadGerman(dir);
    box = new TAboutBox;
    EXPECT_EQ(box->windowTitle(), u"Über Pairsight"_s);
    EXPECT_EQ(box->Credits1->text(), u"Danksagungen..."_s);
    EXPECT_EQ(box->LicensePrivacyPolicy1->text(), u"Lizenz..."_s);
}

TEST_F(AboutBoxTest, OkAndEscapeOnEitherButtonCloseAndDestroyIt)
{
    struct Case
    {
        const char *what;
        std::function<void(TAboutBox &)> act;
    };
    const Case cases[] = {
        {"OK clicked", [](TAboutBox &b) { QTest::mouseClick(b.BitBtn1, Qt::LeftButton); }},
        {"Escape on OK", [](TAboutBox &b) { QTest::keyClick(b.BitBtn1, Qt::Key_Escape); }},
        {"Escape on Info", [](TAboutBox &b) { QTest::keyClick(b.BitBtn2, Qt::Key_Escape); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        delete box.data();
        box = new TAboutBox;
        box->show();
        c.act(*box);
        flushDeletes();
        EXPECT_TRUE(box.isNull());
    }
}

TEST_F(AboutBoxTest, TheIconSlidesThePanelOutAndThePictureBringsItBack)
{
    box->show();
    const int top = box->Panel1->y();
    QTest::mouseDClick(box->VirtualImage1, Qt::LeftButton);
    EXPECT_TRUE(box->PanelEgg->isVisible());
    ASSERT_TRUE(box->TimerEgg->isActive());
    EXPECT_EQ(box->TimerEgg->interval(), 5);
    // Step by hand from here on.
    box->TimerEgg->setInterval(3600 * 1000);
    const int left = box->Panel1->x();
    box->TimerEggTimer();
    box->TimerEggTimer();
    EXPECT_EQ(box->Panel1->pos(), QPoint(left + 10, top));

    // Ignored while it slides: the icon does not start it again, the picture does not end it.
    QTest::mouseDClick(box->VirtualImage1, Qt::LeftButton);
    EXPECT_EQ(box->TimerEgg->interval(), 3600 * 1000);
    QTest::mouseDClick(box->ImageEgg, Qt::LeftButton);
    EXPECT_TRUE(box->PanelEgg->isVisible());
    EXPECT_EQ(box->Panel1->pos(), QPoint(left + 10, top));

    for (int steps = 0; box->TimerEgg->isActive() && steps < 1000; ++steps)
        box->TimerEggTimer();
    EXPECT_FALSE(box->TimerEgg->isActive());
    EXPECT_GT(box->Panel1->x(), box->width());
    EXPECT_LE(box->Panel1->x(), box->width() + 5);

    QTest::mouseDClick(box->ImageEgg, Qt::LeftButton);
    EXPECT_FALSE(box->PanelEgg->isVisible());
    EXPECT_EQ(box->Panel1->pos(), QPoint(48, top));
}

TEST_F(AboutBoxTest, DraggingMovesTheWindowWithAnyButtonButTheRightOne)
{
    struct Case
    {
        const char *what;
        Qt::MouseButton button;
        bool onPanel;
        bool moves;
    };
    const Case cases[] = {
        {"left on the background", Qt::LeftButton, false, true},
        {"left on the panel", Qt::LeftButton, true, true},
        {"middle on the panel", Qt::MiddleButton, true, true},
        {"right on the background", Qt::RightButton, false, false},
        {"right on the panel", Qt::RightButton, true, false},
    };
    box->show();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        box->move(100, 100);
        const QPoint start = box->pos();
        QWidget *target = c.onPanel ? static_cast<QWidget *>(box->Panel1) : box.data();
        const QPointF local(10, 10);
        const QPointF global = target->mapToGlobal(local);
        const QPointF step(30, 20);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, c.button, c.button, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
        for (int i = 1; i <= 2; ++i) {
            QMouseEvent move(QEvent::MouseMove, local, global + i * step, Qt::NoButton, c.button,
                             Qt::NoModifier);
            QCoreApplication::sendEvent(target, &move);
        }
        QMouseEvent release(QEvent::MouseButtonRelease, local, global + 2 * step, c.button, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(target, &release);
        EXPECT_EQ(box->pos(), c.moves ? start + QPoint(60, 40) : start);

        // After the release, moving the mouse moves nothing.
        const QPoint after = box->pos();
        QMouseEvent hover(QEvent::MouseMove, local, global + 3 * step, Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(target, &hover);
        EXPECT_EQ(box->pos(), after);
    }
}

TEST_F(AboutBoxTest, AClickOnInfoRightAfterItsMenuClosedLeavesItClosed)
{
    std::uint32_t now = 5000;
    int opened = 0;
    QPoint openedAt;
    box->setTickSource([&now] { return now; });
    box->setMenuRunner([&](QMenu &menu, const QPoint &at) {
        EXPECT_EQ(&menu, box->PopupMenu1);
        ++opened;
        openedAt = at;
        now += 400; // the user looks at the menu, then clicks the button again
    });
    box->show();
    auto clickInfo = [this] {
        QTest::mouseClick(box->BitBtn2, Qt::LeftButton);
        QCoreApplication::processEvents();
    };
    clickInfo();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(openedAt, box->BitBtn2->mapToGlobal(QPoint(0, box->BitBtn2->height())));
    now += 40; // the click that closed the menu reaches the button
    clickInfo();
    EXPECT_EQ(opened, 1);
    now += 10;
    clickInfo();
    EXPECT_EQ(opened, 2);
    now += 150;
    clickInfo();
    EXPECT_EQ(opened, 3);
}

TEST_F(AboutBoxTest, LinksOpenTheMakersPages)
{
    const QString host = QStringLiteral(PAIRSIGHT_WEBSITE_HOST);
    QTest::mouseClick(box->Label5, Qt::LeftButton);
    box->Credits1->trigger();
    box->Howtouninstall1->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.openedUrls,
              (QList<QUrl> {QUrl(u"https://"_s + host),
                            QUrl(u"https://"_s + host + u"/blog/credits-and-acknowledgements/"_s),
                            QUrl(u"http://"_s + host + u"/blog/how-to-uninstall-tandrel-software/"_s)}));
    EXPECT_EQ(box->Label5->toolTip(), u"https://"_s + host);
}

TEST_F(AboutBoxTest, LicenseOpensTheFileBesideTheProgram)
{
    const QString license = program.write(u"license.txt"_s, "MIT License\n");
    box->LicensePrivacyPolicy1->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.openedUrls, QList<QUrl> {QUrl::fromLocalFile(license)});
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(AboutBoxTest, WithoutTheLicenseFileABoxSaysSoInTheLanguage)
{
    box->LicensePrivacyPolicy1->trigger();
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
    EXPECT_EQ(dialogs.errorBoxes[0].title, u"License"_s);
    EXPECT_EQ(dialogs.errorBoxes[0].text, u"File not found!"_s);
    EXPECT_TRUE(dialogs.openedUrls.isEmpty());

    delete box.data();
    const TempDir dir;
    loadGerman(dir);
    box = new TAboutBox;
    box->LicensePrivacyPolicy1->trigger();
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.errorBoxes.size(), 2u);
    EXPECT_EQ(dialogs.errorBoxes[1].title, u"Lizenz"_s);
    EXPECT_EQ(dialogs.errorBoxes[1].text, u"Datei nicht gefunden!"_s);
}

TEST(License, LiesBesideTheBuiltProgram)
{
    const QByteArray text
        = testsupport::readAll(QStringLiteral(PAIRSIGHT_BUILT_PROGRAM_FOLDER "/license.txt"));
    EXPECT_TRUE(text.startsWith("MIT License\n"));
    EXPECT_TRUE(text.contains("Copyright (c) 2026 TANDREL"));
}

} // namespace
