#include "online/check.h"

#include "i18n/language.h"
#include "localserver.h"
#include "online/request.h"
#include "online/updatestore.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QPointer>
#include <QSettings>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using testsupport::LocalServer;
using testsupport::ServiceOnLoopback;

const QString Title = QStringLiteral("TANDREL - Pairsight");
const QString Running = QStringLiteral("1.7");
const QString Url = QStringLiteral("https://www.example.com/download/pairsight-setup.exe");

QByteArray reply(const QString &version, const QString &result = QStringLiteral("1"))
{
    return (QStringLiteral("<version>") + version + QStringLiteral("</version>\r\n<url>") + Url
            + QStringLiteral("</url>\r\n<notes>whatever</notes>\r\n<result>") + result
            + QStringLiteral("</result>\r\n"))
        .toUtf8();
}

class UpdateCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NO_THROW(ReadMachineId()) << "the tests expect a readable /etc/machine-id, or none";
        resetUpdateCheckState();
        storeFile = UpdateSettingsStore::defaultFileName();
        QFile::remove(storeFile);
        QDir().rmdir(storeFile);
        setReply(reply(QStringLiteral("1.8")));
    }
    void TearDown() override
    {
        QFile::remove(storeFile);
        QDir().rmdir(storeFile);
        testsupport::isolateNetwork();
    }

    void setReply(const QByteArray &body)
    {
        server.setHandler([body](const LocalServer::Request &) { return LocalServer::Response {200, body}; });
        plainServer.setHandler([body](const LocalServer::Request &) {
            return LocalServer::Response {200, body};
        });
    }

    // One check, on this thread, as the worker runs it.
    void check(const QString &appVersion = Running)
    {
        resetUpdateCheckState();
        TChecker checker(Title, appVersion);
        checker.CheckNow();
        ASSERT_TRUE(CheckDone.load());
    }

    void store(const QString &key, const QString &value)
    {
        QSettings settings(storeFile, QSettings::NativeFormat);
        settings.setValue(QStringLiteral("Settings/") + key, value);
    }
    QString stored(const QString &key) const
    {
        return QSettings(storeFile, QSettings::NativeFormat)
            .value(QStringLiteral("Settings/") + key)
            .toString();
    }
    size_t requestCount() const { return server.requests().size() + plainServer.requests().size(); }

    LocalServer server {LocalServer::Mode::TlsOrPlain};
    LocalServer plainServer {LocalServer::Mode::Plain};
    ServiceOnLoopback service {server};
    QString storeFile;
};

TEST_F(UpdateCheck, FirstRunSendsTheSixFieldsAndShowsThePopup)
{
    check();
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].tls);
    EXPECT_EQ(requests[0].path, "/php/check2.php");
    EXPECT_EQ(requests[0].fields(),
              (QStringList {QStringLiteral("cmd=check"), QStringLiteral("appname=") + Title,
                            QStringLiteral("version=1.7"), QStringLiteral("os=") + OsDescription(),
                            QStringLiteral("local=") + GetLanguageCode(),
                            QStringLiteral("guid=") + ReadMachineId()}));
    EXPECT_FALSE(CheckFailed);
    EXPECT_TRUE(NewVersionAvailable);
    EXPECT_EQ(LatestVersion, QStringLiteral("1.8"));
    EXPECT_EQ(DownloadUrl, Url);
    EXPECT_EQ(CheckedShowUpdate, 1);
    EXPECT_EQ(stored(QLatin1StringView(KeyLastUpdateCheck)), todayText());
    EXPECT_EQ(stored(QLatin1StringView(KeyLastUpdateCheckCount)), QStringLiteral("1"));
}

TEST_F(UpdateCheck, CountsTheDaysChecksAcrossStarts)
{
    for (int start = 1; start <= 7; ++start) {
        SCOPED_TRACE(start);
        check();
        EXPECT_EQ(requestCount(), size_t(std::min(start, 5))) << "five requests a day";
        EXPECT_EQ(NewVersionAvailable, start <= 3) << "popups on the first three";
        EXPECT_EQ(stored(QLatin1StringView(KeyLastUpdateCheckCount)), QString::number(std::min(start, 5)));
    }

    // The next day starts again at one.
    const QString yesterday
        = QLocale::system().toString(QDate::currentDate().addDays(-1), QLocale::ShortFormat);
    store(QLatin1StringView(KeyLastUpdateCheck), yesterday);
    check();
    EXPECT_EQ(requestCount(), 6u);
    EXPECT_TRUE(NewVersionAvailable);
    EXPECT_EQ(stored(QLatin1StringView(KeyLastUpdateCheck)), todayText());
    EXPECT_EQ(stored(QLatin1StringView(KeyLastUpdateCheckCount)), QStringLiteral("1"));
}

TEST_F(UpdateCheck, AChangedDateFormatCountsAsANewDay)
{
    const QString otherFormat = QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd!"));
    ASSERT_NE(otherFormat, todayText());
    store(QLatin1StringView(KeyLastUpdateCheck), otherFormat);
    store(QLatin1StringView(KeyLastUpdateCheckCount), QStringLiteral("5"));
    check();
    EXPECT_EQ(requestCount(), 1u);
    EXPECT_TRUE(NewVersionAvailable);
    EXPECT_EQ(stored(QLatin1StringView(KeyLastUpdateCheckCount)), QStringLiteral("1"));
}

TEST_F(UpdateCheck, ShowUpdateZeroSendsNothing)
{
    store(QLatin1StringView(KeyShowUpdate), QStringLiteral("0"));
    check();
    EXPECT_EQ(requestCount(), 0u);
    EXPECT_FALSE(NewVersionAvailable);
    EXPECT_EQ(CheckedShowUpdate, 0);
    EXPECT_EQ(stored(QLatin1StringView(KeyLastUpdateCheckCount)), QString()) << "not counted";
}

TEST_F(UpdateCheck, AnotherShowUpdateValueSendsAndCountsButShowsNoPopup)
{
    store(QLatin1StringView(KeyShowUpdate), QStringLiteral("2"));
    check();
    EXPECT_EQ(requestCount(), 1u);
    EXPECT_EQ(stored(QLatin1StringView(KeyLastUpdateCheckCount)), QStringLiteral("1"));
    EXPECT_FALSE(CheckFailed);
    EXPECT_FALSE(NewVersionAvailable);
    EXPECT_EQ(CheckedShowUpdate, 2);
}

TEST_F(UpdateCheck, AnyDifferingNumericVersionShowsThePopup)
{
    struct Case
    {
        const char *announced;
        bool popup;
    };
    const Case cases[] = {
        {"1.10", true},      {"1.6", true},  {"1.7.0", true},       {"1.7", false},    {"", false},
        {"2.0 beta", false}, {"1.x", false}, {"2147483648", false}, {"2.1.4.7", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.announced);
        QFile::remove(storeFile); // each case is a first check of the day
        setReply(reply(QString::fromUtf8(c.announced)));
        check();
        EXPECT_FALSE(CheckFailed);
        EXPECT_EQ(LatestVersion, QString::fromUtf8(c.announced));
        EXPECT_EQ(NewVersionAvailable, c.popup);
    }
}

TEST_F(UpdateCheck, AnInvalidReplyShowsNoPopup)
{
    struct Case
    {
        const char *name;
        QByteArray body;
    };
    const Case cases[] = {
        {"three lines", "<version>1.8</version>\r\n<url>http://x/</url>\r\n<result>1</result>\r\n"},
        {"result 2", reply(QStringLiteral("1.8"), QStringLiteral("2"))},
        {"result empty", reply(QStringLiteral("1.8"), QString())},
        {"result with a blank", reply(QStringLiteral("1.8"), QStringLiteral("1 "))},
        {"starts with ERROR", "ERROR" + reply(QStringLiteral("1.8"))},
        {"empty", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(storeFile);
        setReply(c.body);
        check();
        EXPECT_EQ(requestCount(), size_t(&c - cases + 1));
        EXPECT_TRUE(CheckFailed);
        EXPECT_FALSE(NewVersionAvailable);
        EXPECT_EQ(LatestVersion, QString()) << "an invalid reply is not used";
    }
}

TEST_F(UpdateCheck, ResultZeroIsAValidReplyToo)
{
    setReply(reply(QStringLiteral("1.8"), QStringLiteral("0")));
    check();
    EXPECT_FALSE(CheckFailed);
    EXPECT_TRUE(NewVersionAvailable);
}

TEST_F(UpdateCheck, BothAttemptsFailingStillCount)
{
    overrideServiceHost(testsupport::closedServiceHost());
    check();
    EXPECT_TRUE(CheckFailed);
    EXPECT_FALSE(NewVersionAvailable);
    EXPECT_EQ(stored(QLatin1StringView(KeyLastUpdateCheckCount)), QStringLiteral("1"));
}

TEST_F(UpdateCheck, AGoodHttpRetryIsUsedAsIfHttpsHadWorked)
{
    const ServiceOnLoopback plain(plainServer);
    check();
    EXPECT_EQ(plainServer.refusedHandshakes(), 1);
    ASSERT_EQ(plainServer.requests().size(), 1u);
    EXPECT_FALSE(CheckFailed);
    EXPECT_TRUE(NewVersionAvailable);
    EXPECT_EQ(DownloadUrl, Url);
}

TEST_F(UpdateCheck, AFailureBeforeTheRequestIsClearedOnlyByAGoodHttpRetry)
{
    // A folder where the store's file should be: opening the store fails.
    ASSERT_TRUE(QDir().mkpath(storeFile));
    check();
    EXPECT_EQ(requestCount(), 1u) << "the request goes out all the same";
    EXPECT_TRUE(CheckFailed) << "a good HTTPS reply does not make up for it";
    EXPECT_FALSE(NewVersionAvailable);

    const ServiceOnLoopback plain(plainServer);
    check();
    EXPECT_FALSE(CheckFailed);
    EXPECT_TRUE(NewVersionAvailable);
}

TEST_F(UpdateCheck, TheWorkerRunsTheCheckAndFreesItself)
{
    const QPointer<TChecker> checker = TChecker::Start(Title, Running);
    QElapsedTimer clock;
    clock.start();
    while (!CheckDone.load(std::memory_order_acquire) && clock.elapsed() < 30000)
        QThread::msleep(5);
    ASSERT_TRUE(CheckDone.load());
    EXPECT_TRUE(NewVersionAvailable);
    // Its deletion is queued to this thread once it has finished.
    while (checker && clock.elapsed() < 30000) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(5);
    }
    EXPECT_TRUE(checker.isNull());
}

TEST(downloadTarget, OpensOnlyWebAddresses)
{
    const QUrl website = makerWebsite();
    EXPECT_EQ(website.scheme(), QStringLiteral("http"));
    struct Case
    {
        const char *link;
        const char *opened; // nullptr: the maker's web site
    };
    const Case cases[] = {
        {"https://www.example.com/download/setup.exe", "https://www.example.com/download/setup.exe"},
        {"http://www.example.com/get?v=1.8", "http://www.example.com/get?v=1.8"},
        {"HTTPS://WWW.EXAMPLE.COM/a", "https://www.example.com/a"},
        {"", nullptr},
        {"file:///etc/passwd", nullptr},
        {"/usr/bin/xterm", nullptr},
        {"calc.exe", nullptr},
        {"C:\\Windows\\system32\\cmd.exe", nullptr},
        {"javascript:alert(1)", nullptr},
        {"ftp://www.example.com/setup.exe", nullptr},
        {"https://", nullptr},
        {"http:///path", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.link);
        EXPECT_EQ(downloadTarget(QString::fromUtf8(c.link)),
                  c.opened ? QUrl(QString::fromUtf8(c.opened)) : website);
    }
}

} // namespace
