#pragma once

#include "compare/comparison.h"
#include "compare/resultfiles.h"
#include "lists/linelist.h"

#include <QWidget>

#include <optional>

class FindBar;
class LineFinder;
class LineListModel;
class QAction;
class QGridLayout;
class QLabel;
class QPushButton;
class QTabWidget;
class QTreeView;
class SaveTextFileDialog;

// The results of one comparison, a tab a set, each with its total and a
// "Save..." button, under a summary band with "Save All...". Filled by the
// comparison's hand-offs while hidden, then shown; it never changes after
// that and frees itself when closed. Lines of the tabs can be selected and
// copied.
class TCompareForm : public QWidget
{
    Q_OBJECT

public:
    explicit TCompareForm(QWidget *parent = nullptr);
    ~TCompareForm() override;

    // Takes a result set: the tab's list, its row count and its total.
    void deliver(ResultSet set, LineList lines);
    void showUnionTab();
    // Takes the written-differently pairs; their tab comes after the others
    // when there is at least one.
    void deliverPairs(LinePairs pairs);
    const LinePairs &pairs() const { return m_pairs; }
    // By key: the headers of the lists, saved at the top of each set taken
    // from that list and shown above the tabs.
    void deliverHeaders(const std::array<std::optional<QString>, 2> &headers);
    // Fills the summary band; after the sets and the pairs.
    void deliverSummary(const CompareSummary &summary);
    const LineList &list(ResultSet set) const;
    // Only #1, then only #2.
    const LineList &oneListOnly() const { return m_oneListOnlyTab.lines; }
    // The summary as Save All writes it.
    const QString &summaryText() const { return m_summaryText; }

    // Chooses a folder and writes every result file into it, asking first
    // when any of them exists there.
    void saveAll();
    // The selected lines of the current tab, each followed by CR LF (a pair
    // as its two lines joined by a TAB).
    QString selectedLines() const;
    // Puts selectedLines() on the clipboard, when there are any.
    void copySelection();
    // Looks for the bar's text in the current tab from its current row:
    // that row itself while typing, else the next or the previous one.
    enum class FindFrom
    {
        Current,
        Next,
        Previous,
    };
    void findInTab(FindFrom from);

    QTabWidget *PageControl1;
    QWidget *SummaryBand;
    QPushButton *SaveAllButton;
    QLabel *KeyInfo;
    QWidget *TabSheet1;
    QWidget *TabSheet2;
    QWidget *TabSheet3;
    QWidget *TabSheet4;
    QWidget *TabSheet5;
    QWidget *TabSheet6;
    QTreeView *ListViewCommon;
    QTreeView *ListViewOnly1;
    QTreeView *ListViewOnly2;
    QTreeView *ListViewAll;
    QTreeView *ListViewPairs;
    QTreeView *ListViewOneListOnly;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QPushButton *Button3;
    QPushButton *Button1;
    QPushButton *Button2;
    QPushButton *Button4;
    QPushButton *Button5;
    QPushButton *Button6;
    QAction *CopyAction;
    QAction *SelectAllAction;
    QAction *FindAction;
    FindBar *FindBar1;
    SaveTextFileDialog *SaveTextFileDialog1;

private:
    struct Tab
    {
        QString title; // of its tab, and the name of its list to screen readers
        LineList lines;
        LineListModel *model = nullptr;
        QTreeView *view = nullptr;
        QLabel *total = nullptr;
        QPushButton *save = nullptr;
        ResultFile file = ResultFile::Intersection; // what its Save... writes
    };

    // A tab's page over tab.lines (or tab.model when set), its list named
    // tab.title; its button saves tab.file.
    QWidget *createTab(Tab &tab, const QString &view, const QString &label, const QString &button);
    // The save dialog's answer, remembered for the next save; nullopt when cancelled.
    std::optional<QString> chooseFileToSave();
    // What the tabs hold, as Save... and Save All write it.
    ResultFiles resultFiles() const;
    void saveResult(ResultFile file);
    // The tab of the current page.
    const Tab *currentTab() const;

    Tab m_tabs[4];
    bool m_delivered[4] = {};
    Tab m_oneListOnlyTab;
    QGridLayout *m_summaryRows = nullptr;
    QString m_summaryText;
    QString m_lastFolder;
    LineFinder *m_finder = nullptr;
    // The tab the running search looks in.
    const Tab *m_findTab = nullptr;
    Qt::CaseSensitivity m_findCase = Qt::CaseInsensitive;
    std::array<std::optional<QString>, 2> m_headers;
    // The pairs' tab: its list is `first`, with `second` beside it.
    LinePairs m_pairs;
    Tab m_pairsTab;
};

// The newest results window; cleared when it closes.
extern TCompareForm *CompareForm;
