#pragma once

#include "compare/comparison.h"
#include "lists/linelist.h"

#include <QWidget>

#include <functional>
#include <optional>

class LineListModel;
class QLabel;
class QPushButton;
class QTabWidget;
class QTreeView;
class SaveTextFileDialog;

// The results of one comparison, a tab a set, each with its total and a
// "Save..." button. Filled by the comparison's hand-offs while hidden, then
// shown; it never changes after that and frees itself when closed.
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
    // By key: the headers of the lists (saved at the top of each set taken
    // from that list) and how many lines had no key, shown above the tabs.
    void deliverKeyInfo(const CompareResult &result, const QString &keyDescription);
    const LineList &list(ResultSet set) const;

    QTabWidget *PageControl1;
    QLabel *KeyInfo;
    QWidget *TabSheet1;
    QWidget *TabSheet2;
    QWidget *TabSheet3;
    QWidget *TabSheet4;
    QWidget *TabSheet5;
    QTreeView *ListViewCommon;
    QTreeView *ListViewOnly1;
    QTreeView *ListViewOnly2;
    QTreeView *ListViewAll;
    QTreeView *ListViewPairs;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QPushButton *Button3;
    QPushButton *Button1;
    QPushButton *Button2;
    QPushButton *Button4;
    QPushButton *Button5;
    SaveTextFileDialog *SaveTextFileDialog1;

private:
    struct Tab
    {
        LineList lines;
        LineListModel *model = nullptr;
        QTreeView *view = nullptr;
        QLabel *total = nullptr;
        QPushButton *save = nullptr;
        int source = 0; // the list its lines come from, for the header
    };

    // A tab's page over tab.lines (or tab.model when set); its button saves
    // the lines, or calls `save` when given.
    QWidget *createTab(Tab &tab,
                       const QString &view,
                       const QString &label,
                       const QString &button,
                       std::function<void()> save = {});
    // The save dialog's answer, remembered for the next save; nullopt when cancelled.
    std::optional<QString> chooseFileToSave();
    void saveTab(const Tab &tab);
    void savePairs();

    Tab m_tabs[4];
    std::array<std::optional<QString>, 2> m_headers;
    // The pairs' tab: its list is `first`, with `second` beside it.
    LinePairs m_pairs;
    Tab m_pairsTab;
};

// The newest results window; cleared when it closes.
extern TCompareForm *CompareForm;
