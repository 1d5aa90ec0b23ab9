#include "online/feedback.h"

#include "about/versioninfo.h"
#include "i18n/language.h"
#include "localserver.h"
#include "online/request.h"
#include "testsupport.h"
#include "widgets/fakedialogs.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using testsupport::LocalServer;
using testsupport::ServiceOnLoopback;

TEST(composeFeedback, PutsTheChoiceAndACarriageReturnBeforeTheText)
{
    const QString like = QStringLiteral("I like it!");
    const QString dislike = QStringLiteral("I dislike it!");
    EXPECT_EQ(composeFeedback(FeedbackChoice::None, like, dislike, QStringLiteral("text")),
              QStringLiteral("text"));
    EXPECT_EQ(composeFeedback(FeedbackChoice::Like, like, dislike, QStringLiteral("text")),
              QStringLiteral("I like it!\rtext"));
    EXPECT_EQ(composeFeedback(FeedbackChoice::Dislike, like, QStringLiteral("Mag ich nicht"),
                              QStringLiteral("a\r\nb")),
              QStringLiteral("I dislike it! (Mag ich nicht)\ra\r\nb"));
    EXPECT_EQ(trimmedText(QStringLiteral(" \t\r\n x y \r\n\x01")), QStringLiteral("x y"));
    EXPECT_TRUE(isFeedbackConfirmed(QStringLiteral("OK\r\n")));
    EXPECT_TRUE(isFeedbackConfirmed(QStringLiteral("  OK ")));
    EXPECT_FALSE(isFeedbackConfirmed(QStringLiteral("ok")));
    EXPECT_FALSE(isFeedbackConfirmed(QStringLiteral("OK then")));
    EXPECT_FALSE(isFeedbackConfirmed(QString()));
}

class FeedbackWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppProductName = QStringLiteral("Pairsight");
        AppTitle = QStringLiteral("TANDREL - Pairsight");
        AppVersion = QStringLiteral("1.7");
        form = new TFeedbackForm;
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.data()));
    }
    void TearDown() override
    {
        delete form.data();
        resetLanguageState();
    }

    void replyWith(const QByteArray &body)
    {
        server.setHandler([body](const LocalServer::Request &) { return LocalServer::Response {200, body}; });
    }
    void type(const QString &text, const QString &email = QString())
    {
        form->Memo1->setPlainText(text);
        form->Edit1->setText(email);
    }
    // Presses Send, answering the message box that follows when one is expected.
    void send(bool expectBox = true)
    {
        if (expectBox)
            dialogs.answerMessage(QMessageBox::Ok);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        EXPECT_EQ(dialogs.pendingMessageAnswers(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QStringList sentFields() const
    {
        const auto requests = server.requests();
        return requests.empty() ? QStringList() : requests.back().fields();
    }
    QStringList fields(const QString &feedback, const QString &email = QString()) const
    {
        QStringList f {QStringLiteral("cmd=feedback"), QStringLiteral("appname=TANDREL - Pairsight"),
                       QStringLiteral("version=1.7"), QStringLiteral("feedback=") + feedback};
        if (!email.isEmpty())
            f << QStringLiteral("email=") + email;
        return f;
    }

    LocalServer server {LocalServer::Mode::TlsOrPlain};
    ServiceOnLoopback service {server};
    FakeDialogs dialogs;
    QPointer<TFeedbackForm> form;
};

TEST_F(FeedbackWindow, ShowsItsPartsTranslated)
{
    delete form.data();
    CurrentLanguageFile = QStringLiteral("test.lang.txt");
    LanguageTable = QStringList {QStringLiteral("{feedback}R\u00fcckmeldung"), QStringLiteral("{Send}Senden"),
                                 QStringLiteral("{I like it!}Gef\u00e4llt mir!")};
    form = new TFeedbackForm;
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Pairsight R\u00fcckmeldung"));
    EXPECT_EQ(form->BitBtn1->text(), QStringLiteral("Senden"));
    EXPECT_EQ(form->Panel4Caption->text(), QStringLiteral("Gef\u00e4llt mir!"));
    EXPECT_EQ(form->Panel5Caption->text(), QStringLiteral("I dislike it!"));
    EXPECT_EQ(form->Label3->text(), QStringLiteral("Include my e-mail:"));
    EXPECT_EQ(form->size(), QSize(525, 326));
    EXPECT_TRUE(form->isModal());
    EXPECT_TRUE(form->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(form->Edit1->maxLength(), 100);
    EXPECT_FALSE(form->BitBtn1->autoDefault());

    form->show();
    type(QStringLiteral("Sch\u00f6n"));
    QTest::mouseClick(form->Panel4, Qt::LeftButton);
    send();
    EXPECT_EQ(sentFields(), fields(QStringLiteral("I like it! (Gef\u00e4llt mir!)\rSch\u00f6n")));
}

TEST_F(FeedbackWindow, ChoicesToggleWithTheLeftButtonOnly)
{
    EXPECT_EQ(form->choice(), FeedbackChoice::None);
    QTest::mouseClick(form->Panel4, Qt::RightButton);
    EXPECT_EQ(form->choice(), FeedbackChoice::None);
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    EXPECT_EQ(form->choice(), FeedbackChoice::Like);
    EXPECT_TRUE(form->Panel4->isChecked());
    EXPECT_EQ(form->Panel4->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Highlight));
    QTest::mouseClick(form->Panel5, Qt::LeftButton);
    EXPECT_EQ(form->choice(), FeedbackChoice::Dislike);
    EXPECT_FALSE(form->isSelected(form->Panel4));
    EXPECT_FALSE(form->Panel4->isChecked());
    QTest::mouseClick(form->Image2, Qt::MiddleButton);
    EXPECT_EQ(form->choice(), FeedbackChoice::Dislike);
    QTest::mouseClick(form->Image2, Qt::LeftButton);
    EXPECT_EQ(form->choice(), FeedbackChoice::None);
    EXPECT_FALSE(form->isSelected(form->Panel5));
}

TEST_F(FeedbackWindow, TheChoicesAreToggleButtonsThatTabReachesAndSpaceFlips)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.data()));
    EXPECT_EQ(QApplication::focusWidget(), form->Memo1);
    const auto tab = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); };
    const auto space = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space); };
    // After the text, the address and Send, Tab comes round to the choices.
    tab();
    EXPECT_EQ(QApplication::focusWidget(), form->Edit1);
    tab();
    tab();
    ASSERT_EQ(QApplication::focusWidget(), form->Panel4);
    space();
    EXPECT_EQ(form->choice(), FeedbackChoice::Like);
    tab();
    ASSERT_EQ(QApplication::focusWidget(), form->Panel5);
    space();
    EXPECT_EQ(form->choice(), FeedbackChoice::Dislike);
    EXPECT_FALSE(form->Panel4->isChecked());
    space();
    EXPECT_EQ(form->choice(), FeedbackChoice::None);

    struct Named
    {
        QWidget *widget;
        QString name;
    };
    for (const Named &part : {Named {form->Panel4, QStringLiteral("I like it!")},
                              Named {form->Panel5, QStringLiteral("I dislike it!")},
                              Named {form->Memo1, QStringLiteral("What did you like or dislike?")},
                              Named {form->Edit1, QStringLiteral("Include my e-mail:")}}) {
        SCOPED_TRACE(part.widget->objectName().toStdString());
        const QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(part.widget);
        EXPECT_EQ(iface->text(QAccessible::Name), part.name);
    }
    QAccessibleInterface *like = QAccessible::queryAccessibleInterface(form->Panel4);
    EXPECT_TRUE(like->state().checkable);
    EXPECT_FALSE(like->state().checked);
    // A screen reader can press it too.
    ASSERT_NE(like->actionInterface(), nullptr);
    like->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(like->state().checked);
    EXPECT_EQ(form->choice(), FeedbackChoice::Like);
}

TEST_F(FeedbackWindow, ConfirmedFeedbackClosesTheWindow)
{
    struct Case
    {
        const char *name;
        bool like;
        QString text;
        QString email;
        QByteArray reply;
        QString feedback;
        QString sentEmail;
    };
    const Case cases[] = {
        {"text alone", false, QStringLiteral("  Nice tool.\n"), QString(), "OK", QStringLiteral("Nice tool."),
         QString()},
        {"a choice and an e-mail", true, QStringLiteral("Line one\nline two"),
         QStringLiteral("  someone@example.com "), "OK\r\n",
         QStringLiteral("I like it!\rLine one\r\nline two"), QStringLiteral("someone@example.com")},
        {"OK among blanks", false, QStringLiteral("x"), QString(), "  OK \n", QStringLiteral("x"), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (!form) {
            form = new TFeedbackForm;
            form->show();
        }
        replyWith(c.reply);
        type(c.text, c.email);
        if (c.like)
            QTest::mouseClick(form->Panel4, Qt::LeftButton);
        send();
        EXPECT_EQ(sentFields(), fields(c.feedback, c.sentEmail));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Success"));
        EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Your feedback is received.\n\nThank you!"));
        EXPECT_EQ(dialogs.messages[0].icon, QMessageBox::Information);
        EXPECT_TRUE(form.isNull()) << "the window closed and was freed";
        dialogs.messages.clear();
    }
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST_F(FeedbackWindow, AnUnconfirmedSendKeepsEverythingTyped)
{
    const QString failure = QStringLiteral(
        "Something went wrong. Your feedback could not be delivered.\n\nPlease try again later.");
    replyWith("ok");
    type(QStringLiteral("Hello"), QStringLiteral("me@example.org"));
    QTest::mouseClick(form->Panel5, Qt::LeftButton);
    send();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Failure"));
    EXPECT_EQ(dialogs.messages[0].text, failure);
    EXPECT_EQ(dialogs.messages[0].icon, QMessageBox::Critical);
    ASSERT_FALSE(form.isNull());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("Hello"));
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("me@example.org"));
    EXPECT_EQ(form->choice(), FeedbackChoice::Dislike);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy pointer is gone";

    // No service at all: both attempts fail, the same box.
    overrideServiceHost(testsupport::closedServiceHost());
    send();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, failure);
    EXPECT_FALSE(form.isNull());
}

TEST_F(FeedbackWindow, RefusesEmptyTextAndInvalidAddresses)
{
    replyWith("OK");
    type(QStringLiteral(" \r\n\t\n "));
    QTest::mouseClick(form->Panel4, Qt::LeftButton);
    send(false);
    EXPECT_TRUE(dialogs.messages.empty()) << "only a beep";
    EXPECT_TRUE(server.requests().empty());

    for (const char *address : {"someone@example", "someone@example.com.", "some one@example.com"}) {
        SCOPED_TRACE(address);
        type(QStringLiteral("text"), QString::fromUtf8(address));
        send();
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Invalid e-mail address!"));
        EXPECT_EQ(dialogs.messages.back().title, QStringLiteral("Failure"));
        EXPECT_EQ(dialogs.messages.back().icon, QMessageBox::Critical);
        EXPECT_TRUE(server.requests().empty());
        EXPECT_FALSE(form.isNull());
    }
}

TEST_F(FeedbackWindow, EscapeClosesWithoutSending)
{
    for (const char *where : {"Panel4", "Panel5", "Memo1", "Edit1", "BitBtn1"}) {
        SCOPED_TRACE(where);
        if (!form) {
            form = new TFeedbackForm;
            form->show();
        }
        type(QStringLiteral("unsent"));
        QWidget *target = form->findChild<QWidget *>(QString::fromUtf8(where));
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull());
    }
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FeedbackWindow, TheTextStopsAtTenThousandCharacters)
{
    form->Memo1->setPlainText(QString(10000, u'a'));
    form->Memo1->moveCursor(QTextCursor::End);
    QTest::keyClicks(form->Memo1, QStringLiteral("bc"));
    EXPECT_EQ(form->Memo1->toPlainText(), QString(10000, u'a'));
    form->Memo1->setPlainText(QString(10005, u'b'));
    EXPECT_EQ(form->Memo1->toPlainText().size(), 10000);
}

} // namespace
