#include "app/application.h"

#include "platform/apperror.h"
#include "widgets/dialogs.h"
#include "widgets/fakedialogs.h"

#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

TEST(ApplicationTest, HandlerErrorsReachTheErrorBoxAndTheProgramGoesOn)
{
    struct Case
    {
        const char *name;
        std::function<void()> handler;
        QString text;
    };
    const Case cases[] = {
        {"app error gets a full stop", [] { throw AppError(QStringLiteral("Disk full")); },
         QStringLiteral("Disk full.")},
        {"full stop not doubled", [] { throw AppError(QStringLiteral("Disk full.")); },
         QStringLiteral("Disk full.")},
        {"digit is above the full stop", [] { throw AppError(QStringLiteral("Error 5")); },
         QStringLiteral("Error 5.")},
        {"slash is above the full stop", [] { throw AppError(QStringLiteral("in /tmp/")); },
         QStringLiteral("in /tmp/.")},
        {"closing quote is below it", [] { throw AppError(QStringLiteral("Cannot open \"a\"")); },
         QStringLiteral("Cannot open \"a\"")},
        {"hyphen is below it", [] { throw AppError(QStringLiteral("a -")); }, QStringLiteral("a -")},
        {"standard exception", [] { throw std::runtime_error("bad thing"); }, QStringLiteral("bad thing.")},
        {"anything else", [] { throw 42; }, QStringLiteral("Unknown error.")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeDialogs dialogs;
        QTimer::singleShot(0, qApp, c.handler);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.errorBoxes.empty(); }));
        ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
        EXPECT_EQ(dialogs.errorBoxes[0].title, QStringLiteral("Pairsight"));
        EXPECT_EQ(dialogs.errorBoxes[0].text, c.text);

        bool ranAfterwards = false;
        QTimer::singleShot(0, qApp, [&] { ranAfterwards = true; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return ranAfterwards; }));
        EXPECT_EQ(dialogs.errorBoxes.size(), 1u);
    }
}

TEST(ApplicationTest, ErrorOfTheStartIsShownAndFailsTheRun)
{
    FakeDialogs dialogs;
    auto *app = static_cast<Application *>(qApp);
    EXPECT_EQ(app->run([]() -> int { throw AppError(QStringLiteral("Cannot start")); }), EXIT_FAILURE);
    ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
    EXPECT_EQ(dialogs.errorBoxes[0].text, QStringLiteral("Cannot start."));
    EXPECT_EQ(app->run([] { return 7; }), 7);
}

TEST(ApplicationTest, NamesOfTheApplication)
{
    EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("TANDREL"));
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Pairsight"));
}

TEST(ApplicationTest, RealErrorBox)
{
    const auto box
        = Dialogs::createErrorBox(nullptr, QStringLiteral("Pairsight"), QStringLiteral("Disk full."));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Pairsight"));
    EXPECT_EQ(box->text(), QStringLiteral("Disk full."));
}

} // namespace
