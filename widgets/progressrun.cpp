#include "widgets/progressrun.h"

#include "platform/languagetable.h"
#include "widgets/busycursor.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>
#include <optional>

namespace {

// Work shorter than this never shows the dialog.
constexpr int ShowAfterMs = 300;
// How often the dialog reads the progress.
constexpr int UpdateEveryMs = 100;

class ProgressDialog : public QDialog
{
public:
    ProgressDialog(QWidget *parent, const ProgressLabel &label, JobProgress &progress)
        : QDialog(parent)
        , m_label(label)
        , m_progress(progress)
    {
        setObjectName(QStringLiteral("ProgressDialog"));
        setWindowTitle(parent ? parent->window()->windowTitle() : QString());
        setWindowModality(Qt::ApplicationModal);
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        m_text = new QLabel(this);
        m_text->setObjectName(QStringLiteral("ProgressLabel"));
        m_text->setTextFormat(Qt::PlainText);
        m_bar = new QProgressBar(this);
        m_bar->setObjectName(QStringLiteral("ProgressBar"));
        m_cancel = new QPushButton(TranslateText(QStringLiteral("Cancel")), this);
        m_cancel->setObjectName(QStringLiteral("ProgressCancel"));
        // Enter typed for the window below must not cancel the work.
        m_cancel->setAutoDefault(false);
        auto *buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(m_cancel);
        auto *column = new QVBoxLayout(this);
        column->addWidget(m_text);
        column->addWidget(m_bar);
        column->addLayout(buttons);
        setMinimumWidth(360);
        connect(m_cancel, &QPushButton::clicked, this, &ProgressDialog::cancel);
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &ProgressDialog::update);
        timer->start(UpdateEveryMs);
        update();
    }

    // Esc.
    void reject() override { cancel(); }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        // The dialog goes when the work has ended, not before.
        event->ignore();
        cancel();
    }

private:
    void cancel()
    {
        m_progress.requestCancel();
        m_cancel->setEnabled(false);
        update();
    }

    void update()
    {
        const bool cancelled = m_progress.cancelRequested();
        m_text->setText(cancelled ? TranslateText(QStringLiteral("Cancelling..."))
                                  : m_label(m_progress.stage(), m_progress.part()));
        const std::optional<int> percent = cancelled ? std::nullopt : m_progress.percent();
        // A range of 0 to 0 is Qt's moving bar.
        m_bar->setRange(0, percent ? 100 : 0);
        if (percent)
            m_bar->setValue(*percent);
    }

    ProgressLabel m_label;
    JobProgress &m_progress;
    QLabel *m_text;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
};

} // namespace

bool runWithProgress(QWidget *parent, const ProgressLabel &label, const JobThread::Work &work)
{
    JobProgress progress;
    JobThread thread(work, progress);
    bool finished = false;
    QObject::connect(&thread, &QThread::finished, &thread, [&finished] { finished = true; });
    std::optional<BusyCursor> busy(std::in_place);
    thread.start();
    if (!thread.isRunning() && !thread.isFinished())
        throw AppError(
            TranslateText(QStringLiteral("The command could not be started: no thread could be created")));

    // Wakes the loop below when the dialog is due.
    QTimer due;
    due.setSingleShot(true);
    due.start(ShowAfterMs);
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<ProgressDialog> dialog;
    while (!finished) {
        if (!dialog && clock.elapsed() >= ShowAfterMs) {
            busy.reset();
            dialog = std::make_unique<ProgressDialog>(parent, label, progress);
            dialog->show();
        }
        // Until the dialog shows, input waits; then the dialog takes it and
        // keeps it from the windows below.
        QCoreApplication::processEvents(dialog ? QEventLoop::WaitForMoreEvents
                                               : QEventLoop::WaitForMoreEvents
                                                | QEventLoop::ExcludeUserInputEvents);
    }
    thread.wait();
    dialog.reset();
    if (progress.cancelRequested())
        return false;
    if (const std::exception_ptr error = thread.error())
        std::rethrow_exception(error);
    return true;
}
