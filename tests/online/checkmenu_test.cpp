#include "about/versioninfo.h"
#include "app/appform.h"
#include "localserver.h"
#include "online/check.h"
#include "online/feedback.h"
#include "online/newversion.h"
#include "online/updatestore.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using testsupport::LocalServer;
using testsupport::ServiceOnLoopback;

class MainWindowUpdateCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile::remove(UpdateSettingsStore::defaultFileName());
        resetUpdateCheckState(); // this run's check has not started yet
        CloseCountdown = 11;
    }
    void TearDown() override
    {
        QFile::remove(UpdateSettingsStore::defaultFileName());
        testsupport::isolateNetwork();
    }

    void storeShowUpdate(const QString &value)
    {
        QSettings settings(UpdateSettingsStore::defaultFileName(), QSettings::NativeFormat);
        settings.setValue(QStringLiteral("Settings/ShowUpdate"), value);
    }
    QString storedShowUpdate() const
    {
        return QSettings(UpdateSettingsStore::defaultFileName(), QSettings::NativeFormat)
            .value(QStringLiteral("Settings/ShowUpdate"))
            .toString();
    }

    LocalServer server {
        LocalServer::Mode::TlsOrPlain, [](const LocalServer::Request &) {
            return LocalServer::Response {
                200, "<version>1.8</version>\n<url>https://www.example.com/get</url>\n\n<result>1</result>"};
        }};
    ServiceOnLoopback service {server};
};

TEST_F(MainWindowUpdateCheck, TheFirstTickStartsTheCheckAndALaterOneShowsThePopup)
{
    TAppForm form;
    EXPECT_TRUE(form.TimerChecker->isActive());
    EXPECT_EQ(form.TimerChecker->interval(), 1000);
    EXPECT_FALSE(form.UpdateNotifications1->isEnabled());
    EXPECT_TRUE(form.UpdateNotifications1->isChecked());

    ASSERT_TRUE(QTest::qWaitFor([&] { return form.UpdateNotifications1->isEnabled(); }, 15000));
    EXPECT_FALSE(form.TimerChecker->isActive());
    EXPECT_TRUE(form.UpdateNotifications1->isChecked());
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_TRUE(server.requests()[0].fields().contains(QStringLiteral("appname=") + AppTitle));
    EXPECT_TRUE(server.requests()[0].fields().contains(QStringLiteral("version=") + AppVersion));

    const auto popups = form.findChildren<TNewVer *>();
    ASSERT_EQ(popups.size(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return popups[0]->isVisible(); }));
    EXPECT_EQ(popups[0]->Label2->text(), QStringLiteral("Click to download ") + AppProductName + u" 1.8");
}

TEST_F(MainWindowUpdateCheck, PopupsSwitchedOffLeaveTheItemUnchecked)
{
    storeShowUpdate(QStringLiteral("0"));
    TAppForm form;
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.UpdateNotifications1->isEnabled(); }, 15000));
    EXPECT_FALSE(form.UpdateNotifications1->isChecked());
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(form.findChildren<TNewVer *>().isEmpty());

    // The menu item switches them on again for the next run, and off.
    form.UpdateNotifications1->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return storedShowUpdate() == QStringLiteral("1"); }));
    EXPECT_TRUE(form.UpdateNotifications1->isChecked());
    form.UpdateNotifications1->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return storedShowUpdate() == QStringLiteral("0"); }));
    EXPECT_FALSE(form.UpdateNotifications1->isChecked());
}

TEST(MainWindowFeedback, TheMenuItemOpensTheFeedbackWindowModally)
{
    TAppForm form;
    form.show();
    QPointer<TFeedbackForm> opened;
    bool wasModal = false;
    // The window runs its own event loop; this looks in from there.
    QTimer probe;
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        auto *modal = qobject_cast<TFeedbackForm *>(QApplication::activeModalWidget());
        if (!modal)
            return;
        probe.stop();
        opened = modal;
        wasModal = modal->isModal() && modal->parentWidget() == &form;
        QTest::keyClick(modal->Memo1, Qt::Key_Escape);
    });
    probe.start();
    form.SendFeedback1->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !probe.isActive(); }, 10000));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(opened.isNull()) << "closed and freed";
}

} // namespace
