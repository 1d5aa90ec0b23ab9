#include "compare/formcompare.h"

#include "compare/comparesummary.h"
#include "compare/resultfiles.h"
#include "lists/formatcount.h"
#include "lists/linefinder.h"
#include "lists/linelistmodel.h"
#include "lists/paneedit.h"
#include "lists/rowsaccessible.h"
#include "platform/languagetable.h"
#include "widgets/appicons.h"
#include "widgets/dialogs.h"
#include "widgets/findbar.h"
#include "widgets/progressrun.h"
#include "widgets/savetextfiledialog.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

TCompareForm *CompareForm = nullptr;

namespace {

QString totalText(qsizetype count)
{
    return TranslateText(QStringLiteral("Total: ")) + FormatCount(count);
}

// A plain widget is a client area to screen readers; this one is a window of its own.
QAccessibleInterface *resultsWindowFactory(const QString &className, QObject *object)
{
    if (className == QLatin1StringView(TCompareForm::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

TCompareForm::TCompareForm(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    static const bool windowRoleInstalled = [] {
        QAccessible::installFactory(resultsWindowFactory);
        return true;
    }();
    Q_UNUSED(windowRoleInstalled);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("CompareForm"));
    setWindowTitle(TranslateText(QStringLiteral("Compare Results")));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    setFont(font);
    resize(635, 560);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    SummaryBand = new QWidget(this);
    SummaryBand->setObjectName(QStringLiteral("SummaryBand"));
    auto *band = new QHBoxLayout(SummaryBand);
    band->setContentsMargins(3, 3, 3, 3);
    m_summaryRows = new QGridLayout;
    m_summaryRows->setHorizontalSpacing(8);
    m_summaryRows->setVerticalSpacing(1);
    band->addLayout(m_summaryRows, 1);
    SaveAllButton
        = new QPushButton(appIcon(AppIcon::Save), TranslateText(QStringLiteral("Save All...")), SummaryBand);
    SaveAllButton->setObjectName(QStringLiteral("SaveAllButton"));
    band->addWidget(SaveAllButton, 0, Qt::AlignTop);
    // Queued: a failed save throws, and must not unwind through the button's code.
    connect(SaveAllButton, &QPushButton::clicked, this, &TCompareForm::saveAll, Qt::QueuedConnection);
    layout->addWidget(SummaryBand);
    KeyInfo = new QLabel(this);
    KeyInfo->setObjectName(QStringLiteral("KeyInfo"));
    KeyInfo->setWordWrap(true);
    KeyInfo->setTextFormat(Qt::PlainText);
    KeyInfo->hide();
    layout->addWidget(KeyInfo);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1, 1);
    FindBar1 = new FindBar(this);
    layout->addWidget(FindBar1);

    Tab &common = m_tabs[int(ResultSet::Intersection)];
    Tab &only1 = m_tabs[int(ResultSet::Only1)];
    Tab &only2 = m_tabs[int(ResultSet::Only2)];
    Tab &all = m_tabs[int(ResultSet::Union)];
    only1.file = ResultFile::Only1;
    only2.file = ResultFile::Only2;
    all.file = ResultFile::Union;
    m_oneListOnlyTab.file = ResultFile::OneListOnly;
    m_pairsTab.file = ResultFile::WrittenDifferently;
    common.title = TranslateText(QStringLiteral("Intersection"));
    only1.title = TranslateText(QStringLiteral("Only #1"));
    only2.title = TranslateText(QStringLiteral("Only #2"));
    all.title = TranslateText(QStringLiteral("Union"));
    m_oneListOnlyTab.title = TranslateText(QStringLiteral("In One List Only"));
    m_pairsTab.title = TranslateText(QStringLiteral("Written Differently"));
    TabSheet1 = createTab(common, QStringLiteral("ListViewCommon"), QStringLiteral("Label1"),
                          QStringLiteral("Button3"));
    TabSheet2 = createTab(only1, QStringLiteral("ListViewOnly1"), QStringLiteral("Label2"),
                          QStringLiteral("Button1"));
    TabSheet3 = createTab(only2, QStringLiteral("ListViewOnly2"), QStringLiteral("Label3"),
                          QStringLiteral("Button2"));
    TabSheet4
        = createTab(all, QStringLiteral("ListViewAll"), QStringLiteral("Label4"), QStringLiteral("Button4"));
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    TabSheet6 = createTab(m_oneListOnlyTab, QStringLiteral("ListViewOneListOnly"), QStringLiteral("Label6"),
                          QStringLiteral("Button6"));
    TabSheet6->setObjectName(QStringLiteral("TabSheet6"));
    PageControl1->addTab(TabSheet1, common.title);
    PageControl1->addTab(TabSheet2, only1.title);
    PageControl1->addTab(TabSheet3, only2.title);
    PageControl1->addTab(TabSheet6, m_oneListOnlyTab.title);
    // The union's tab joins the bar only with a union: a hidden tab would
    // still be reached by Ctrl+Tab and announced by screen readers.
    TabSheet4->setParent(this);
    TabSheet4->hide();
    PageControl1->setCurrentIndex(0);
    ListViewCommon = common.view;
    ListViewOnly1 = only1.view;
    ListViewOnly2 = only2.view;
    ListViewAll = all.view;
    Label1 = common.total;
    Label2 = only1.total;
    Label3 = only2.total;
    Label4 = all.total;
    Button3 = common.save;
    Button1 = only1.save;
    Button2 = only2.save;
    Button4 = all.save;
    ListViewOneListOnly = m_oneListOnlyTab.view;
    Label6 = m_oneListOnlyTab.total;
    Button6 = m_oneListOnlyTab.save;

    // Two columns, the lines of list #1 beside those of list #2; added to
    // the tabs only when there are pairs.
    m_pairsTab.model = new LineListModel(
        {&m_pairs.first, &m_pairs.second},
        {TranslateText(QStringLiteral("List #1")), TranslateText(QStringLiteral("List #2"))}, this);
    TabSheet5 = createTab(m_pairsTab, QStringLiteral("ListViewPairs"), QStringLiteral("Label5"),
                          QStringLiteral("Button5"));
    TabSheet5->setObjectName(QStringLiteral("TabSheet5"));
    TabSheet5->setParent(this);
    TabSheet5->hide();
    ListViewPairs = m_pairsTab.view;
    ListViewPairs->setHeaderHidden(false);
    ListViewPairs->header()->setSectionResizeMode(QHeaderView::Stretch);
    Label5 = m_pairsTab.total;
    Button5 = m_pairsTab.save;

    SaveTextFileDialog1 = new SaveTextFileDialog(this, {QStringLiteral("UTF-8")});
    SaveTextFileDialog1->setObjectName(QStringLiteral("SaveTextFileDialog1"));

    // Each list has them in its context menu; the keys work where the list has the focus.
    CopyAction = new QAction(TranslateText(QStringLiteral("Copy")), this);
    CopyAction->setObjectName(QStringLiteral("CopyAction"));
    CopyAction->setShortcut(QKeySequence::Copy);
    CopyAction->setShortcutContext(Qt::WidgetShortcut);
    connect(CopyAction, &QAction::triggered, this, &TCompareForm::copySelection);
    SelectAllAction = new QAction(TranslateText(QStringLiteral("Select All")), this);
    SelectAllAction->setObjectName(QStringLiteral("SelectAllAction"));
    SelectAllAction->setShortcut(QKeySequence::SelectAll);
    SelectAllAction->setShortcutContext(Qt::WidgetShortcut);
    connect(SelectAllAction, &QAction::triggered, this, [this] {
        if (const Tab *tab = currentTab())
            tab->view->selectAll();
    });
    for (QTreeView *view :
         {ListViewCommon, ListViewOnly1, ListViewOnly2, ListViewOneListOnly, ListViewAll, ListViewPairs}) {
        view->addAction(CopyAction);
        view->addAction(SelectAllAction);
    }

    m_finder = new LineFinder(this);
    FindAction = new QAction(TranslateText(QStringLiteral("Find")), this);
    FindAction->setObjectName(QStringLiteral("FindAction"));
    FindAction->setShortcut(QKeySequence::Find);
    connect(FindAction, &QAction::triggered, FindBar1, &FindBar::open);
    addAction(FindAction);
    // F3 and Shift+F3 go on finding from the lists too; in the bar, the bar takes them.
    auto *findNext = new QAction(this);
    findNext->setShortcut(Qt::Key_F3);
    connect(findNext, &QAction::triggered, this, [this] { findInTab(FindFrom::Next); });
    addAction(findNext);
    auto *findPrevious = new QAction(this);
    findPrevious->setShortcut(Qt::SHIFT | Qt::Key_F3);
    connect(findPrevious, &QAction::triggered, this, [this] { findInTab(FindFrom::Previous); });
    addAction(findPrevious);
    connect(FindBar1, &FindBar::searchChanged, this, [this] { findInTab(FindFrom::Current); });
    connect(FindBar1, &FindBar::nextRequested, this, [this] { findInTab(FindFrom::Next); });
    connect(FindBar1, &FindBar::previousRequested, this, [this] { findInTab(FindFrom::Previous); });
    connect(FindBar1, &FindBar::closed, this, [this] {
        m_finder->cancel();
        if (const Tab *tab = currentTab())
            tab->view->setFocus();
    });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        m_finder->cancel();
        FindBar1->setNotFound(false);
    });
    connect(m_finder, &LineFinder::found, this, [this](qsizetype row) {
        FindBar1->setNotFound(false);
        if (!m_findTab || m_findTab != currentTab() || row >= m_findTab->model->rowCount())
            return;
        QTreeView *view = m_findTab->view;
        const QModelIndex index = view->model()->index(int(row), 0);
        view->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view->scrollTo(index);
    });
    connect(m_finder, &LineFinder::notFound, this, [this] { FindBar1->setNotFound(true); });

    auto *escape = new QAction(this);
    escape->setShortcut(Qt::Key_Escape);
    escape->setShortcutContext(Qt::WindowShortcut);
    connect(escape, &QAction::triggered, this, &QWidget::close);
    addAction(escape);

    CompareForm = this;
}

TCompareForm::~TCompareForm()
{
    if (CompareForm == this)
        CompareForm = nullptr;
}

QWidget *TCompareForm::createTab(Tab &tab, const QString &view, const QString &label, const QString &button)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    if (!tab.model)
        tab.model = new LineListModel(&tab.lines, this);
    tab.view = new QTreeView(page);
    tab.view->setObjectName(view);
    exposeRowsToAccessibility(tab.view);
    tab.view->setAccessibleName(tab.title);
    tab.view->setModel(tab.model);
    tab.view->setHeaderHidden(true);
    tab.view->setRootIsDecorated(false);
    tab.view->setUniformRowHeights(true);
    tab.view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tab.view->setSelectionBehavior(QAbstractItemView::SelectRows);
    tab.view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tab.view->setContextMenuPolicy(Qt::ActionsContextMenu);
    tab.view->header()->setStretchLastSection(true);
    layout->addWidget(tab.view, 1);

    tab.total = new QLabel(totalText(0), page);
    tab.total->setObjectName(label);
    tab.total->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(tab.total);

    tab.save = new QPushButton(appIcon(AppIcon::Save), TranslateText(QStringLiteral("Save...")), page);
    tab.save->setObjectName(button);
    tab.save->setFixedHeight(38);
    tab.save->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout->addWidget(tab.save);
    // Queued: a failed save throws, and must not unwind through the button's code.
    connect(
        tab.save, &QPushButton::clicked, this, [this, &tab] { saveResult(tab.file); }, Qt::QueuedConnection);
    return page;
}

void TCompareForm::deliver(ResultSet set, LineList lines)
{
    Tab &tab = m_tabs[int(set)];
    tab.lines = std::move(lines);
    tab.model->setRowCount(tab.lines.count());
    tab.total->setText(totalText(tab.lines.count()));
    m_delivered[int(set)] = true;
    if ((set == ResultSet::Only1 || set == ResultSet::Only2) && m_delivered[int(ResultSet::Only1)]
        && m_delivered[int(ResultSet::Only2)]) {
        const LineList &only1 = m_tabs[int(ResultSet::Only1)].lines;
        const LineList &only2 = m_tabs[int(ResultSet::Only2)].lines;
        std::vector<std::uint32_t> picks;
        picks.reserve(size_t(only1.count() + only2.count()));
        for (qsizetype i = 0; i < only1.count(); ++i)
            picks.push_back(std::uint32_t(i));
        for (qsizetype i = 0; i < only2.count(); ++i)
            picks.push_back(LineList::FromSecond | std::uint32_t(i));
        m_oneListOnlyTab.lines = LineList::merged(only1, only2, picks);
        m_oneListOnlyTab.model->setRowCount(m_oneListOnlyTab.lines.count());
        m_oneListOnlyTab.total->setText(totalText(m_oneListOnlyTab.lines.count()));
    }
}

void TCompareForm::showUnionTab()
{
    if (PageControl1->indexOf(TabSheet4) < 0)
        PageControl1->insertTab(PageControl1->indexOf(TabSheet6) + 1, TabSheet4,
                                m_tabs[int(ResultSet::Union)].title);
}

void TCompareForm::deliverPairs(LinePairs pairs)
{
    m_pairs = std::move(pairs);
    m_pairsTab.model->setRowCount(m_pairs.count());
    m_pairsTab.total->setText(totalText(m_pairs.count()));
    if (m_pairs.count() > 0 && PageControl1->indexOf(TabSheet5) < 0)
        PageControl1->addTab(TabSheet5, m_pairsTab.title);
}

const LineList &TCompareForm::list(ResultSet set) const
{
    return m_tabs[int(set)].lines;
}

std::optional<QString> TCompareForm::chooseFileToSave()
{
    std::optional<QString> fileName = Dialogs::current().saveTextFile(*SaveTextFileDialog1);
    if (fileName)
        SaveTextFileDialog1->remember(*fileName);
    return fileName;
}

void TCompareForm::deliverHeaders(const std::array<std::optional<QString>, 2> &headers)
{
    m_headers = headers;
    QStringList lines;
    for (int list = 0; list < 2; ++list) {
        if (m_headers[size_t(list)])
            lines << TranslateText(QStringLiteral("Header of list #%1: %2"))
                         .arg(QString::number(list + 1), *m_headers[size_t(list)]);
    }
    KeyInfo->setText(lines.join(u'\n'));
    KeyInfo->setVisible(!lines.isEmpty());
}

void TCompareForm::deliverSummary(const CompareSummary &summary)
{
    // Finding ignores case as the comparison did.
    m_findCase = summary.matching.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const SummaryContent content {.writtenDifferently = m_pairs.count() > 0};
    m_summaryText = ::summaryText(summary, content);
    while (QLayoutItem *item = m_summaryRows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    std::vector<SummaryRow> rows = summaryRows(summary, content);
    // Two columns of counts, then how lines were matched across the band.
    const SummaryRow matched = rows.back();
    rows.pop_back();
    const int half = int(rows.size() + 1) / 2;
    const auto addRow = [this](const SummaryRow &row, int line, int column, int span) {
        auto *label = new QLabel(row.label + u':', SummaryBand);
        auto *value = new QLabel(row.value, SummaryBand);
        label->setTextFormat(Qt::PlainText);
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setWordWrap(span > 1);
        m_summaryRows->addWidget(label, line, column);
        m_summaryRows->addWidget(value, line, column + 1, 1, span);
    };
    for (int k = 0; k < int(rows.size()); ++k)
        addRow(rows[size_t(k)], k % half, k < half ? 0 : 2, 1);
    addRow(matched, half, 0, 3);
    m_summaryRows->setColumnStretch(1, 1);
    m_summaryRows->setColumnStretch(3, 1);
}

ResultFiles TCompareForm::resultFiles() const
{
    ResultFiles files;
    files.intersection = &m_tabs[int(ResultSet::Intersection)].lines;
    files.only1 = &m_tabs[int(ResultSet::Only1)].lines;
    files.only2 = &m_tabs[int(ResultSet::Only2)].lines;
    if (m_delivered[int(ResultSet::Union)])
        files.all = &m_tabs[int(ResultSet::Union)].lines;
    if (m_pairs.count() > 0)
        files.pairs = &m_pairs;
    files.summary = m_summaryText;
    files.headers = m_headers;
    return files;
}

namespace {

ProgressLabel savingLabel(const QString &name)
{
    return [name](JobStage, int) { return TranslateText(QStringLiteral("Saving \"%1\"...")).arg(name); };
}

} // namespace

void TCompareForm::saveResult(ResultFile file)
{
    const std::optional<QString> fileName = chooseFileToSave();
    if (!fileName)
        return;
    // The sets never change once the window shows, so the work reads them as they are.
    const ResultFiles files = resultFiles();
    runWithProgress(this, savingLabel(QFileInfo(*fileName).fileName()),
                    [&](JobProgress &progress) { writeResultToFile(*fileName, files, file, &progress); });
}

const TCompareForm::Tab *TCompareForm::currentTab() const
{
    const QWidget *page = PageControl1->currentWidget();
    for (const Tab *tab : {&m_tabs[0], &m_tabs[1], &m_tabs[2], &m_tabs[3], &m_oneListOnlyTab, &m_pairsTab}) {
        if (tab->view && tab->view->parentWidget() == page)
            return tab;
    }
    return nullptr;
}

QString TCompareForm::selectedLines() const
{
    const Tab *tab = currentTab();
    if (!tab)
        return {};
    const bool pairs = tab == &m_pairsTab;
    const qsizetype rows = pairs ? m_pairs.count() : tab->lines.count();
    const std::vector<bool> selected = selectedRowFlags(tab->view->selectionModel()->selection(), rows);
    return pairs ? selectedPairsText(m_pairs.first, m_pairs.second, selected)
                 : selectedText(tab->lines, selected);
}

void TCompareForm::copySelection()
{
    const QString text = selectedLines();
    // With nothing selected the clipboard keeps what it held.
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void TCompareForm::saveAll()
{
    QFileDialog dialog(this, TranslateText(QStringLiteral("Save All")), m_lastFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (Dialogs::current().execDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QDir folder(dialog.selectedFiles().constFirst());
    m_lastFolder = folder.path();

    const ResultFiles files = resultFiles();
    const QStringList existing = existingResultFiles(folder, files);
    if (!existing.isEmpty()) {
        // A text of the table is one line; the list of names goes between two.
        const QString text = TranslateText(QStringLiteral("These files exist in \"%1\" already:"))
                                 .arg(QDir::toNativeSeparators(folder.path()))
            + u'\n' + existing.join(u'\n') + QStringLiteral("\n\n")
            + TranslateText(QStringLiteral("Replace them?"));
        if (Dialogs::current().messageDlgWithCaptions(this, text, QMessageBox::Warning,
                                                      QMessageBox::Yes | QMessageBox::No, {},
                                                      TranslateText(QStringLiteral("Save All")))
            != QMessageBox::Yes)
            return;
    }
    runWithProgress(this, savingLabel(QDir::toNativeSeparators(folder.path())),
                    [&](JobProgress &progress) { writeResultFiles(folder, files, &progress); });
}

void TCompareForm::findInTab(FindFrom from)
{
    const Tab *tab = currentTab();
    const QString text = FindBar1->text();
    if (!tab || text.isEmpty()) {
        m_finder->cancel();
        FindBar1->setNotFound(false);
        return;
    }
    m_findTab = tab;
    const int current = tab->view->currentIndex().isValid() ? tab->view->currentIndex().row() : -1;
    std::vector<const LineList *> columns {&tab->lines};
    if (tab == &m_pairsTab)
        columns = {&m_pairs.first, &m_pairs.second};
    switch (from) {
    case FindFrom::Current:
        m_finder->find(columns, text, std::max(current, 0), true, m_findCase);
        break;
    case FindFrom::Next:
        m_finder->find(columns, text, current + 1, true, m_findCase);
        break;
    case FindFrom::Previous:
        m_finder->find(columns, text, current - 1, false, m_findCase);
        break;
    }
}
