// The editing commands of the two list panes and the files dropped on them.
// The work on the lists is in lists/paneedit; here are the pane, the
// clipboard, the dialogs, the pointer and the beep.

#include "app/appform.h"

#include "i18n/language.h"
#include "lists/listpane.h"
#include "lists/paneedit.h"
#include "lists/parallel.h"
#include "widgets/busycursor.h"
#include "widgets/dialogs.h"
#include "widgets/progressrun.h"
#include "widgets/savetextfiledialog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <utility>

namespace {

void putOnClipboard(const QString &text)
{
    // With nothing selected the clipboard keeps what it held.
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

QString sortingText()
{
    return TranslateText(QStringLiteral("Sorting..."));
}

} // namespace

ProgressLabel TAppForm::loadingLabel(const QStringList &fileNames)
{
    return [fileNames](JobStage stage, int part) {
        if (stage == JobStage::Sorting)
            return sortingText();
        return TranslateText(QStringLiteral("Loading \"%1\"..."))
            .arg(QFileInfo(fileNames.value(part)).fileName());
    };
}

bool TAppForm::runListJob(const ProgressLabel &label, const JobThread::Work &work)
{
    m_jobRunning = true;
    try {
        const bool done = runWithProgress(this, label, work);
        m_jobRunning = false;
        return done;
    } catch (...) {
        m_jobRunning = false;
        throw;
    }
}

bool TAppForm::waitForRunningJob(const std::function<void()> &command)
{
    if (!m_jobRunning)
        return false;
    // A command queued before the running one began its work would change
    // a list that the running one is about to replace; it runs after.
    QTimer::singleShot(50, this, command);
    return true;
}

void TAppForm::setUpPaneCommands()
{
    SaveDialog1 = new SaveTextFileDialog(this, {}, TranslateText(QStringLiteral("TXT File")));
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
    if (waitForRunningJob([this, &list, refresh] { clearList(list, refresh); }))
        return;
    list.clear();
    (this->*refresh)();
}

void TAppForm::copyLines(const LineList &list, const ListPane *pane)
{
    putOnClipboard(selectedText(list, pane->selectedRows()));
}

void TAppForm::cutLines(LineList &list, ListPane *pane, Refresh refresh)
{
    if (waitForRunningJob([this, &list, pane, refresh] { cutLines(list, pane, refresh); }))
        return;
    const std::vector<bool> selected = pane->selectedRows();
    putOnClipboard(selectedText(list, selected));
    pane->clearSelection();
    deleteSelected(list, selected);
    (this->*refresh)();
}

void TAppForm::pasteLines(LineList &list, Refresh refresh)
{
    if (waitForRunningJob([this, &list, refresh] { pasteLines(list, refresh); }))
        return;
    const LoadOptions options = loadOptions();
    QString text;
    {
        // The clipboard is read on this thread, and a large one takes a while.
        const BusyCursor busy;
        text = QGuiApplication::clipboard()->text();
    }
    // The work reads its own copy; the pane goes on showing the list.
    LineList result = list;
    std::exception_ptr failure;
    const auto label = [](JobStage stage, int) {
        return stage == JobStage::Sorting ? sortingText() : TranslateText(QStringLiteral("Pasting..."));
    };
    const bool done = runListJob(label, [&](JobProgress &progress) {
        failure = capturingException([&] {
            changeList(
                result, ListChange::Append, options.sortWhenLoading, {},
                [&](LineList &lines) {
                    pasteText(lines, text, options.ignoreWhitespace, false, &progress);
                    return LoadReport {};
                },
                &progress);
        });
    });
    if (!done)
        return;
    list = std::move(result);
    (this->*refresh)();
    if (failure)
        std::rethrow_exception(failure);
}

void TAppForm::deleteLines(LineList &list, ListPane *pane, Refresh refresh)
{
    if (waitForRunningJob([this, &list, pane, refresh] { deleteLines(list, pane, refresh); }))
        return;
    const std::vector<bool> selected = pane->selectedRows();
    pane->clearSelection();
    deleteSelected(list, selected);
    (this->*refresh)();
}

void TAppForm::removeDuplicates(LineList &list, Refresh refresh)
{
    if (waitForRunningJob([this, &list, refresh] { removeDuplicates(list, refresh); }))
        return;
    const Matching by = matching();
    LineList result = list;
    const auto label = [](JobStage, int) { return TranslateText(QStringLiteral("Removing duplicates...")); };
    const bool done = runListJob(label, [&](JobProgress &progress) {
        progress.start(JobStage::Sorting);
        result.removeDuplicates(by);
    });
    if (!done)
        return;
    list = std::move(result);
    (this->*refresh)();
    QApplication::beep();
}

void TAppForm::saveList(const LineList &list)
{
    if (waitForRunningJob([this, &list] { saveList(list); }))
        return;
    const std::optional<QString> fileName = Dialogs::current().saveTextFile(*SaveDialog1);
    if (!fileName)
        return;
    SaveDialog1->remember(*fileName);
    const LineList lines = list;
    const QString name = QFileInfo(*fileName).fileName();
    const auto label
        = [name](JobStage, int) { return TranslateText(QStringLiteral("Saving \"%1\"...")).arg(name); };
    if (runListJob(label, [&](JobProgress &progress) { saveListToFile(*fileName, lines, &progress); }))
        QApplication::beep();
}

void TAppForm::dropFiles(const QStringList &fileNames, LineList &list, Refresh refresh)
{
    if (waitForRunningJob([this, fileNames, &list, refresh] { dropFiles(fileNames, list, refresh); }))
        return;
    LoadOptions options = loadOptions();
    const bool sort = std::exchange(options.sortWhenLoading, false);
    LineList result = list;
    QStringList warnings;
    std::exception_ptr failure;
    const bool done = runListJob(loadingLabel(fileNames), [&](JobProgress &progress) {
        failure = capturingException([&] {
            for (int i = 0; i < fileNames.size(); ++i) {
                const QString &fileName = fileNames[i];
                progress.setPart(i);
                // Each file joins the list whole or, when memory runs out, not
                // at all; the files after one that fails are not loaded.
                const LoadReport report = changeList(
                    result, ListChange::Append, sort, fileName,
                    [&](LineList &lines) { return loadDroppedFile(fileName, options, lines, &progress); },
                    &progress);
                warnings << loadWarnings(QFileInfo(fileName).fileName(), report);
            }
        });
    });
    // Cancelled: the list as it was before the drop, every file of it undone.
    if (!done)
        return;
    list = std::move(result);
    (this->*refresh)();
    showLoadNote(warnings);
    if (failure)
        std::rethrow_exception(failure);
}
