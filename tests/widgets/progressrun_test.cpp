#include "widgets/progressrun.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

QDialog *progressDialog()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("ProgressDialog") && widget->isVisible())
            return qobject_cast<QDialog *>(widget);
    }
    return nullptr;
}

QString labelOf(QDialog *dialog)
{
    return dialog->findChild<QLabel *>(QStringLiteral("ProgressLabel"))->text();
}

// Work that shows `total` and `done` and goes on until it is cancelled
// (at most 20 s); then it stops as cancelled work does, or just ends.
JobThread::Work waitingWork(qint64 total, qint64 done, bool throwsWhenCancelled = true)
{
    return [=](JobProgress &progress) {
        progress.setPart(2);
        progress.start(JobStage::Reading, total);
        progress.setDone(done);
        QElapsedTimer clock;
        clock.start();
        while (!progress.cancelRequested() && clock.elapsed() < 20000)
            QThread::msleep(2);
        if (throwsWhenCancelled)
            progress.throwIfCancelled();
    };
}

// Runs `work` under a window; `user` plays the user once the dialog shows.
bool runWhileUserActs(const JobThread::Work &work, const std::function<void(QDialog *)> &user)
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("Window"));
    window.show();
    bool acted = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QDialog *dialog = progressDialog(); dialog && !acted) {
            acted = true;
            user(dialog);
        }
    });
    poll.start(10);
    const auto label = [](JobStage stage, int part) {
        return QStringLiteral("stage %1 of part %2").arg(int(stage)).arg(part);
    };
    const bool done = runWithProgress(&window, label, work);
    EXPECT_TRUE(acted) << "the dialog never showed";
    return done;
}

TEST(ProgressRun, ShortWorkShowsNoDialog)
{
    bool shown = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] { shown = shown || progressDialog(); });
    poll.start(5);
    int result = 0;
    EXPECT_TRUE(runWithProgress(nullptr, {}, [&](JobProgress &) { result = 42; }));
    EXPECT_EQ(result, 42);
    EXPECT_FALSE(shown);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(ProgressRun, LongWorkShowsWhatItDoesAndItsPercentageUntilCancelled)
{
    const bool done = runWhileUserActs(waitingWork(200, 50), [](QDialog *dialog) {
        EXPECT_TRUE(dialog->isModal());
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Window"));
        EXPECT_EQ(labelOf(dialog), QStringLiteral("stage 1 of part 2"));
        const auto *bar = dialog->findChild<QProgressBar *>(QStringLiteral("ProgressBar"));
        EXPECT_EQ(bar->maximum(), 100);
        EXPECT_EQ(bar->value(), 25);
        // The busy pointer has gone with the dialog's coming.
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        auto *cancel = dialog->findChild<QPushButton *>(QStringLiteral("ProgressCancel"));
        EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
        // Enter meant for another window does not cancel it.
        QTest::keyClick(dialog, Qt::Key_Return);
        EXPECT_EQ(labelOf(dialog), QStringLiteral("stage 1 of part 2"));
        cancel->click();
        EXPECT_EQ(labelOf(dialog), QStringLiteral("Cancelling..."));
        EXPECT_FALSE(cancel->isEnabled());
    });
    EXPECT_FALSE(done);
    EXPECT_EQ(progressDialog(), nullptr);
}

TEST(ProgressRun, EscAndClosingTheDialogCancelToo)
{
    struct Case
    {
        const char *name;
        std::function<void(QDialog *)> user;
        bool throwsWhenCancelled;
    };
    const Case cases[] = {
        {"Esc", [](QDialog *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); }, true},
        {"close", [](QDialog *dialog) { dialog->close(); }, true},
        // Work that ends on its own after the cancel is dropped all the same.
        {"work that does not heed it", [](QDialog *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); },
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // A total not known yet: Qt's moving bar.
        EXPECT_FALSE(runWhileUserActs(waitingWork(0, 0, c.throwsWhenCancelled), [&](QDialog *dialog) {
            EXPECT_EQ(dialog->findChild<QProgressBar *>(QStringLiteral("ProgressBar"))->maximum(), 0);
            c.user(dialog);
            // The dialog stays until the work has ended.
            EXPECT_TRUE(dialog->isVisible());
        }));
    }
}

TEST(ProgressRun, AnErrorOfTheWorkIsRethrown)
{
    try {
        runWithProgress(nullptr, {}, [](JobProgress &) { throw AppError(QStringLiteral("it failed")); });
        ADD_FAILURE() << "no error";
    } catch (const AppError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("it failed"));
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
