#include "app/appform.h"

#include "about/about.h"
#include "about/versioninfo.h"
#include "app/application.h"
#include "app/helpurl.h"
#include "app/settings.h"
#include "compare/comparebydialog.h"
#include "compare/comparerun.h"
#include "compare/formcompare.h"
#include "i18n/language.h"
#include "i18n/messagedialog.h"
#include "i18n/qttranslations.h"
#include "i18n/translation.h"
#include "lists/formatcount.h"
#include "lists/listpane.h"
#include "lists/paneedit.h"
#include "lists/parallel.h"
#include "lists/textloader.h"
#include "online/check.h"
#include "online/feedback.h"
#include "online/newversion.h"
#include "online/updatestore.h"
#include "platform/apperror.h"
#include "platform/buildinfo.h"
#include "platform/launcher.h"
#include "platform/programfolder.h"
#include "widgets/appicons.h"
#include "widgets/dialogs.h"
#include "widgets/opentextfiledialog.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <utility>

TAppForm *AppForm = nullptr;

namespace {

// Sizes of the design, in logical pixels.
constexpr int ClientWidth = 478;
constexpr int ClientHeight = 503;
constexpr int StatusBarHeight = 19;
constexpr int CompareBandHeight = 60;
constexpr int SeparatorHeight = 2;
constexpr int SeparatorTopMargin = 3;
constexpr int SeparatorBottomMargin = 2;
constexpr int SplitterWidth = 3;
constexpr int TopBandHeight = 41;
constexpr int TopButtonTop = 3;
constexpr int TopButtonHeight = 38;
constexpr int LoadButtonLeftMargin = 2;
constexpr int TopButtonRightMargin = 2;
constexpr int LabelBandHeight = 26;
constexpr int PaneMargin = 3;
constexpr int TotalBandHeight = 26;
constexpr int SaveButtonSize = 26;
constexpr int RemoveDuplicatesHeight = 25;
constexpr int RemoveDuplicatesMargin = 2;
// The pane goes between the list label and the total band.
constexpr int PanePosition = 2;

QAction *addItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QAction *addItem(QMenu *menu, const QString &name, const QString &caption, AppIcon icon)
{
    QAction *action = addItem(menu, name, caption);
    action->setIcon(appIcon(icon));
    return action;
}

QAction *addCheckItem(QMenu *menu, const QString &name, const QString &caption, bool checked)
{
    QAction *action = addItem(menu, name, caption);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

QAction *addSeparator(QMenu *menu, const QString &name)
{
    QAction *action = menu->addSeparator();
    action->setObjectName(name);
    return action;
}

QWidget *band(QWidget *parent, const QString &name, int height)
{
    auto *widget = new QWidget(parent);
    widget->setObjectName(name);
    widget->setFixedHeight(height);
    return widget;
}

QLabel *bandLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setIndent(PaneMargin);
    return label;
}

// The widgets of one pane group, by their roles.
struct PaneGroup
{
    QWidget *group;
    QWidget *topBand;
    QPushButton *load;
    QPushButton *paste;
    QWidget *labelBand;
    QLabel *label;
    QWidget *totalBand;
    QLabel *total;
    QToolButton *save;
    QPushButton *removeDuplicates;
};

struct PaneGroupNames
{
    QString group, topBand, load, paste, labelBand, label, caption, totalBand, total, save, saveTip,
        removeDuplicates;
};

PaneGroup createPaneGroup(QWidget *parent, const PaneGroupNames &names)
{
    PaneGroup g;
    g.group = new QWidget(parent);
    g.group->setObjectName(names.group);
    auto *column = new QVBoxLayout(g.group);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // The top buttons are placed by hand: their widths follow the layout rule
    // of the window, and fixed widths would keep the splitter from moving.
    g.topBand = band(g.group, names.topBand, TopBandHeight);
    g.load = new QPushButton(appIcon(AppIcon::Open), TranslateText(QStringLiteral("Load...")), g.topBand);
    g.load->setObjectName(names.load);
    g.paste = new QPushButton(appIcon(AppIcon::Paste), TranslateText(QStringLiteral("Paste")), g.topBand);
    g.paste->setObjectName(names.paste);
    column->addWidget(g.topBand);

    g.labelBand = band(g.group, names.labelBand, LabelBandHeight);
    g.label = bandLabel(g.labelBand, names.label, names.caption);
    auto *labelRow = new QHBoxLayout(g.labelBand);
    labelRow->setContentsMargins(0, 0, 0, 0);
    labelRow->addWidget(g.label);
    column->addWidget(g.labelBand);

    g.totalBand = band(g.group, names.totalBand, TotalBandHeight);
    g.total = bandLabel(g.totalBand, names.total, QString());
    g.save = new QToolButton(g.totalBand);
    g.save->setObjectName(names.save);
    g.save->setIcon(appIcon(AppIcon::Save));
    g.save->setToolTip(names.saveTip);
    // The button shows only its icon; a screen reader says what it does.
    g.save->setAccessibleName(names.saveTip);
    g.save->setFixedSize(SaveButtonSize, SaveButtonSize);
    auto *totalRow = new QHBoxLayout(g.totalBand);
    totalRow->setContentsMargins(0, 0, 0, 0);
    totalRow->setSpacing(0);
    totalRow->addWidget(g.total, 1);
    totalRow->addWidget(g.save);
    column->addWidget(g.totalBand);

    g.removeDuplicates = new QPushButton(TranslateText(QStringLiteral("Remove Duplicates")), g.group);
    g.removeDuplicates->setObjectName(names.removeDuplicates);
    g.removeDuplicates->setFixedHeight(RemoveDuplicatesHeight);
    g.removeDuplicates->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto *bottomRow = new QHBoxLayout;
    bottomRow->setContentsMargins(RemoveDuplicatesMargin, 0, RemoveDuplicatesMargin, 0);
    bottomRow->addWidget(g.removeDuplicates);
    column->addLayout(bottomRow);
    return g;
}

void placePane(QWidget *group, ListPane *pane)
{
    auto *box = new QVBoxLayout;
    box->setContentsMargins(PaneMargin, PaneMargin, PaneMargin, PaneMargin);
    box->addWidget(pane);
    qobject_cast<QVBoxLayout *>(group->layout())->insertLayout(PanePosition, box, 1);
}

// Load button on the left, (band width - 3 x its left margin) div 2 wide; Paste takes the rest.
void layOutTopBand(const QWidget *topBand, QPushButton *load, QPushButton *paste)
{
    const int width = topBand->width();
    const int loadWidth = std::max(0, (width - 3 * LoadButtonLeftMargin) / 2);
    load->setGeometry(LoadButtonLeftMargin, TopButtonTop, loadWidth, TopButtonHeight);
    const int pasteLeft = LoadButtonLeftMargin + loadWidth + TopButtonRightMargin;
    paste->setGeometry(pasteLeft, TopButtonTop, std::max(0, width - pasteLeft - TopButtonRightMargin),
                       TopButtonHeight);
}

} // namespace

TAppForm::TAppForm(QWidget *parent)
    : QMainWindow(parent)
{
    AppForm = this;
    // Every text below is set in the language in force, which settings.ini may choose.
    startSettingsAndLanguage();
    createComponents();
    connectHandlers();
    FormCreate();
    setUpPaneCommands();
}

TAppForm::~TAppForm()
{
    m_compareRun->end();
    // The panes read the lists, which as members go before the child widgets would.
    delete MemoLeft;
    delete MemoRight;
    if (AppForm == this)
        AppForm = nullptr;
}

void TAppForm::createComponents()
{
    setObjectName(QStringLiteral("AppForm"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    // Menus and the status bar keep the system's font, as the window's font is the panes'.
    MainMenu1->setFont(QApplication::font(MainMenu1));

    File1 = MainMenu1->addMenu(TranslateText(QStringLiteral("&File")));
    File1->setObjectName(QStringLiteral("File1"));
    Clear1
        = addItem(File1, QStringLiteral("Clear1"), TranslateText(QStringLiteral("C&lear")), AppIcon::Clear);
    LoadList11 = addItem(File1, QStringLiteral("LoadList11"),
                         TranslateText(QStringLiteral("Load List #&1...")), AppIcon::Open);
    LoadList21 = addItem(File1, QStringLiteral("LoadList21"),
                         TranslateText(QStringLiteral("Load List #&2...")), AppIcon::Open);
    N2 = addSeparator(File1, QStringLiteral("N2"));
    Compare1 = addItem(File1, QStringLiteral("Compare1"), TranslateText(QStringLiteral("&Compare")));
    N1 = addSeparator(File1, QStringLiteral("N1"));
    Exit1 = addItem(File1, QStringLiteral("Exit1"), TranslateText(QStringLiteral("E&xit")), AppIcon::Exit);
    LoadList11->setShortcut(Qt::CTRL | Qt::Key_O);
    LoadList21->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_O);
    // The menu shows the first; the keypad's Enter works as Return.
    Compare1->setShortcuts({Qt::CTRL | Qt::Key_Return, Qt::Key_F5, Qt::CTRL | Qt::Key_Enter});
    // Spelled out: the platform's Quit key is none on some systems.
    Exit1->setShortcut(Qt::CTRL | Qt::Key_Q);

    Settings1 = MainMenu1->addMenu(TranslateText(QStringLiteral("&Settings")));
    Settings1->setObjectName(QStringLiteral("Settings1"));
    CalculateUnionofLists1 = addCheckItem(Settings1, QStringLiteral("CalculateUnionofLists1"),
                                          TranslateText(QStringLiteral("Calculate &Union of Lists")), false);
    CaseSensitive1 = addCheckItem(Settings1, QStringLiteral("CaseSensitive1"),
                                  TranslateText(QStringLiteral("Case &Sensitive")), false);
    IgnoreAccents1 = addCheckItem(Settings1, QStringLiteral("IgnoreAccents1"),
                                  TranslateText(QStringLiteral("Ignore &Accents")), false);
    IgnorePunctuation1 = addCheckItem(Settings1, QStringLiteral("IgnorePunctuation1"),
                                      TranslateText(QStringLiteral("Ignore &Punctuation and Spaces")), false);
    CompareBy1
        = addItem(Settings1, QStringLiteral("CompareBy1"), TranslateText(QStringLiteral("Compare &By...")));
    N4 = addSeparator(Settings1, QStringLiteral("N4"));
    IgnoreWhitespace1 = addCheckItem(Settings1, QStringLiteral("IgnoreWhitespace1"),
                                     TranslateText(QStringLiteral("Ignore &Whitespace When Loading")), false);
    SortWhenLoading1 = addCheckItem(Settings1, QStringLiteral("SortWhenLoading1"),
                                    TranslateText(QStringLiteral("S&ort When Loading")), true);
    N7 = addSeparator(Settings1, QStringLiteral("N7"));
    ResettoDefaults1 = addItem(Settings1, QStringLiteral("ResettoDefaults1"),
                               TranslateText(QStringLiteral("&Reset to Defaults")));

    Help1 = MainMenu1->addMenu(TranslateText(QStringLiteral("&Help")));
    Help1->setObjectName(QStringLiteral("Help1"));
    Help2 = addItem(Help1, QStringLiteral("Help2"), TranslateText(QStringLiteral("Online &Help")),
                    AppIcon::Help);
    Help2->setShortcut(QKeySequence(Qt::Key_F1));
    N3 = addSeparator(Help1, QStringLiteral("N3"));
    // Enabled once the update check has run.
    UpdateNotifications1 = addCheckItem(Help1, QStringLiteral("UpdateNotifications1"),
                                        TranslateText(QStringLiteral("&Update Notifications")), true);
    UpdateNotifications1->setEnabled(false);
    UpdateNotificationsBar = addSeparator(Help1, QStringLiteral("UpdateNotificationsBar"));
    UpdateNotificationsBar->setVisible(false);
    Language1 = addItem(Help1, QStringLiteral("Language1"), TranslateText(QStringLiteral("&Language...")),
                        AppIcon::Language);
    SendFeedback1 = addItem(Help1, QStringLiteral("SendFeedback1"),
                            TranslateText(QStringLiteral("Send &Feedback...")), AppIcon::Feedback);
    About1 = addItem(Help1, QStringLiteral("About1"), TranslateText(QStringLiteral("&About...")),
                     AppIcon::About);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Clear2 = addItem(PopupMenu1, QStringLiteral("Clear2"), TranslateText(QStringLiteral("C&lear")),
                     AppIcon::Clear);
    N5 = addSeparator(PopupMenu1, QStringLiteral("N5"));
    Cut1 = addItem(PopupMenu1, QStringLiteral("Cut1"), TranslateText(QStringLiteral("Cu&t")), AppIcon::Cut);
    Copy1
        = addItem(PopupMenu1, QStringLiteral("Copy1"), TranslateText(QStringLiteral("&Copy")), AppIcon::Copy);
    Paste1 = addItem(PopupMenu1, QStringLiteral("Paste1"), TranslateText(QStringLiteral("&Paste")),
                     AppIcon::Paste);
    Delete1 = addItem(PopupMenu1, QStringLiteral("Delete1"), TranslateText(QStringLiteral("&Delete")),
                      AppIcon::Delete);
    N6 = addSeparator(PopupMenu1, QStringLiteral("N6"));
    SelectAll1
        = addItem(PopupMenu1, QStringLiteral("SelectAll1"), TranslateText(QStringLiteral("Select &All")));

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    MenuItem1 = addItem(PopupMenu2, QStringLiteral("MenuItem1"), TranslateText(QStringLiteral("C&lear")),
                        AppIcon::Clear);
    MenuItem2 = addSeparator(PopupMenu2, QStringLiteral("MenuItem2"));
    MenuItem3 = addItem(PopupMenu2, QStringLiteral("MenuItem3"), TranslateText(QStringLiteral("Cu&t")),
                        AppIcon::Cut);
    MenuItem4 = addItem(PopupMenu2, QStringLiteral("MenuItem4"), TranslateText(QStringLiteral("&Copy")),
                        AppIcon::Copy);
    Paste2 = addItem(PopupMenu2, QStringLiteral("Paste2"), TranslateText(QStringLiteral("&Paste")),
                     AppIcon::Paste);
    Delete2 = addItem(PopupMenu2, QStringLiteral("Delete2"), TranslateText(QStringLiteral("&Delete")),
                      AppIcon::Delete);
    MenuItem7 = addSeparator(PopupMenu2, QStringLiteral("MenuItem7"));
    MenuItem8
        = addItem(PopupMenu2, QStringLiteral("MenuItem8"), TranslateText(QStringLiteral("Select &All")));
    // Ctrl+V pastes into the pane that has the focus (FormCreate adds each to its pane).
    for (QAction *paste : {Paste1, Paste2}) {
        paste->setShortcut(QKeySequence::Paste);
        paste->setShortcutContext(Qt::WidgetShortcut);
    }

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Splitter1 = new QSplitter(Qt::Horizontal, client);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(SplitterWidth);
    Splitter1->setOpaqueResize(true);
    Splitter1->setChildrenCollapsible(false);

    const PaneGroup group1
        = createPaneGroup(Splitter1,
                          {QStringLiteral("Panel1"), QStringLiteral("Panel9"), QStringLiteral("Button1"),
                           QStringLiteral("Button7"), QStringLiteral("Panel7"), QStringLiteral("Label1"),
                           TranslateText(QStringLiteral("List #1")), QStringLiteral("Panel5"),
                           QStringLiteral("Label3"), QStringLiteral("Button3"),
                           TranslateText(QStringLiteral("Save List #1")), QStringLiteral("Button4")});
    const PaneGroup group2
        = createPaneGroup(Splitter1,
                          {QStringLiteral("Panel2"), QStringLiteral("Panel10"), QStringLiteral("Button2"),
                           QStringLiteral("Button8"), QStringLiteral("Panel8"), QStringLiteral("Label2"),
                           TranslateText(QStringLiteral("List #2")), QStringLiteral("Panel6"),
                           QStringLiteral("Label4"), QStringLiteral("Button6"),
                           TranslateText(QStringLiteral("Save List #2")), QStringLiteral("Button5")});
    Panel1 = group1.group;
    Panel9 = group1.topBand;
    Button1 = group1.load;
    Button7 = group1.paste;
    Panel7 = group1.labelBand;
    Label1 = group1.label;
    Panel5 = group1.totalBand;
    Label3 = group1.total;
    Button3 = group1.save;
    Button4 = group1.removeDuplicates;
    Panel2 = group2.group;
    Panel10 = group2.topBand;
    Button2 = group2.load;
    Button8 = group2.paste;
    Panel8 = group2.labelBand;
    Label2 = group2.label;
    Panel6 = group2.totalBand;
    Label4 = group2.total;
    Button6 = group2.save;
    Button5 = group2.removeDuplicates;
    Splitter1->addWidget(Panel1);
    Splitter1->addWidget(Panel2);
    column->addWidget(Splitter1, 1);

    Panel4 = new QFrame(client);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameShape(QFrame::HLine);
    Panel4->setFrameShadow(QFrame::Sunken);
    Panel4->setFixedHeight(SeparatorHeight);
    column->addSpacing(SeparatorTopMargin);
    column->addWidget(Panel4);
    column->addSpacing(SeparatorBottomMargin);

    Panel3 = band(client, QStringLiteral("Panel3"), CompareBandHeight);
    ButtonCompare = new QPushButton(TranslateText(QStringLiteral("COMPARE")), Panel3);
    ButtonCompare->setObjectName(QStringLiteral("ButtonCompare"));
    ButtonCompare->setFont(QFont(QStringLiteral("Tahoma"), 12));
    ButtonCompare->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *compareRow = new QHBoxLayout(Panel3);
    compareRow->setContentsMargins(2, 0, 2, 2);
    compareRow->addWidget(ButtonCompare);
    column->addWidget(Panel3);
    setCentralWidget(client);

    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFont(QApplication::font(StatusBar1));
    StatusBar1->setFixedHeight(StatusBarHeight);
    // A normal widget, so that the progress and the load notes cover it.
    m_matchingLabel = new QLabel(StatusBar1);
    m_matchingLabel->setObjectName(QStringLiteral("MatchingLabel"));
    StatusBar1->addWidget(m_matchingLabel);

    TimerChecker = new QTimer(this);
    TimerChecker->setObjectName(QStringLiteral("TimerChecker"));
    TimerChecker->setInterval(1000);
    TimerChecker->start();
    TimerPercentage = new QTimer(this);
    TimerPercentage->setObjectName(QStringLiteral("TimerPercentage"));
    TimerPercentage->setInterval(1000);
    m_compareRun = new CompareRun(this);

    OpenTextFileDialog1 = new OpenTextFileDialog(this);
    OpenTextFileDialog1->setObjectName(QStringLiteral("OpenTextFileDialog1"));

    // The client area is the design's size; the menu bar comes on top of it.
    resize(ClientWidth, ClientHeight + MainMenu1->sizeHint().height());
    move(screen()->availableGeometry().center() - rect().center());
}

void TAppForm::connectHandlers()
{
    // Handlers that can fail run from the event queue. Their error then
    // reaches Application::notify without unwinding through Qt's widget code,
    // which is built without exception support and would skip its clean-ups.
    connect(Button1, &QPushButton::clicked, this, &TAppForm::Button1Click, Qt::QueuedConnection);
    connect(Button2, &QPushButton::clicked, this, &TAppForm::Button2Click, Qt::QueuedConnection);

    // The menu items share the buttons' code path.
    connect(LoadList11, &QAction::triggered, Button1, &QPushButton::click);
    connect(LoadList21, &QAction::triggered, Button2, &QPushButton::click);
    connect(Compare1, &QAction::triggered, ButtonCompare, &QPushButton::click);
    connect(ButtonCompare, &QPushButton::clicked, this, &TAppForm::ButtonCompareClick, Qt::QueuedConnection);
    connect(TimerPercentage, &QTimer::timeout, this, &TAppForm::TimerPercentageTimer);
    connect(m_compareRun, &CompareRun::finished, this, &TAppForm::IslemTamam);

    connect(Clear1, &QAction::triggered, this, &TAppForm::Sifirla);
    // Qt has flipped the check mark already when triggered arrives.
    connect(
        CalculateUnionofLists1, &QAction::triggered, this,
        [this] { storeOption(CalculateUnionofLists1, KeyCalculateUnion, false); }, Qt::QueuedConnection);
    connect(
        CaseSensitive1, &QAction::triggered, this,
        [this] { storeOption(CaseSensitive1, KeyCaseSensitive, false); }, Qt::QueuedConnection);
    connect(
        IgnoreAccents1, &QAction::triggered, this,
        [this] { storeOption(IgnoreAccents1, KeyIgnoreAccents, false); }, Qt::QueuedConnection);
    connect(
        IgnorePunctuation1, &QAction::triggered, this,
        [this] { storeOption(IgnorePunctuation1, KeyIgnorePunctuation, false); }, Qt::QueuedConnection);
    connect(
        IgnoreWhitespace1, &QAction::triggered, this,
        [this] { storeOption(IgnoreWhitespace1, KeyIgnoreWhitespace, true); }, Qt::QueuedConnection);
    connect(
        SortWhenLoading1, &QAction::triggered, this,
        [this] { storeOption(SortWhenLoading1, KeySortWhenLoading, true); }, Qt::QueuedConnection);
    connect(CompareBy1, &QAction::triggered, this, &TAppForm::CompareBy1Click, Qt::QueuedConnection);
    connect(ResettoDefaults1, &QAction::triggered, this, &TAppForm::ResettoDefaults1Click,
            Qt::QueuedConnection);
    connect(Exit1, &QAction::triggered, this, &TAppForm::Exit1Click);
    connect(Help2, &QAction::triggered, this, &TAppForm::Help2Click);
    connect(About1, &QAction::triggered, this, &TAppForm::About1Click, Qt::QueuedConnection);
    connect(Language1, &QAction::triggered, this, &TAppForm::Language1Click, Qt::QueuedConnection);
    connect(TimerChecker, &QTimer::timeout, this, &TAppForm::TimerCheckerTimer);
    connect(UpdateNotifications1, &QAction::triggered, this, &TAppForm::UpdateNotifications1Click,
            Qt::QueuedConnection);
    connect(SendFeedback1, &QAction::triggered, this, &TAppForm::SendFeedback1Click, Qt::QueuedConnection);
    connect(Splitter1, &QSplitter::splitterMoved, this, &TAppForm::Splitter1Moved);
}

void TAppForm::FormCreate()
{
    const TEXEVersionData version = GetEXEVersionData();
    AppCompanyName = version.CompanyName;
    AppProductName = version.ProductName;
    AppVersion = formatFixedVersion(getExeFixedVersion());
    AppTitle = AppCompanyName + QStringLiteral(" - ") + AppProductName;
    setWindowTitle(AppTitle);

    applyStoredOptions();
    restoreWindowState();

    // List1 and List2 are members, empty since construction; their panes come now.
    MemoLeft = new TMemoLeft(&List1, Panel1);
    MemoLeft->setObjectName(QStringLiteral("MemoLeft"));
    MemoLeft->setContextMenu(PopupMenu1);
    MemoLeft->addAction(Paste1);
    MemoLeft->setAccessibleName(Label1->text());
    placePane(Panel1, MemoLeft);
    QWidget::setTabOrder(Button7, MemoLeft);

    MemoRight = new TMemoRight(&List2, Panel2);
    MemoRight->setObjectName(QStringLiteral("MemoRight"));
    MemoRight->setContextMenu(PopupMenu2);
    MemoRight->addAction(Paste2);
    MemoRight->setAccessibleName(Label2->text());
    placePane(Panel2, MemoRight);
    QWidget::setTabOrder(Button8, MemoRight);
    // An empty pane says how to fill it.
    const QString hint = TranslateText(QStringLiteral("Drop files here, or use Load... or Paste"));
    MemoLeft->setPlaceholderText(hint);
    MemoRight->setPlaceholderText(hint);

    Sifirla();
    applyKey();

    auto report = [this](const QString &message) {
        if (auto *app = qobject_cast<Application *>(QCoreApplication::instance()))
            app->showErrorBox(message);
        else
            Dialogs::current().errorBox(this, AppTitle, errorBoxText(message));
    };
    // Said once here; the toggles then change the options for this run only.
    if (!m_settingsProblem.isEmpty())
        report(std::exchange(m_settingsProblem, {}));
    // The program goes on in the language picked otherwise, or in English.
    if (!m_languageProblem.isEmpty())
        report(std::exchange(m_languageProblem, {}));
}

void TAppForm::startSettingsAndLanguage()
{
    SettingsFolder = resolveSettingsFolder(programFolder(), userConfigFolder());
    m_settingsProblem = openSettingsStore(SettingsFolder);
    const QString section = QString::fromLatin1(SettingsSection);
    const QString key = QString::fromLatin1(KeyLanguage);
    const StartLanguage start = loadStartLanguage(SettingsIni.readString(section, key, {}));
    m_languageProblem = start.problem;
    if (start.forgetChoice && SettingsIni.isWritable()) {
        // Said once: the next start picks the language by itself and says nothing.
        SettingsIni.writeString(section, key, QString());
        try {
            SettingsIni.write();
        } catch (const AppError &) {
            // The file's own problem shows at the first option toggled.
        }
    }
    installQtTranslations(currentLanguageCode());
}

void TAppForm::applyStoredOptions()
{
    const QString section = QString::fromLatin1(SettingsSection);
    auto stored
        = [&](const char *key) { return SettingsIni.readString(section, QString::fromLatin1(key), {}); };
    // Only the value that differs from the default counts, spelled exactly.
    CalculateUnionofLists1->setChecked(stored(KeyCalculateUnion) == QStringLiteral("ON"));
    CaseSensitive1->setChecked(stored(KeyCaseSensitive) == QStringLiteral("ON"));
    IgnoreAccents1->setChecked(stored(KeyIgnoreAccents) == QStringLiteral("ON"));
    IgnorePunctuation1->setChecked(stored(KeyIgnorePunctuation) == QStringLiteral("ON"));
    m_keyChoice = readKeyChoice(SettingsIni);
    IgnoreWhitespace1->setChecked(stored(KeyIgnoreWhitespace) == QStringLiteral("ON"));
    SortWhenLoading1->setChecked(stored(KeySortWhenLoading) != QStringLiteral("OFF"));
}

void TAppForm::storeOption(QAction *item, const char *key, bool emptiesLists)
{
    SettingsIni.writeString(QString::fromLatin1(SettingsSection), QString::fromLatin1(key),
                            item->isChecked() ? QStringLiteral("ON") : QStringLiteral("OFF"));
    // A failed write leaves the new check mark in force and the lists as they
    // are. A file that could not be read was reported at start-up and is
    // never written.
    if (SettingsIni.isWritable())
        SettingsIni.write();
    if (emptiesLists)
        Sifirla();
    // Ignore Whitespace When Loading trims keys as well.
    applyKey();
}

Matching TAppForm::matching() const
{
    return {CaseSensitive1->isChecked(), IgnoreAccents1->isChecked(), IgnorePunctuation1->isChecked()};
}

void TAppForm::showMatching()
{
    QString text = describeMatching(matching());
    const QString key = lineKey().describe();
    if (!key.isEmpty())
        text += QStringLiteral(" \u00B7 ") + key;
    if (m_keyChoice.header)
        text += QStringLiteral(" \u00B7 ") + TranslateText(QStringLiteral("header"));
    m_matchingLabel->setText(text);
}

LineKey TAppForm::lineKey() const
{
    return m_keyChoice.lineKey(IgnoreWhitespace1->isChecked());
}

void TAppForm::applyKey()
{
    const LineKey key = lineKey();
    List1.setKey(key, m_keyChoice.header);
    List2.setKey(key, m_keyChoice.header);
    refreshList1();
    refreshList2();
    const QString tip = key.isWholeLine()
        ? QString()
        : TranslateText(QStringLiteral("Keeps the first line of each key (%1)")).arg(key.describe());
    Button4->setToolTip(tip);
    Button5->setToolTip(tip);
    showMatching();
}

void TAppForm::CompareBy1Click()
{
    CompareByDialog dialog(m_keyChoice, this);
    if (Dialogs::current().execDialog(dialog) != QDialog::Accepted)
        return;
    m_keyChoice = dialog.choice();
    writeKeyChoice(SettingsIni, m_keyChoice);
    if (SettingsIni.isWritable())
        SettingsIni.write();
    applyKey();
}

void TAppForm::CalculateUnionofLists1Click()
{
    CalculateUnionofLists1->setChecked(!CalculateUnionofLists1->isChecked());
    storeOption(CalculateUnionofLists1, KeyCalculateUnion, false);
}

void TAppForm::CaseSensitive1Click()
{
    CaseSensitive1->setChecked(!CaseSensitive1->isChecked());
    storeOption(CaseSensitive1, KeyCaseSensitive, false);
}

void TAppForm::IgnoreAccents1Click()
{
    IgnoreAccents1->setChecked(!IgnoreAccents1->isChecked());
    storeOption(IgnoreAccents1, KeyIgnoreAccents, false);
}

void TAppForm::IgnorePunctuation1Click()
{
    IgnorePunctuation1->setChecked(!IgnorePunctuation1->isChecked());
    storeOption(IgnorePunctuation1, KeyIgnorePunctuation, false);
}

void TAppForm::IgnoreWhitespace1Click()
{
    IgnoreWhitespace1->setChecked(!IgnoreWhitespace1->isChecked());
    storeOption(IgnoreWhitespace1, KeyIgnoreWhitespace, true);
}

void TAppForm::SortWhenLoading1Click()
{
    SortWhenLoading1->setChecked(!SortWhenLoading1->isChecked());
    storeOption(SortWhenLoading1, KeySortWhenLoading, true);
}

void TAppForm::ResettoDefaults1Click()
{
    if (!confirmRestart(this))
        return;
    QFile::remove(SettingsFolder + QStringLiteral("settings.ini"));
    QCoreApplication::processEvents();
    // Not checked: this instance ends either way, and the store is not
    // written back, so the new one finds the file gone.
    Launcher::current().startDetached(QCoreApplication::applicationFilePath(), {});
    Launcher::current().terminate();
}

void TAppForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TAppForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The splitter and the bands have their real widths only once they are
    // shown: the split a resize made before then was of some other width.
    FormResize();
}

void TAppForm::keyPressEvent(QKeyEvent *event)
{
    // An Esc that no control took presses COMPARE, as a dialog's cancel button would.
    if (event->key() == Qt::Key_Escape) {
        ButtonCompare->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TAppForm::FormResize()
{
    // Every resize keeps list #1's share of the width, which dragging the
    // splitter sets; at first the lists share it evenly.
    const int groups = std::max(0, Splitter1->width() - Splitter1->handleWidth());
    const int left = int(qint64(groups) * m_split / 1000);
    Splitter1->setSizes({left, groups - left});
    DugmeleriYenidenBoyutlandir();
}

void TAppForm::Splitter1Moved()
{
    if (const int groups = Splitter1->width() - Splitter1->handleWidth(); groups > 0)
        m_split = std::clamp(int((qint64(Panel1->width()) * 1000 + groups / 2) / groups), 1, 999);
    DugmeleriYenidenBoyutlandir();
}

void TAppForm::DugmeleriYenidenBoyutlandir()
{
    layOutTopBand(Panel9, Button1, Button7);
    layOutTopBand(Panel10, Button2, Button8);
}

void TAppForm::LoadFromFileToList1(const QString &fileName, TextEncoding encoding)
{
    loadIntoList(fileName, encoding, List1, &TAppForm::refreshList1, ListChange::Append);
}

void TAppForm::LoadFromFileToList2(const QString &fileName, TextEncoding encoding)
{
    loadIntoList(fileName, encoding, List2, &TAppForm::refreshList2, ListChange::Append);
}

void TAppForm::loadIntoList(
    const QString &fileName, TextEncoding encoding, LineList &list, Refresh refresh, ListChange change)
{
    if (waitForRunningJob([=, this, &list] { loadIntoList(fileName, encoding, list, refresh, change); }))
        return;
    LoadOptions options = loadOptions();
    const bool sort = std::exchange(options.sortWhenLoading, false);
    // The work reads into its own copy; the pane goes on showing the list.
    LineList result = list;
    LoadReport report;
    std::exception_ptr failure;
    const bool done = runListJob(loadingLabel({fileName}), [&](JobProgress &progress) {
        failure = capturingException([&] {
            report = changeList(
                result, change, sort, fileName,
                [&](LineList &lines) {
                    return loadFileToList(fileName, encoding, options, lines, &progress);
                },
                &progress);
        });
    });
    // Cancelled: the list as it was.
    if (!done)
        return;
    list = std::move(result);
    // The pane must show exactly what the list holds now.
    (this->*refresh)();
    if (failure)
        std::rethrow_exception(failure);
    showLoadNote(loadWarnings(QFileInfo(fileName).fileName(), report));
}

void TAppForm::showLoadNote(const QStringList &warnings)
{
    m_loadNote = warnings.join(QStringLiteral("; "));
    if (comparing())
        return;
    if (m_loadNote.isEmpty())
        StatusBar1->clearMessage();
    else
        StatusBar1->showMessage(m_loadNote);
}

LoadOptions TAppForm::loadOptions() const
{
    LoadOptions options;
    options.ignoreWhitespace = IgnoreWhitespace1->isChecked();
    options.sortWhenLoading = SortWhenLoading1->isChecked();
    return options;
}

void TAppForm::Sifirla()
{
    List1.clear();
    List2.clear();
    refreshList1();
    refreshList2();
}

void TAppForm::refreshList1()
{
    MemoLeft->setRowCount(List1.count());
    Label3->setText(TranslateText(QStringLiteral("Total: ")) + FormatCount(List1.count()));
}

void TAppForm::refreshList2()
{
    MemoRight->setRowCount(List2.count());
    Label4->setText(TranslateText(QStringLiteral("Total: ")) + FormatCount(List2.count()));
}

void TAppForm::Button1Click()
{
    loadThroughDialog(List1, &TAppForm::refreshList1);
}

void TAppForm::Button2Click()
{
    loadThroughDialog(List2, &TAppForm::refreshList2);
}

void TAppForm::loadThroughDialog(LineList &list, Refresh refresh)
{
    if (waitForRunningJob([this, &list, refresh] { loadThroughDialog(list, refresh); }))
        return;
    const std::optional<OpenTextFileChoice> choice = Dialogs::current().openTextFile(*OpenTextFileDialog1);
    if (!choice)
        return;
    // The next open starts from this file's folder and encoding, in this run and the next.
    OpenTextFileDialog1->setDirectory(QFileInfo(choice->fileName).absolutePath());
    OpenTextFileDialog1->setEncodingIndex(choice->encodingIndex);
    m_openFolderKnown = true;
    // "Load..." replaces the list, but only once the file is in: a load that
    // runs out of memory leaves the lines the list had.
    loadIntoList(choice->fileName, encodingFromIndex(choice->encodingIndex), list, refresh,
                 ListChange::Replace);
}

void TAppForm::Exit1Click()
{
    // The program ends without closing the window.
    storeWindowState();
    QCoreApplication::exit(0);
}

void TAppForm::Help2Click()
{
    // A browser that does not start is not worth a message.
    Dialogs::current().openUrl(onlineHelpUrl(QStringLiteral(PAIRSIGHT_WEBSITE_HOST), AppProductName));
}

void TAppForm::About1Click()
{
    // It deletes itself when it closes.
    auto *box = new TAboutBox(this);
    box->exec();
}

void TAppForm::Language1Click()
{
    TTranslateForm chooser([this](const QString &fileName) { SetLanguageFile(fileName); }, SettingsFolder,
                           this);
    Dialogs::current().execDialog(chooser);
}

void TAppForm::SetLanguageFile(const QString &fileName)
{
    SettingsIni.writeString(QString::fromLatin1(SettingsSection), QString::fromLatin1(KeyLanguage), fileName);
    // A file that could not be read at start-up is never written; a failed
    // write is reported, and the chooser then does not restart.
    if (SettingsIni.isWritable())
        SettingsIni.write();
}

void TAppForm::TimerCheckerTimer()
{
    if (!CheckerStarted) {
        CheckerStarted = true;
        TChecker::Start(AppTitle, AppVersion);
        return;
    }
    if (!CheckDone.load(std::memory_order_acquire))
        return;
    TimerChecker->stop();
    UpdateNotifications1->setEnabled(true);
    if (CheckedShowUpdate == 0)
        UpdateNotifications1->setChecked(false);
    if (NewVersionAvailable)
        new TNewVer(this);
}

void TAppForm::UpdateNotifications1Click()
{
    // Qt has flipped the check mark already.
    UpdateStore.writeShowUpdate(UpdateNotifications1->isChecked() ? 1 : 0);
}

void TAppForm::SendFeedback1Click()
{
    auto *form = new TFeedbackForm(this);
    form->exec();
}

void TAppForm::ButtonCompareClick()
{
    if (ButtonCompare->text() != TranslateText(QStringLiteral("COMPARE"))) {
        m_compareRun->requestStop();
        return;
    }
    if (List1.isEmpty() && List2.isEmpty()) {
        QApplication::beep();
        return;
    }
    ButtonCompare->setText(TranslateText(QStringLiteral("STOP")));
    // The progress takes the status bar; a load's note is the last run's news.
    m_loadNote.clear();
    StatusBar1->clearMessage();
    TimerPercentage->start();
    m_compareRun->start([this] {
        // The matching is set here, on the GUI thread, so that re-sorting a
        // sorted list never overlaps a repaint of its pane; the run then reads
        // snapshots, and later edits of the lists are the next run's.
        const auto prepare = [this](LineList &list) {
            try {
                list.setMatching(matching());
                list.setKey(lineKey(), m_keyChoice.header);
            } catch (...) {
                // A sort that ran out of memory keeps every line, but maybe
                // not in order: the list must not claim to be sorted.
                list.setSorted(false);
                MemoLeft->viewport()->update();
                MemoRight->viewport()->update();
                throw;
            }
        };
        prepare(List1);
        prepare(List2);
        MemoLeft->viewport()->update();
        MemoRight->viewport()->update();
        return CompareInput {List1,
                             List2,
                             {.calculateUnion = CalculateUnionofLists1->isChecked(),
                              .key = lineKey(),
                              .header = m_keyChoice.header}};
    });
}

bool TAppForm::comparing() const
{
    return m_compareRun->running();
}

void TAppForm::TimerPercentageTimer()
{
    if (const std::optional<int> percent = m_compareRun->percent())
        StatusBar1->showMessage(TranslateText(QStringLiteral("Processing... (%1%)")).arg(*percent));
}

void TAppForm::IslemTamam()
{
    TimerPercentage->stop();
    StatusBar1->clearMessage();
    // A load made during the run is told now.
    if (!m_loadNote.isEmpty())
        StatusBar1->showMessage(m_loadNote);
    ButtonCompare->setText(TranslateText(QStringLiteral("COMPARE")));
    m_compareRun->restoreCursor();
}

void TAppForm::closeEvent(QCloseEvent *event)
{
    storeWindowState();
    m_compareRun->end();
    QMainWindow::closeEvent(event);
    // Results windows left open do not keep the program running.
    QCoreApplication::quit();
}
