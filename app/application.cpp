#include "app/application.h"

#include "platform/apperror.h"
#include "platform/buildinfo.h"
#include "widgets/dialogs.h"

#include <QThread>

#include <cstdlib>
#include <exception>

namespace {

// The message of the exception being handled; call only from a catch block.
QString currentErrorMessage()
{
    return errorMessageOf(std::current_exception());
}

} // namespace

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // No display name: Qt would append it to every window title.
    setOrganizationName(QStringLiteral("TANDREL"));
    setApplicationName(QStringLiteral("Pairsight"));
    // The menu entry's name: a Wayland desktop finds the icon and entry by it.
    setDesktopFileName(QStringLiteral(PAIRSIGHT_APP_ID));
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    QString message;
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        message = currentErrorMessage();
    }
    // Shown outside the catch block: the box runs an event loop of its own.
    showErrorBox(message);
    return false;
}

int Application::run(const std::function<int()> &body)
{
    QString message;
    try {
        return body();
    } catch (...) {
        message = currentErrorMessage();
    }
    showErrorBox(message);
    return EXIT_FAILURE;
}

void Application::showErrorBox(const QString &message)
{
    if (QThread::currentThread() != thread()) {
        // An event handler of a worker thread failed; boxes belong to the GUI thread.
        QMetaObject::invokeMethod(
            this, [this, message] { showErrorBox(message); }, Qt::QueuedConnection);
        return;
    }
    Dialogs::current().errorBox(activeWindow(), m_title, errorBoxText(message));
}
