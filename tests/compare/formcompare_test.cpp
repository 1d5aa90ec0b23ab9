#include "app/appform.h"
#include "compare/commandline.h"
#include "compare/comparebydialog.h"
#include "compare/comparerun.h"
#include "compare/formcompare.h"
#include "lists/formatcount.h"
#include "platform/apperror.h"
#include "platform/programfolder.h"
#include "testsupport.h"
#include "widgets/fakedialogs.h"
#include "widgets/findbar.h"
#include "widgets/savetextfiledialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using testsupport::linesOf;
using testsupport::readAll;

QString total(qsizetype count)
{
    return QStringLiteral("Total: ") + FormatCount(count);
}

class CompareCommandTest : public ::testing::Test
{
protected:
    void fill(LineList &list, const QStringList &lines)
    {
        list.clear();
        for (const QString &line : lines)
            list.append(line);
        form.refreshList1();
        form.refreshList2();
    }

    // Presses COMPARE and waits until the window is idle again.
    TCompareForm *compare()
    {
        TCompareForm *before = CompareForm;
        QTest::mouseClick(form.ButtonCompare, Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return CompareForm != before && !form.comparing(); }, 10000));
        return CompareForm;
    }

    QStringList visibleTabs(const TCompareForm *results) const
    {
        QStringList tabs;
        for (int i = 0; i < results->PageControl1->count(); ++i) {
            if (results->PageControl1->isTabVisible(i))
                tabs << results->PageControl1->tabText(i);
        }
        return tabs;
    }

    // Each test starts from the defaults, whatever a test before it chose
    // in the same process: first of the members, before the window reads them.
    struct DefaultSettings
    {
        DefaultSettings() { QFile::remove(QDir(programFolder()).filePath(QStringLiteral("settings.ini"))); }
    } defaults;
    FakeDialogs dialogs;
    TAppForm form;
    testsupport::TempDir dir;
};

TEST_F(CompareCommandTest, BothListsEmptyOnlyBeeps)
{
    TCompareForm *before = CompareForm;
    QTest::mouseClick(form.ButtonCompare, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.ButtonCompare->text(), QStringLiteral("COMPARE"));
    EXPECT_FALSE(form.comparing());
    EXPECT_EQ(CompareForm, before);
}

TEST_F(CompareCommandTest, CompareOpensTheResultsWindowWithItsSets)
{
    for (bool withUnion : {false, true}) {
        SCOPED_TRACE(withUnion ? "union" : "no union");
        form.CalculateUnionofLists1->setChecked(withUnion);
        fill(form.List1,
             {QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("c")});
        fill(form.List2, {QStringLiteral("a"), QStringLiteral("d")});
        TCompareForm *results = compare();
        ASSERT_NE(results, nullptr);
        EXPECT_TRUE(results->isVisible());
        EXPECT_EQ(results->windowTitle(), QStringLiteral("Compare Results"));
        EXPECT_EQ(form.ButtonCompare->text(), QStringLiteral("COMPARE"));
        EXPECT_TRUE(form.StatusBar1->currentMessage().isEmpty());
        EXPECT_FALSE(form.TimerPercentage->isActive());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(results->PageControl1->currentIndex(), 0);
        QStringList tabs {QStringLiteral("Intersection"), QStringLiteral("Only #1"),
                          QStringLiteral("Only #2"), QStringLiteral("In One List Only")};
        if (withUnion)
            tabs << QStringLiteral("Union");
        // "A" matched "a" of list #2.
        tabs << QStringLiteral("Written Differently");
        EXPECT_EQ(visibleTabs(results), tabs);
        EXPECT_EQ(results->Label5->text(), total(1));
        const QAbstractItemModel *pairs = results->ListViewPairs->model();
        ASSERT_EQ(pairs->rowCount(), 1);
        ASSERT_EQ(pairs->columnCount(), 2);
        EXPECT_EQ(pairs->index(0, 0).data().toString(), QStringLiteral("A"));
        EXPECT_EQ(pairs->index(0, 1).data().toString(), QStringLiteral("a"));
        EXPECT_EQ(pairs->headerData(0, Qt::Horizontal).toString(), QStringLiteral("List #1"));
        EXPECT_EQ(pairs->headerData(1, Qt::Horizontal).toString(), QStringLiteral("List #2"));
        EXPECT_FALSE(results->ListViewPairs->isHeaderHidden());
        EXPECT_EQ(results->Label1->text(), total(2));
        EXPECT_EQ(results->Label2->text(), total(2));
        EXPECT_EQ(results->Label3->text(), total(1));
        EXPECT_EQ(results->Label4->text(), total(withUnion ? 4 : 0));
        EXPECT_EQ(results->ListViewCommon->model()->rowCount(), 2);
        EXPECT_EQ(results->ListViewCommon->model()->index(1, 0).data().toString(), QStringLiteral("A"));
        EXPECT_EQ(linesOf(results->list(ResultSet::Only1)),
                  (QStringList {QStringLiteral("b"), QStringLiteral("c")}));
        EXPECT_EQ(linesOf(results->oneListOnly()),
                  (QStringList {QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
        EXPECT_EQ(results->Label6->text(), total(3));
    }
}

TEST_F(CompareCommandTest, CtrlTabGoesThroughTheTabsThereAreOnly)
{
    for (const bool withUnion : {false, true}) {
        SCOPED_TRACE(withUnion ? "union" : "no union");
        form.CalculateUnionofLists1->setChecked(withUnion);
        fill(form.List1, {u"a"_s, u"b"_s});
        fill(form.List2, {u"b"_s, u"c"_s});
        TCompareForm *results = compare();
        ASSERT_NE(results, nullptr);
        QTabWidget *pages = results->PageControl1;
        QStringList expected {u"Intersection"_s, u"Only #1"_s, u"Only #2"_s, u"In One List Only"_s};
        if (withUnion)
            expected << u"Union"_s;
        QStringList bar;
        for (int i = 0; i < pages->count(); ++i)
            bar << pages->tabText(i);
        EXPECT_EQ(bar, expected);

        results->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(results));
        results->ListViewCommon->setFocus();
        // Round the bar and back to the first: each step shows a tab's own page.
        QStringList visited;
        for (int step = 0; step < int(expected.size()); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
            ASSERT_GE(pages->currentIndex(), 0);
            EXPECT_EQ(pages->tabBar()->currentIndex(), pages->currentIndex());
            EXPECT_TRUE(pages->currentWidget()->isVisible());
            visited << pages->tabText(pages->currentIndex());
        }
        expected.move(0, expected.size() - 1);
        EXPECT_EQ(visited, expected);
        // Gone before the next run, whose window could take its address.
        results->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(CompareCommandTest, CaseFlagIsSetAtTheStartAndSortedListsAreSortedAgain)
{
    form.CaseSensitive1->setChecked(true);
    fill(form.List1, {QStringLiteral("B"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("A")});
    form.List1.setSorted(true);
    fill(form.List2, {QStringLiteral("A")});
    TCompareForm *results = compare();
    ASSERT_NE(results, nullptr);
    EXPECT_TRUE(form.List1.matching().caseSensitive);
    EXPECT_TRUE(form.List2.matching().caseSensitive);
    EXPECT_EQ(
        linesOf(form.List1),
        (QStringList {QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("B")}));
    EXPECT_EQ(linesOf(results->list(ResultSet::Intersection)), QStringList {QStringLiteral("A")});
}

// The Settings menu's matching reaches the comparison, and the window and
// pairsight-compare give the same sets under every combination.
TEST_F(CompareCommandTest, EveryMatchingGivesTheSetsOfTheCommandLine)
{
    const QStringList lines1 {u"M\u00FCller"_s, u"co-op"_s, u"Apple"_s, u"J. Smith"_s, u"..."_s, u"x"_s};
    const QStringList lines2 {u"MULLER"_s, u"coop"_s, u"apple"_s, u"J Smith"_s, u""_s, u"muller"_s};
    dir.write(u"one.txt"_s, lines1.join(u'\n').toUtf8());
    dir.write(u"two.txt"_s, lines2.join(u'\n').toUtf8());
    auto setOf = [&](const char *name) {
        QByteArray bytes = readAll(dir.file(QString::fromLatin1(name)));
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
        QStringList lines = QString::fromUtf8(bytes.mid(3)).split(u"\r\n"_s);
        lines.removeLast(); // after the last CR LF
        return lines;
    };
    for (int bits = 0; bits < 8; ++bits) {
        form.CaseSensitive1->setChecked(bits & 1);
        form.IgnoreAccents1->setChecked(bits & 2);
        form.IgnorePunctuation1->setChecked(bits & 4);
        SCOPED_TRACE(describeMatching(form.matching()).toStdString());
        form.CalculateUnionofLists1->setChecked(true);
        fill(form.List1, lines1);
        fill(form.List2, lines2);
        TCompareForm *results = compare();
        ASSERT_NE(results, nullptr);
        EXPECT_EQ(form.List1.matching(), form.matching());

        QStringList arguments {u"pairsight-compare"_s, u"--no-sort"_s, u"--union"_s,
                               u"--pairs"_s,           u"--output"_s,  dir.path()};
        if (bits & 1)
            arguments << u"--case-sensitive"_s;
        if (bits & 2)
            arguments << u"--ignore-accents"_s;
        if (bits & 4)
            arguments << u"--ignore-punctuation"_s;
        arguments << dir.file(u"one.txt"_s) << dir.file(u"two.txt"_s);
        ASSERT_EQ(runCompareCommand(arguments), 0);
        EXPECT_EQ(linesOf(results->list(ResultSet::Intersection)), setOf("intersection.txt"));
        EXPECT_EQ(linesOf(results->list(ResultSet::Only1)), setOf("only1.txt"));
        EXPECT_EQ(linesOf(results->list(ResultSet::Only2)), setOf("only2.txt"));
        EXPECT_EQ(linesOf(results->list(ResultSet::Union)), setOf("union.txt"));

        // The pairs tab saves as the command line writes them.
        const QString saved = dir.file(u"pairs.txt"_s);
        dialogs.answerSave(saved);
        QFile::remove(saved);
        QTest::mouseClick(results->Button5, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(saved); }));
        EXPECT_EQ(readAll(saved), readAll(dir.file(u"written-differently.txt"_s)));
        EXPECT_EQ(results->PageControl1->indexOf(results->TabSheet5) >= 0, results->pairs().count() > 0);
        // Gone before the next run, whose window could take its address.
        results->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(CompareCommandTest, CompareByAFieldWithHeadersThroughTheDialog)
{
    dialogs.answerDialog([](QDialog &shown) {
        auto &dialog = dynamic_cast<CompareByDialog &>(shown);
        EXPECT_TRUE(dialog.wholeLine->isChecked());
        dialog.byField->setChecked(true);
        dialog.fieldNumber->setValue(2);
        dialog.delimiter->setCurrentIndex(1); // Comma
        dialog.header->setChecked(true);
        dialog.accept();
        return dialog.result();
    });
    form.CompareBy1->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.pendingDialogAnswers() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(form.keyChoice().mode, LineKey::Mode::Field);
    const QString status = form.findChild<QLabel *>(u"MatchingLabel"_s)->text();
    EXPECT_EQ(status, u"Matching: ignore case \u00B7 Comparing by field 2 (Comma) \u00B7 header"_s);
    EXPECT_TRUE(form.Button4->toolTip().contains(u"first line of each key"_s));

    fill(form.List1, {u"id,mail"_s, u"1,ann"_s, u"2,bob"_s, u"3"_s});
    fill(form.List2, {u"mail,x"_s, u"9,ANN"_s, u"8,cid"_s});
    TCompareForm *results = compare();
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(linesOf(results->list(ResultSet::Intersection)), QStringList {u"1,ann"_s});
    EXPECT_EQ(linesOf(results->list(ResultSet::Only1)), (QStringList {u"2,bob"_s, u"3"_s}));
    EXPECT_EQ(linesOf(results->list(ResultSet::Only2)), QStringList {u"8,cid"_s});
    EXPECT_TRUE(results->KeyInfo->isVisible());
    EXPECT_TRUE(results->KeyInfo->text().contains(u"Header of list #2: mail,x"_s));
    EXPECT_TRUE(results->summaryText().contains(u"Without a key:       1 in list #1, 0 in list #2\n"_s))
        << results->summaryText().toStdString();
    EXPECT_TRUE(results->summaryText().contains(u"by field 2 (Comma); first line a header"_s));
    EXPECT_EQ(linesOf(results->pairs().second), QStringList {u"9,ANN"_s});

    // Each saved set starts with the header of the list its lines come from.
    const QString path = dir.file(u"only2.txt"_s);
    dialogs.answerSave(path);
    QTest::mouseClick(results->Button2, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(path); }));
    EXPECT_EQ(readAll(path), QByteArray("\xEF\xBB\xBFmail,x\r\n8,cid\r\n"));
    const QString common = dir.file(u"common.txt"_s);
    dialogs.answerSave(common);
    QTest::mouseClick(results->Button3, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(common); }));
    EXPECT_EQ(readAll(common), QByteArray("\xEF\xBB\xBFid,mail\r\n1,ann\r\n"));

    // Cancelled: nothing changes.
    dialogs.answerDialog([](QDialog &shown) {
        dynamic_cast<CompareByDialog &>(shown).byPattern->setChecked(true);
        shown.reject();
        return shown.result();
    });
    form.CompareBy1->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.pendingDialogAnswers() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(form.keyChoice().mode, LineKey::Mode::Field);
    EXPECT_EQ(form.List1.key(), form.lineKey());
    EXPECT_TRUE(form.List1.header());
}

TEST_F(CompareCommandTest, PressingAgainWhileRunningOnlyAsksToStop)
{
    form.CalculateUnionofLists1->setChecked(true);
    fill(form.List1, {QStringLiteral("x")});
    fill(form.List2, {QStringLiteral("x")});
    TCompareForm *before = CompareForm;
    // The second press is handled before the worker's first hand-off: STOP is showing then.
    form.ButtonCompare->click();
    form.Compare1->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return CompareForm != before && !form.comparing(); }, 10000));
    TCompareForm *results = CompareForm;
    EXPECT_TRUE(results->isVisible());
    EXPECT_EQ(results->Label1->text(), total(0));
    EXPECT_EQ(visibleTabs(results).size(), 4);
    EXPECT_EQ(form.ButtonCompare->text(), QStringLiteral("COMPARE"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(CompareCommandTest, StatusBarShowsThePercentage)
{
    struct Case
    {
        int stage;
        qint64 total, current;
        const char *text;
    };
    for (const Case &c : {Case {2, 4000, 1000, "Processing... (31%)"}, Case {4, 0, 0, "Processing... (85%)"},
                          Case {6, 0, 0, "Processing... (95%)"}}) {
        SCOPED_TRACE(c.text);
        CompareProgress &progress = form.compareRun().progress();
        progress.ProgressStage = c.stage;
        progress.ProgressTotal = c.total;
        progress.ProgressCurrent = c.current;
        form.TimerPercentageTimer();
        EXPECT_EQ(form.StatusBar1->currentMessage(), QLatin1StringView(c.text));
    }
    form.IslemTamam();
    EXPECT_TRUE(form.StatusBar1->currentMessage().isEmpty());
}

TEST_F(CompareCommandTest, AWorkerErrorIsReportedAndTheWindowGoesIdle)
{
    form.compareRun().setCompare(
        [](const LineList &, const LineList &, const CompareOptions &, CompareProgress &) -> CompareResult {
            throw AppError(QStringLiteral("Out of memory"));
        });
    fill(form.List1, {QStringLiteral("a")});
    QTest::mouseClick(form.ButtonCompare, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.errorBoxes.empty(); }, 10000));
    EXPECT_FALSE(form.comparing());
    ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
    EXPECT_EQ(dialogs.errorBoxes[0].title, QStringLiteral("ERROR"));
    EXPECT_EQ(dialogs.errorBoxes[0].text, QStringLiteral("Out of memory"));
    EXPECT_EQ(form.ButtonCompare->text(), QStringLiteral("COMPARE"));
    EXPECT_FALSE(form.TimerPercentage->isActive());
    // The window of the failed run is never shown.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.findChildren<TCompareForm *>().isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(CompareCommandTest, EachRunHasItsOwnWindowAndSavesItsOwnSets)
{
    fill(form.List1, {QStringLiteral("old"), QStringLiteral("both")});
    fill(form.List2, {QStringLiteral("both")});
    TCompareForm *older = compare();
    fill(form.List1, {QStringLiteral("new")});
    TCompareForm *newer = compare();
    ASSERT_NE(older, newer);
    EXPECT_TRUE(older->isVisible());
    EXPECT_TRUE(newer->isVisible());

    const QString path = dir.file(QStringLiteral("only1.txt"));
    dialogs.answerSave(path);
    QTest::mouseClick(older->Button1, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.pendingSaveAnswers() == 0 && QFile::exists(path); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(readAll(path),
              QByteArray("\xEF\xBB\xBF"
                         "old\r\n"));

    // An empty set saves as the mark alone; the dialog keeps the last name.
    dialogs.answerSave(path);
    QTest::mouseClick(newer->Button3, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.pendingSaveAnswers() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(readAll(path), QByteArray("\xEF\xBB\xBF"));
    EXPECT_EQ(dialogs.lastSaveDialog, newer->SaveTextFileDialog1);

    older->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CompareForm, newer);
}

TEST_F(CompareCommandTest, AFailedSaveIsReportedNamingTheFile)
{
    fill(form.List1, {QStringLiteral("a")});
    TCompareForm *results = compare();
    const QString path = dir.file(QStringLiteral("missing/folder/out.txt"));
    dialogs.answerSave(path);
    QTest::mouseClick(results->Button3, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.errorBoxes.empty(); }));
    EXPECT_TRUE(dialogs.errorBoxes[0].text.contains(QStringLiteral("out.txt")))
        << dialogs.errorBoxes[0].text.toStdString();
    EXPECT_TRUE(results->isVisible());
}

TEST(ResultsWindow, SaveDialogConfiguration)
{
    TCompareForm results;
    const SaveTextFileDialog *dialog = results.SaveTextFileDialog1;
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("txt"));
    EXPECT_EQ(dialog->nameFilters(),
              (QStringList {QStringLiteral("Text File (*.txt)"), QStringLiteral("Any File (*)")}));
    EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    const auto *encoding = dialog->findChild<QComboBox *>(QStringLiteral("EncodingComboBox"));
    ASSERT_NE(encoding, nullptr);
    EXPECT_EQ(encoding->count(), 1);
    EXPECT_EQ(encoding->itemText(0), QStringLiteral("UTF-8"));
    EXPECT_EQ(results.PageControl1->indexOf(results.TabSheet4), -1);
    EXPECT_EQ(results.Label4->text(), total(0));
}

// The window as a user meets it after a comparison with repeats, a pair
// and the union: the summary, Save All, copying and finding.
class ResultsWindowTest : public CompareCommandTest
{
protected:
    TCompareForm *compareSample()
    {
        form.CalculateUnionofLists1->setChecked(true);
        fill(form.List1, {u"b"_s, u"a"_s, u"A"_s, u"c"_s, u"c"_s});
        fill(form.List2, {u"a"_s, u"d"_s});
        return compare();
    }

    // Answers the folder dialog of Save All with `folder`.
    void answerFolder(const QString &folder)
    {
        dialogs.answerDialog([folder](QDialog &shown) {
            auto &dialog = dynamic_cast<QFileDialog &>(shown);
            EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
            dialog.setDirectory(folder);
            return int(QDialog::Accepted);
        });
    }

    void saveAll(TCompareForm *results)
    {
        QTest::mouseClick(results->SaveAllButton, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.pendingDialogAnswers() == 0; }));
        QCoreApplication::processEvents();
    }
};

TEST_F(ResultsWindowTest, TheSummaryBandSaysWhatTheComparisonFound)
{
    TCompareForm *results = compareSample();
    ASSERT_NE(results, nullptr);
    EXPECT_TRUE(results->SummaryBand->isVisible());
    const QByteArray &locale = form.List1.collationLocale();
    // Counted by hand: list #1 has b, a/A, c twice (3 distinct, 2 repeats);
    // a is in both; either list holds a, b, c, d.
    EXPECT_EQ(results->summaryText(),
              u"List #1:             5 lines, 3 distinct, 2 repeated\n"
              u"List #2:             2 lines, 2 distinct, 0 repeated\n"
              u"In both:             2 lines of list #1, 1 distinct\n"
              u"Only #1:             3\n"
              u"Only #2:             1\n"
              u"Union:               4\n"
              u"Written differently: 1\n"
              u"Overlap:             "_s
                  + QLocale::system().toString(25.0, 'f', 1)
                  + u"%\n"
                    u"Matched:             locale "_s
                  + QString::fromLatin1(locale.isEmpty() ? QByteArray("root") : locale)
                  + u"; ignore case; whole lines\n"_s)
        << results->summaryText().toStdString();
    QStringList shown;
    for (const QLabel *label : results->SummaryBand->findChildren<QLabel *>())
        shown << label->text();
    EXPECT_TRUE(shown.contains(u"Overlap:"_s));
    EXPECT_TRUE(shown.contains(u"5 lines, 3 distinct, 2 repeated"_s)) << shown.join(u'|').toStdString();

    // In One List Only comes after Only #2.
    EXPECT_EQ(results->PageControl1->tabText(results->PageControl1->indexOf(results->TabSheet6)),
              u"In One List Only"_s);
    EXPECT_EQ(results->PageControl1->indexOf(results->TabSheet6),
              results->PageControl1->indexOf(results->TabSheet3) + 1);

    results->show();
    QTest::keyClick(results, Qt::Key_Escape);
    EXPECT_FALSE(results->isVisible());
}

TEST_F(ResultsWindowTest, SaveAllWritesEveryFileAndAsksBeforeReplacingAny)
{
    TCompareForm *results = compareSample();
    ASSERT_NE(results, nullptr);
    const QString folder = dir.file(u"out"_s);
    QDir().mkpath(folder);
    answerFolder(folder);
    saveAll(results);
    const QByteArray mark = "\xEF\xBB\xBF";
    const QDir out(folder);
    EXPECT_EQ(out.entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList {u"intersection.txt"_s, u"one-list-only.txt"_s, u"only1.txt"_s, u"only2.txt"_s,
                            u"summary.txt"_s, u"union.txt"_s, u"written-differently.txt"_s}));
    EXPECT_EQ(readAll(out.filePath(u"intersection.txt"_s)), mark + "a\r\nA\r\n");
    EXPECT_EQ(readAll(out.filePath(u"only1.txt"_s)), mark + "b\r\nc\r\nc\r\n");
    EXPECT_EQ(readAll(out.filePath(u"only2.txt"_s)), mark + "d\r\n");
    EXPECT_EQ(readAll(out.filePath(u"one-list-only.txt"_s)), mark + "b\r\nc\r\nc\r\nd\r\n");
    EXPECT_EQ(readAll(out.filePath(u"union.txt"_s)), mark + "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(readAll(out.filePath(u"written-differently.txt"_s)), mark + "A\ta\r\n");
    QByteArray summary = results->summaryText().toUtf8();
    summary.replace("\n", "\r\n");
    EXPECT_EQ(readAll(out.filePath(u"summary.txt"_s)), mark + summary);

    // One question names the files that are there; No leaves them be.
    testsupport::TempDir second;
    const QString kept = second.write(u"only2.txt"_s, "older");
    second.write(u"union.txt"_s, "older");
    answerFolder(second.path());
    dialogs.answerMessage(QMessageBox::No);
    saveAll(results);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(u"only2.txt\nunion.txt"_s))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(readAll(kept), "older");
    EXPECT_EQ(QDir(second.path()).entryList(QDir::Files).size(), 2);
    answerFolder(second.path());
    dialogs.answerMessage(QMessageBox::Yes);
    saveAll(results);
    EXPECT_EQ(readAll(kept), mark + "d\r\n");
    EXPECT_EQ(QDir(second.path()).entryList(QDir::Files).size(), 7);
}

// A write that fails half-way (the file size limit, as a full disk would)
// reports the file, and leaves no half file and every older one as it was.
TEST_F(ResultsWindowTest, AnInterruptedSaveAllChangesNoFile)
{
    QStringList many;
    for (int i = 0; i < 20000; ++i)
        many << u"line number %1 of a list that will not fit"_s.arg(i);
    fill(form.List1, many);
    fill(form.List2, {u"x"_s});
    TCompareForm *results = compare();
    ASSERT_NE(results, nullptr);
    const QString kept = dir.write(u"only1.txt"_s, "older");
    answerFolder(dir.path());
    dialogs.answerMessage(QMessageBox::Yes);
    {
        const testsupport::FileSizeLimit limit(rlim_t {64} * 1024);
        saveAll(results);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.errorBoxes.empty(); }));
    }
    EXPECT_TRUE(dialogs.errorBoxes[0].text.contains(dir.path())) << dialogs.errorBoxes[0].text.toStdString();
    EXPECT_EQ(readAll(kept), "older");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {u"only1.txt"_s});
}

TEST_F(ResultsWindowTest, SelectedRowsAreCopiedEachWithCrLf)
{
    TCompareForm *results = compareSample();
    ASSERT_NE(results, nullptr);
    results->show();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(u"before"_s);

    // Only #1 holds b, c, c: the first and the last row.
    results->PageControl1->setCurrentWidget(results->TabSheet2);
    QTreeView *view = results->ListViewOnly1;
    view->setFocus();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(0, 0)).center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      view->visualRect(view->model()->index(2, 0)).center());
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), u"b\r\nc\r\n"_s);

    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), u"b\r\nc\r\nc\r\n"_s);
    EXPECT_TRUE(view->actions().contains(results->CopyAction));
    EXPECT_EQ(view->contextMenuPolicy(), Qt::ActionsContextMenu);

    // A pair is its two lines and a TAB.
    results->PageControl1->setCurrentWidget(results->TabSheet5);
    results->ListViewPairs->setFocus();
    results->SelectAllAction->trigger();
    results->CopyAction->trigger();
    EXPECT_EQ(clipboard->text(), u"A\ta\r\n"_s);
}

TEST_F(ResultsWindowTest, TheFindBarGoesToLinesHoldingTheText)
{
    QStringList lines;
    for (int i = 0; i < 50; ++i)
        lines << u"line %1"_s.arg(i, 2, 10, QChar(u'0'));
    lines[10] = u"the Needle"_s;
    lines[40] = u"a needle again"_s;
    fill(form.List1, lines);
    fill(form.List2, {u"x"_s});
    TCompareForm *results = compare();
    ASSERT_NE(results, nullptr);
    results->show();
    results->PageControl1->setCurrentWidget(results->TabSheet2);
    QTreeView *view = results->ListViewOnly1;
    const auto currentLine = [&] { return view->currentIndex().data().toString(); };

    QTest::keyClick(results, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(results->FindBar1->isVisible());
    auto *edit = results->FindBar1->findChild<QLineEdit *>(u"FindEdit"_s);
    auto *status = results->FindBar1->findChild<QLabel *>(u"FindStatus"_s);
    // Case is ignored as the comparison ignored it.
    QTest::keyClicks(edit, u"NEEDLE"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return currentLine() == lines[10]; }));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return currentLine() == lines[40]; }));
    QTest::keyClick(edit, Qt::Key_F3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return currentLine() == lines[10]; })); // round the end
    QTest::keyClick(edit, Qt::Key_F3, Qt::ShiftModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return currentLine() == lines[40]; }));
    EXPECT_TRUE(status->text().isEmpty());

    QTest::keyClicks(edit, u"x"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == u"not found"_s; }));
    EXPECT_EQ(currentLine(), lines[40]);

    // Escape closes the bar first, then the window.
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(results->FindBar1->isVisible());
    EXPECT_TRUE(results->isVisible());
}

} // namespace
