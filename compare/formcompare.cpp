#include "compare/formcompare.h"

#include "lists/formatcount.h"
#include "lists/linelistmodel.h"
#include "lists/linewriter.h"
#include "widgets/appicons.h"
#include "widgets/dialogs.h"
#include "widgets/savetextfiledialog.h"

#include <QGuiApplication>
#include <QHeaderView>
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
    return QStringLiteral("Total: ") + FormatCount(count);
}

} // namespace

TCompareForm::TCompareForm(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("CompareForm"));
    setWindowTitle(QStringLiteral("Compare Results"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    setFont(font);
    resize(635, 458);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    KeyInfo = new QLabel(this);
    KeyInfo->setObjectName(QStringLiteral("KeyInfo"));
    KeyInfo->setWordWrap(true);
    KeyInfo->setTextFormat(Qt::PlainText);
    KeyInfo->hide();
    layout->addWidget(KeyInfo);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);

    Tab &common = m_tabs[int(ResultSet::Intersection)];
    Tab &only1 = m_tabs[int(ResultSet::Only1)];
    Tab &only2 = m_tabs[int(ResultSet::Only2)];
    Tab &all = m_tabs[int(ResultSet::Union)];
    only2.source = 1;
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
    PageControl1->addTab(TabSheet1, QStringLiteral("Intersection"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Only #1"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Only #2"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Union"));
    PageControl1->setTabVisible(3, false);
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

    // Two columns, the lines of list #1 beside those of list #2; added to
    // the tabs only when there are pairs.
    m_pairsTab.model = new LineListModel({&m_pairs.first, &m_pairs.second},
                                         {QStringLiteral("List #1"), QStringLiteral("List #2")}, this);
    TabSheet5 = createTab(m_pairsTab, QStringLiteral("ListViewPairs"), QStringLiteral("Label5"),
                          QStringLiteral("Button5"), [this] { savePairs(); });
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

    CompareForm = this;
}

TCompareForm::~TCompareForm()
{
    if (CompareForm == this)
        CompareForm = nullptr;
}

QWidget *TCompareForm::createTab(
    Tab &tab, const QString &view, const QString &label, const QString &button, std::function<void()> save)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    if (!tab.model)
        tab.model = new LineListModel(&tab.lines, this);
    tab.view = new QTreeView(page);
    tab.view->setObjectName(view);
    tab.view->setModel(tab.model);
    tab.view->setHeaderHidden(true);
    tab.view->setRootIsDecorated(false);
    tab.view->setUniformRowHeights(true);
    tab.view->setSelectionMode(QAbstractItemView::SingleSelection);
    tab.view->setSelectionBehavior(QAbstractItemView::SelectRows);
    tab.view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tab.view->setContextMenuPolicy(Qt::NoContextMenu);
    tab.view->header()->setStretchLastSection(true);
    layout->addWidget(tab.view, 1);

    tab.total = new QLabel(totalText(0), page);
    tab.total->setObjectName(label);
    tab.total->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(tab.total);

    tab.save = new QPushButton(appIcon(AppIcon::Save), QStringLiteral("Save..."), page);
    tab.save->setObjectName(button);
    tab.save->setFixedHeight(38);
    tab.save->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout->addWidget(tab.save);
    if (!save)
        save = [this, &tab] { saveTab(tab); };
    // Queued: a failed save throws, and must not unwind through the button's code.
    connect(tab.save, &QPushButton::clicked, this, std::move(save), Qt::QueuedConnection);
    return page;
}

void TCompareForm::deliver(ResultSet set, LineList lines)
{
    Tab &tab = m_tabs[int(set)];
    tab.lines = std::move(lines);
    tab.model->setRowCount(tab.lines.count());
    tab.total->setText(totalText(tab.lines.count()));
}

void TCompareForm::showUnionTab()
{
    PageControl1->setTabVisible(3, true);
}

void TCompareForm::deliverPairs(LinePairs pairs)
{
    m_pairs = std::move(pairs);
    m_pairsTab.model->setRowCount(m_pairs.count());
    m_pairsTab.total->setText(totalText(m_pairs.count()));
    if (m_pairs.count() > 0 && PageControl1->indexOf(TabSheet5) < 0)
        PageControl1->addTab(TabSheet5, QStringLiteral("Written Differently"));
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

void TCompareForm::deliverKeyInfo(const CompareResult &result, const QString &keyDescription)
{
    m_headers = result.headers;
    QStringList lines;
    if (!keyDescription.isEmpty()) {
        lines << keyDescription
                + QStringLiteral(": lines without a key: %1 in list #1, %2 in list #2")
                      .arg(FormatCount(result.withoutKey[0]), FormatCount(result.withoutKey[1]));
    }
    for (int list = 0; list < 2; ++list) {
        if (m_headers[size_t(list)])
            lines << QStringLiteral("Header of list #%1: %2").arg(list + 1).arg(*m_headers[size_t(list)]);
    }
    KeyInfo->setText(lines.join(u'\n'));
    KeyInfo->setVisible(!lines.isEmpty());
}

void TCompareForm::saveTab(const Tab &tab)
{
    const std::optional<QString> &header = m_headers[size_t(tab.source)];
    if (const std::optional<QString> fileName = chooseFileToSave()) {
        if (!header) {
            writeLinesToFile(*fileName, tab.lines, true);
            return;
        }
        FileWriter file(*fileName);
        file.write(Utf8ByteOrderMark);
        file.writeLine(*header);
        file.writeLines(tab.lines);
        file.commit();
    }
}

void TCompareForm::savePairs()
{
    if (const std::optional<QString> fileName = chooseFileToSave())
        writePairsToFile(*fileName, m_pairs.first, m_pairs.second);
}
