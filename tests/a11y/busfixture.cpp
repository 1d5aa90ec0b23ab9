// The windows that read-tree.py reads over the real accessibility bus: the
// main window with both lists filled and two rows of list #1 selected, and
// the results window of their comparison. Once both are shown it writes
// "ready" on its output, then takes commands on its input, one a line:
//   main      the current row of list #1 moves to "c", with the focus there
//   results   the current row of Only #1 moves to "c", with the focus there
// Each is answered "done" once made; the program ends at the end of its input.

#include "app/appform.h"
#include "app/application.h"
#include "compare/formcompare.h"
#include "lists/listpane.h"
#include "testsupport.h"

#include <QItemSelectionModel>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include <iostream>
#include <string>

namespace {

using namespace Qt::StringLiterals;

// Once the view has the focus (the window system activates the window
// first), moves its current row and says "done".
void moveCurrentRow(QWidget *window, QAbstractItemView *view, int row)
{
    window->activateWindow();
    window->raise();
    view->setFocus();
    auto *poll = new QTimer(view);
    QObject::connect(poll, &QTimer::timeout, view, [view, row, poll] {
        if (!view->hasFocus())
            return;
        poll->deleteLater();
        // Without touching the selection: the reader follows the current row.
        view->selectionModel()->setCurrentIndex(view->model()->index(row, 0), QItemSelectionModel::NoUpdate);
        std::cout << "done" << std::endl;
    });
    poll->start(20);
}

} // namespace

int main(int argc, char **argv)
{
    testsupport::isolateUserFolders();
    testsupport::isolateNetwork();
    Application app(argc, argv);
    app.setTitle(u"Pairsight"_s);

    TAppForm form;
    // In order already, so that the sorted results keep it.
    for (const QString &line : {u"a"_s, u"b"_s, u"c"_s, u"d"_s})
        form.List1.append(line);
    for (int i = 0; i < 500; ++i)
        form.List1.append(u"z %1"_s.arg(i, 3, 10, QChar(u'0')));
    for (const QString &line : {u"b"_s, u"e"_s})
        form.List2.append(line);
    form.refreshList1();
    form.refreshList2();
    form.MemoLeft->selectionModel()->select(
        QItemSelection(form.MemoLeft->model()->index(1, 0), form.MemoLeft->model()->index(2, 0)),
        QItemSelectionModel::Select);
    form.show();
    form.ButtonCompare->click();

    QTimer waitForResults;
    QObject::connect(&waitForResults, &QTimer::timeout, [&] {
        if (!CompareForm || form.comparing() || !CompareForm->isVisible())
            return;
        waitForResults.stop();
        CompareForm->PageControl1->setCurrentWidget(CompareForm->TabSheet2);
        std::cout << "ready" << std::endl;
    });
    waitForResults.start(50);

    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string command;
        if (!std::getline(std::cin, command)) {
            QCoreApplication::quit();
            return;
        }
        if (command == "main")
            moveCurrentRow(&form, form.MemoLeft, 2);
        else if (command == "results" && CompareForm)
            moveCurrentRow(CompareForm, CompareForm->ListViewOnly1, 1);
        else
            std::cout << "unknown" << std::endl;
    });
    return QApplication::exec();
}
