#include "widgets/captionedmessagebox.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<CaptionedMessageBox> confirmation()
{
    return createMessageDlgWithCaptions(QStringLiteral("Uygulama yeniden başlatılsın mı?"),
                                        QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                                        {QStringLiteral("Evet"), QStringLiteral("Hayır")},
                                        QStringLiteral("Onay"));
}

TEST(MessageDlgWithCaptions, TitleIconAndYesBeforeNoCaptionedFromTheList)
{
    const auto box = confirmation();
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Onay"));
    EXPECT_EQ(box->text(), QStringLiteral("Uygulama yeniden başlatılsın mı?"));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    ASSERT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->button(QMessageBox::Yes)->text(), QStringLiteral("Evet"));
    EXPECT_EQ(box->button(QMessageBox::No)->text(), QStringLiteral("Hayır"));
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
}

TEST(MessageDlgWithCaptions, ButtonsBeyondTheCaptionsKeepTheirOwn)
{
    const auto box = createMessageDlgWithCaptions(QStringLiteral("?"), QMessageBox::Question,
                                                  QMessageBox::Yes | QMessageBox::No, {QStringLiteral("Ja")},
                                                  QStringLiteral("t"));
    EXPECT_EQ(box->button(QMessageBox::Yes)->text(), QStringLiteral("Ja"));
    EXPECT_NE(box->button(QMessageBox::No)->text(), QStringLiteral("Ja"));
    EXPECT_FALSE(box->button(QMessageBox::No)->text().isEmpty());
}

// Runs the box modally and acts on it once it shows.
QMessageBox::StandardButton answerWith(const std::function<void(CaptionedMessageBox &)> &act)
{
    const auto box = confirmation();
    QTimer::singleShot(0, box.get(), [&] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(box.get()));
        act(*box);
    });
    box->exec();
    return box->answer();
}

TEST(MessageDlgWithCaptions, EnterAnswersYesEscapeNoAndTheTitleBarNeither)
{
    EXPECT_EQ(answerWith([](CaptionedMessageBox &box) { QTest::keyClick(&box, Qt::Key_Return); }),
              QMessageBox::Yes);
    EXPECT_EQ(answerWith([](CaptionedMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); }),
              QMessageBox::No);
    EXPECT_EQ(answerWith([](CaptionedMessageBox &box) { box.button(QMessageBox::No)->click(); }),
              QMessageBox::No);
    EXPECT_EQ(answerWith([](CaptionedMessageBox &box) { box.close(); }), QMessageBox::NoButton);
}

} // namespace
