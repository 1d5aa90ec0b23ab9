#include "online/request.h"

#include "localserver.h"
#include "platform/apperror.h"
#include "testsupport.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using testsupport::LocalServer;
using testsupport::ServiceOnLoopback;

LocalServer::Handler replying(int status, const QByteArray &body)
{
    return [=](const LocalServer::Request &) { return LocalServer::Response {status, body}; };
}

QString errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const AppError &error) {
        return error.message();
    }
    return QString();
}

TEST(PostForm, HttpsReturnsTheBodyWhateverTheStatus)
{
    LocalServer server(LocalServer::Mode::TlsOrPlain, replying(500, "ERROR"));
    const ServiceOnLoopback service(server);
    const QString endpoint = serviceEndpoint(QStringLiteral("/php/check2.php"));

    const FallbackReply answer = PostWithFallback(endpoint, {QStringLiteral("cmd=check")}, 5000);
    EXPECT_EQ(answer.reply, QStringLiteral("ERROR"));
    EXPECT_FALSE(answer.httpsFailed);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u) << "no plain HTTP attempt follows";
    EXPECT_TRUE(requests[0].tls);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, "/php/check2.php");
    EXPECT_EQ(requests[0].headers.value("connection"), "close");
    EXPECT_EQ(requests[0].headers.value("content-type"), "application/x-www-form-urlencoded; charset=UTF-8");
}

TEST(PostForm, PlainHttpRaisesOnAStatusThatIsNotASuccess)
{
    LocalServer server(LocalServer::Mode::Plain, replying(500, "ERROR"));
    const QString url = QStringLiteral("http://") + server.host() + QStringLiteral("/php/check2.php");
    const QString message = errorOf([&] { PostForm(url, {QStringLiteral("cmd=check")}, 5000); });
    EXPECT_TRUE(message.contains(url)) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("500"))) << message.toStdString();

    server.setHandler(replying(200, "fine"));
    EXPECT_EQ(PostForm(url, {QStringLiteral("cmd=check")}, 5000), QStringLiteral("fine"));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[1].tls);
    EXPECT_EQ(requests[1].headers.value("content-type"), "application/x-www-form-urlencoded");
}

TEST(PostWithFallback, AFailedHandshakeFallsBackToHttpWithTheSameFields)
{
    LocalServer server(LocalServer::Mode::Plain, replying(200, "<version>1.8</version>"));
    const ServiceOnLoopback service(server);
    const QStringList fields {QStringLiteral("cmd=check"), QStringLiteral("os=Linux (x86_64)"),
                              QStringLiteral("guid=")};

    const FallbackReply answer
        = PostWithFallback(serviceEndpoint(QStringLiteral("/php/check2.php")), fields, 5000);
    EXPECT_EQ(answer.reply, QStringLiteral("<version>1.8</version>"));
    EXPECT_TRUE(answer.httpsFailed);
    EXPECT_EQ(server.refusedHandshakes(), 1);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].tls);
    EXPECT_EQ(requests[0].fields(), fields);
}

TEST(PostWithFallback, AnUntrustedCertificateIsRefused)
{
    LocalServer server(LocalServer::Mode::TlsOrPlain, replying(200, "OK"),
                       LocalServer::Certificate::Untrusted);
    const ServiceOnLoopback service(server);

    const FallbackReply answer = PostWithFallback(serviceEndpoint(QStringLiteral("/php/feedback.php")),
                                                  {QStringLiteral("a=b")}, 5000);
    EXPECT_TRUE(answer.httpsFailed);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u) << "the request went only over plain HTTP";
    EXPECT_FALSE(requests[0].tls);
}

TEST(PostWithFallback, TimesOutTwiceOnAServerThatNeverAnswers)
{
    LocalServer server(LocalServer::Mode::Silent);
    const ServiceOnLoopback service(server);
    const QString endpoint = serviceEndpoint(QStringLiteral("/php/check2.php"));

    const QString message = errorOf([&] { PostWithFallback(endpoint, {QStringLiteral("cmd=check")}, 200); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("The request to http://") + endpoint))
        << "the error is the second attempt's: " << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("imeout")) || message.contains(QStringLiteral("timed out")))
        << message.toStdString();
    EXPECT_EQ(server.connections(), 2);
}

TEST(PostForm, RaisesWhenNothingListens)
{
    // The port of a server that has just stopped is closed.
    QString url;
    {
        LocalServer server(LocalServer::Mode::Plain);
        url = QStringLiteral("http://") + server.host() + QStringLiteral("/x");
    }
    EXPECT_TRUE(errorOf([&] { PostForm(url, {}, 2000); }).contains(url));
}

TEST(PostForm, CutsOffAReplyOverOneMebibyte)
{
    LocalServer server(LocalServer::Mode::TlsOrPlain);
    const ServiceOnLoopback service(server);
    const QString url = QStringLiteral("https://") + server.host() + QStringLiteral("/big");

    server.setHandler(replying(200, QByteArray(MaxReplyBytes, 'x')));
    EXPECT_EQ(PostForm(url, {}, 5000).size(), MaxReplyBytes);

    server.setHandler(replying(200, QByteArray(MaxReplyBytes + 1, 'x')));
    const QString message = errorOf([&] { PostForm(url, {}, 5000); });
    EXPECT_TRUE(message.contains(QStringLiteral("larger than"))) << message.toStdString();
}

TEST(encodeFormFields, EncodesNamesAndValuesFromUtf8)
{
    struct Case
    {
        const char *name;
        QStringList fields;
        QByteArray body;
    };
    const Case cases[] = {
        {"no fields", {}, ""},
        {"fixed text", {QStringLiteral("cmd=check")}, "cmd=check"},
        {"empty value", {QStringLiteral("guid=")}, "guid="},
        {"only the first = separates", {QStringLiteral("a=b=c==")}, "a=b%3Dc%3D%3D"},
        {"line breaks",
         {QStringLiteral("feedback=I like it!\rone\r\ntwo")},
         "feedback=I+like+it%21%0Done%0D%0Atwo"},
        {"reserved characters", {QStringLiteral("q=a&b+c%d/e?")}, "q=a%26b%2Bc%25d%2Fe%3F"},
        {"non-ASCII", {QStringLiteral("os=Gr\u00fc\u00dfe \u20ac")}, "os=Gr%C3%BC%C3%9Fe+%E2%82%AC"},
        {"name encoded too", {QStringLiteral("a b=1")}, "a+b=1"},
        {"order kept", {QStringLiteral("z=1"), QStringLiteral("a=2"), QStringLiteral("m=")}, "z=1&a=2&m="},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(encodeFormFields(c.fields), c.body);
    }
}

TEST(encodeFormFields, TheServerReadsBackEveryFieldWhole)
{
    LocalServer server(LocalServer::Mode::TlsOrPlain, replying(200, "OK"));
    const ServiceOnLoopback service(server);
    const QStringList fields {QStringLiteral("cmd=feedback"),
                              QStringLiteral("feedback=I like it!\r1 = 2\r\n& more"),
                              QStringLiteral("email=a+b@example.com"), QStringLiteral("guid=")};
    PostWithFallback(serviceEndpoint(QStringLiteral("/php/feedback.php")), fields, 5000);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].fields(), fields);
}

TEST(ExtractTag, TakesTheTextOfExactlyOneElement)
{
    struct Case
    {
        const char *line;
        const char *tag;
        const char *result;
    };
    const Case cases[] = {
        {"<version>1.8</version>", "version", "1.8"},
        {"<url>http://x/y?a=1</url>", "url", "http://x/y?a=1"},
        {"<result>1</result>", "RESULT", "1"}, // the tag is lower-cased, the line is not
        {"<RESULT>1</RESULT>", "result", ""},
        {"<RESULT>1</RESULT>", "RESULT", ""},
        {"<result></result>", "result", ""},
        {" <result>1</result>", "result", ""},
        {"<result>1</result> ", "result", ""},
        {"<result> 1 </result>", "result", " 1 "},
        {"<result>&amp;</result>", "result", "&amp;"},
        {"<result>1</other>", "result", ""},
        {"<result>", "result", ""},
        {"<result></result", "result", ""},
        {"", "result", ""},
        {"<>x</>", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.line) + " / " + c.tag);
        EXPECT_EQ(ExtractTag(QString::fromUtf8(c.line), QString::fromUtf8(c.tag)),
                  QString::fromUtf8(c.result));
    }
}

TEST(replyLines, SplitsAtEveryKindOfLineEnd)
{
    EXPECT_EQ(replyLines(QString()), QStringList());
    EXPECT_EQ(replyLines(QStringLiteral("OK")), QStringList {QStringLiteral("OK")});
    EXPECT_EQ(
        replyLines(QStringLiteral("a\r\nb\nc\rd\r\n")),
        (QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(replyLines(QStringLiteral("\n\nx")), (QStringList {QString(), QString(), QStringLiteral("x")}));
}

TEST(ReadMachineId, IsDerivedFromTheMachineIdAndStable)
{
    testsupport::TempDir dir;
    EXPECT_EQ(readMachineIdFrom(dir.file(QStringLiteral("missing"))), QString());
    EXPECT_EQ(readMachineIdFrom(dir.write(QStringLiteral("empty"), "")), QString());
    EXPECT_EQ(readMachineIdFrom(dir.write(QStringLiteral("first-boot"), "uninitialized\n")), QString());

    const QString raw = QStringLiteral("0123456789abcdef0123456789abcdef");
    const QString id = readMachineIdFrom(dir.write(QStringLiteral("machine-id"), raw.toLatin1() + '\n'));
    static const QRegularExpression guid(
        QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$"));
    EXPECT_TRUE(guid.match(id).hasMatch()) << id.toStdString();
    EXPECT_FALSE(QString(id).remove(u'-').contains(raw.left(8)));
    EXPECT_EQ(readMachineIdFrom(dir.file(QStringLiteral("machine-id"))), id);
    const QString other
        = readMachineIdFrom(dir.write(QStringLiteral("other"), "fedcba9876543210fedcba9876543210"));
    EXPECT_NE(other, id);

    EXPECT_FALSE(
        errorOf([&] { readMachineIdFrom(dir.write(QStringLiteral("bad"), "not an id")); }).isEmpty());
    EXPECT_FALSE(errorOf([&] { readMachineIdFrom(dir.path()); }).isEmpty()) << "a folder is not readable";
}

TEST(OsDescription, IsOneLineNamingSystemVersionAndArchitecture)
{
    EXPECT_EQ(formatOsDescription(QStringLiteral("Debian GNU/Linux 12 (bookworm)"), QStringLiteral("12"),
                                  QStringLiteral("linux 6.1.0"), QStringLiteral("x86_64")),
              QStringLiteral(
                  "Debian GNU/Linux 12 (bookworm) (Version 12, Kernel linux 6.1.0, x86_64, 64-bit Edition)"));
    EXPECT_TRUE(formatOsDescription(QStringLiteral("A\nB"), QString(), QString(), QString())
                    .startsWith(QStringLiteral("A B (Version unknown, Kernel unknown, unknown, ")));
    const QString here = OsDescription();
    EXPECT_FALSE(here.isEmpty());
    EXPECT_FALSE(here.contains(u'\n'));
}

} // namespace
