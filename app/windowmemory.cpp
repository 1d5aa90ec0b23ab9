// The window's size, place and split, and the open dialog's folder and
// encoding, from one run to the next (app/windowstate keeps them in
// settings.ini).

#include "app/appform.h"

#include "app/settings.h"
#include "app/windowstate.h"
#include "lists/textencoding.h"
#include "platform/apperror.h"
#include "widgets/opentextfiledialog.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

void TAppForm::restoreWindowState()
{
    const WindowState state = readWindowState(SettingsIni);
    if (state.geometry) {
        QList<QRect> screens;
        for (const QScreen *each : QGuiApplication::screens())
            screens << each->availableGeometry();
        if (isOnAScreen(*state.geometry, screens)) {
            setGeometry(*state.geometry);
        } else {
            // Its screen has gone, or it was moved off every screen: the
            // size stays where it fits, and the window comes to the middle.
            const QRect area = screen()->availableGeometry();
            resize(state.geometry->size().boundedTo(area.size()));
            move(area.center() - rect().center());
        }
    }
    if (state.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    if (state.split)
        m_split = *state.split;
    if (state.openFolder && QFileInfo(*state.openFolder).isDir()) {
        OpenTextFileDialog1->setDirectory(*state.openFolder);
        m_openFolderKnown = true;
    }
    if (state.openEncoding)
        OpenTextFileDialog1->setEncodingIndex(int(encodingNames().indexOf(*state.openEncoding)));
}

void TAppForm::storeWindowState()
{
    // A file that could not be read at start-up is never written.
    if (!SettingsIni.isWritable())
        return;
    WindowState state;
    state.geometry = normalGeometry();
    state.maximized = isMaximized();
    state.split = m_split;
    // The folder the dialog starts in by itself is not one the user chose.
    if (m_openFolderKnown)
        state.openFolder = OpenTextFileDialog1->directory().absolutePath();
    state.openEncoding = encodingNames().value(OpenTextFileDialog1->encodingIndex());
    writeWindowState(SettingsIni, state);
    try {
        SettingsIni.write();
    } catch (const AppError &) {
        // The program is ending: an error box now would only hold it up, and
        // the next run merely starts from the last place it could keep.
    }
}
