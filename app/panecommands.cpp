// The editing commands of the two list panes and the files dropped on them.
// The work on the lists is in lists/paneedit; here are the pane, the
// clipboard, the dialogs, the pointer and the beep.

#include "app/appform.h"

#include "lists/listpane.h"
#include "lists/paneedit.h"
#include "widgets/busycursor.h"
#include "widgets/dialogs.h"
#include "widgets/savetextfiledialog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QPushButton>
#include <QToolButton>

#include <utility>

namespace {

void putOnClipboard(const QString &text)
{
    // With nothing selected the clipboard keeps what it held.
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

} // namespace

void TAppForm::setUpPaneCommands()
{
    SaveDialog1 = new SaveTextFileDialog(this, {}, QStringLiteral("TXT File"));
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));

    // The commands can fail (memory, a file that will not be written): they
    // run from the event queue, as the other handlers that can.
    const auto queued = [this](QAction *action, void (TAppForm::*handler)()) {
        connect(action, &QAction::triggered, this, handler, Qt::QueuedConnection);
    };
    queued(Clear2, &TAppForm::Clear2Click);
    queued(MenuItem1, &TAppForm::MenuItem1Click);
    queued(Cut1, &TAppForm::Cut1Click);
    queued(MenuItem3, &TAppForm::MenuItem3Click);
    queued(Copy1, &TAppForm::Copy1Click);
    queued(MenuItem4, &TAppForm::MenuItem4Click);
    queued(Paste1, &TAppForm::Paste1Click);
    queued(Paste2, &TAppForm::Paste2Click);
    queued(Delete1, &TAppForm::Delete1Click);
    queued(Delete2, &TAppForm::Delete2Click);
    connect(SelectAll1, &QAction::triggered, this, &TAppForm::SelectAll1Click);
    connect(MenuItem8, &QAction::triggered, this, &TAppForm::MenuItem8Click);

    connect(Button7, &QPushButton::clicked, this, &TAppForm::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &TAppForm::Button8Click);
    connect(Button4, &QPushButton::clicked, this, &TAppForm::Button4Click, Qt::QueuedConnection);
    connect(Button5, &QPushButton::clicked, this, &TAppForm::Button5Click, Qt::QueuedConnection);
    connect(Button3, &QToolButton::clicked, this, &TAppForm::Button3Click, Qt::QueuedConnection);
    connect(Button6, &QToolButton::clicked, this, &TAppForm::Button6Click, Qt::QueuedConnection);

    connect(MemoLeft, &ListPane::keyDown, this, &TAppForm::ListView1KeyDown);
    connect(MemoRight, &ListPane::keyDown, this, &TAppForm::ListView2KeyDown);
    connect(MemoLeft, &ListPane::filesDropped, this, &TAppForm::MemoLeftDropFiles, Qt::QueuedConnection);
    connect(MemoRight, &ListPane::filesDropped, this, &TAppForm::MemoRightDropFiles, Qt::QueuedConnection);
}

void TAppForm::Clear2Click()
{
    clearList(List1, &TAppForm::refreshList1);
}

void TAppForm::MenuItem1Click()
{
    clearList(List2, &TAppForm::refreshList2);
}

void TAppForm::Cut1Click()
{
    cutLines(List1, MemoLeft, &TAppForm::refreshList1);
}

void TAppForm::MenuItem3Click()
{
    cutLines(List2, MemoRight, &TAppForm::refreshList2);
}

void TAppForm::Copy1Click()
{
    copyLines(List1, MemoLeft);
}

void TAppForm::MenuItem4Click()
{
    copyLines(List2, MemoRight);
}

void TAppForm::Paste1Click()
{
    pasteLines(List1, &TAppForm::refreshList1);
}

void TAppForm::Paste2Click()
{
    pasteLines(List2, &TAppForm::refreshList2);
}

void TAppForm::Button7Click()
{
    Paste1->trigger();
}

void TAppForm::Button8Click()
{
    Paste2->trigger();
}

void TAppForm::Delete1Click()
{
    deleteLines(List1, MemoLeft, &TAppForm::refreshList1);
}

void TAppForm::Delete2Click()
{
    deleteLines(List2, MemoRight, &TAppForm::refreshList2);
}

void TAppForm::ListView1KeyDown(int key)
{
    if (key == Qt::Key_Delete)
        Delete1->trigger();
}

void TAppForm::ListView2KeyDown(int key)
{
    if (key == Qt::Key_Delete)
        Delete2->trigger();
}

void TAppForm::SelectAll1Click()
{
    MemoLeft->selectAll();
}

void TAppForm::MenuItem8Click()
{
    MemoRight->selectAll();
}

void TAppForm::Button4Click()
{
    removeDuplicates(List1, &TAppForm::refreshList1);
}

void TAppForm::Button5Click()
{
    removeDuplicates(List2, &TAppForm::refreshList2);
}

void TAppForm::Button3Click()
{
    saveList(List1);
}

void TAppForm::Button6Click()
{
    saveList(List2);
}

void TAppForm::MemoLeftDropFiles(const QStringList &fileNames)
{
    dropFiles(fileNames, List1, &TAppForm::refreshList1);
}

void TAppForm::MemoRightDropFiles(const QStringList &fileNames)
{
    dropFiles(fileNames, List2, &TAppForm::refreshList2);
}

void TAppForm::clearList(LineList &list, Refresh refresh)
{
    list.clear();
    (this->*refresh)();
}

void TAppForm::copyLines(const LineList &list, const ListPane *pane)
{
    putOnClipboard(selectedText(list, pane->selectedRows()));
}

void TAppForm::cutLines(LineList &list, ListPane *pane, Refresh refresh)
{
    const std::vector<bool> selected = pane->selectedRows();
    putOnClipboard(selectedText(list, selected));
    pane->clearSelection();
    deleteSelected(list, selected);
    (this->*refresh)();
}

void TAppForm::pasteLines(LineList &list, Refresh refresh)
{
    const LoadOptions options = loadOptions();
    const QString text = QGuiApplication::clipboard()->text();
    try {
        changeList(list, ListChange::Append, options.sortWhenLoading, {}, [&](LineList &lines) {
            pasteText(lines, text, options.ignoreWhitespace, false);
            return LoadReport {};
        });
    } catch (...) {
        (this->*refresh)();
        throw;
    }
    (this->*refresh)();
}

void TAppForm::deleteLines(LineList &list, ListPane *pane, Refresh refresh)
{
    const std::vector<bool> selected = pane->selectedRows();
    pane->clearSelection();
    deleteSelected(list, selected);
    (this->*refresh)();
}

void TAppForm::removeDuplicates(LineList &list, Refresh refresh)
{
    {
        const BusyCursor busy;
        // Lets the pointer show; input waits, so no other command runs meanwhile.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        list.removeDuplicates(matching());
        (this->*refresh)();
    }
    QApplication::beep();
}

void TAppForm::saveList(const LineList &list)
{
    const std::optional<QString> fileName = Dialogs::current().saveTextFile(*SaveDialog1);
    if (!fileName)
        return;
    SaveDialog1->remember(*fileName);
    {
        const BusyCursor busy;
        saveListToFile(*fileName, list);
    }
    QApplication::beep();
}

void TAppForm::dropFiles(const QStringList &fileNames, LineList &list, Refresh refresh)
{
    QStringList warnings;
    LoadOptions options = loadOptions();
    const bool sort = std::exchange(options.sortWhenLoading, false);
    for (const QString &fileName : fileNames) {
        const BusyCursor busy;
        try {
            // Each file joins the list whole or, when memory runs out, not at all.
            const LoadReport report
                = changeList(list, ListChange::Append, sort, fileName,
                             [&](LineList &lines) { return loadDroppedFile(fileName, options, lines); });
            warnings << loadWarnings(QFileInfo(fileName).fileName(), report);
        } catch (...) {
            // The pane shows what the list holds; the files after this one are not loaded.
            (this->*refresh)();
            showLoadNote(warnings);
            throw;
        }
        (this->*refresh)();
    }
    showLoadNote(warnings);
}
