#pragma once

#include "lists/linelist.h"
#include "lists/paneedit.h"
#include "lists/textencoding.h"
#include "lists/textloader.h"
#include "widgets/progressrun.h"

#include <QMainWindow>

#include <functional>

class CompareRun;
class ListPane;
class OpenTextFileDialog;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTimer;
class QToolButton;
class SaveTextFileDialog;
class TMemoLeft;
class TMemoRight;

// The main window: the two lists side by side, each with its pane, its
// buttons and its total, the COMPARE button and the status bar below, the
// main menu above. It owns the lists and the panes for the whole run.
class TAppForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TAppForm(QWidget *parent = nullptr);
    ~TAppForm() override;

    // Append the file's lines to List1 / List2 under the Settings check marks,
    // then refresh the pane and the total. Throw AppError when the file cannot
    // be opened or decoded (the lines read before stay in the list) or when
    // memory runs out (the list keeps what it had).
    void LoadFromFileToList1(const QString &fileName, TextEncoding encoding);
    void LoadFromFileToList2(const QString &fileName, TextEncoding encoding);
    // Empties both lists, panes and totals.
    void Sifirla();
    // After any change of a list: the pane's row count and the "Total: " label.
    void refreshList1();
    void refreshList2();

    // COMPARE: starts a comparison when idle ("COMPARE"), else asks it to stop.
    void ButtonCompareClick();
    // The percentage of the running comparison in the status bar.
    void TimerPercentageTimer();
    // Back to idle: timer off, status empty, "COMPARE", normal cursor.
    void IslemTamam();
    bool comparing() const;
    // What the check items of the Settings menu make equal.
    Matching matching() const;
    // What Compare By chose, and the key it makes (trimmed with Ignore Whitespace When Loading).
    const KeyChoice &keyChoice() const { return m_keyChoice; }
    LineKey lineKey() const;
    CompareRun &compareRun() const { return *m_compareRun; }

    // Open the about window and the language chooser, modally.
    void About1Click();
    void Language1Click();
    // Keeps the language file the chooser confirmed (a bare name, such as
    // "German.lang.txt") in settings.ini for the next start, written at once.
    void SetLanguageFile(const QString &fileName);

    // The Settings menu: each flips its check mark, stores it in settings.ini
    // at once and, for the two loading options, empties both lists.
    void CalculateUnionofLists1Click();
    void CaseSensitive1Click();
    void IgnoreAccents1Click();
    void IgnorePunctuation1Click();
    // Opens the Compare By dialog; what it accepts is stored and set on both lists.
    void CompareBy1Click();
    void IgnoreWhitespace1Click();
    void SortWhenLoading1Click();
    // Asks, then deletes settings.ini and starts the program afresh.
    void ResettoDefaults1Click();

    // The pane commands, each once per pane (list #1, list #2); every one
    // that changes a list ends with its refresh.
    void Clear2Click();
    void MenuItem1Click();
    void Cut1Click();
    void MenuItem3Click();
    void Copy1Click();
    void MenuItem4Click();
    void Paste1Click();
    void Paste2Click();
    // The "Paste" buttons perform the menu items.
    void Button7Click();
    void Button8Click();
    void Delete1Click();
    void Delete2Click();
    // The Delete key, with any modifiers, performs Delete1 / Delete2.
    void ListView1KeyDown(int key);
    void ListView2KeyDown(int key);
    void SelectAll1Click();
    void MenuItem8Click();
    // Remove Duplicates.
    void Button4Click();
    void Button5Click();
    // Save the list.
    void Button3Click();
    void Button6Click();
    // Files dropped on a pane, appended in order; the first that cannot be
    // loaded stops the rest with its error.
    void MemoLeftDropFiles(const QStringList &fileNames);
    void MemoRightDropFiles(const QStringList &fileNames);
    // Starts the run's update check on the first tick; once it is done,
    // enables Update Notifications and shows the popup when one is due.
    void TimerCheckerTimer();
    // Stores the new check mark of Update Notifications for later runs.
    void UpdateNotifications1Click();
    // Opens the feedback window modally.
    void SendFeedback1Click();

    LineList List1;
    LineList List2;

    // The components, by their names in the window's design.
    QMenuBar *MainMenu1;
    QMenu *File1;
    QAction *Clear1;
    QAction *LoadList11;
    QAction *LoadList21;
    QAction *N2;
    QAction *Compare1;
    QAction *N1;
    QAction *Exit1;
    QMenu *Settings1;
    QAction *CalculateUnionofLists1;
    QAction *CaseSensitive1;
    QAction *IgnoreAccents1;
    QAction *IgnorePunctuation1;
    QAction *CompareBy1;
    QAction *N4;
    QAction *IgnoreWhitespace1;
    QAction *SortWhenLoading1;
    QAction *N7;
    QAction *ResettoDefaults1;
    QMenu *Help1;
    QAction *Help2;
    QAction *N3;
    QAction *UpdateNotifications1;
    QAction *UpdateNotificationsBar;
    QAction *Language1;
    QAction *SendFeedback1;
    QAction *About1;

    QMenu *PopupMenu1;
    QAction *Clear2;
    QAction *N5;
    QAction *Cut1;
    QAction *Copy1;
    QAction *Paste1;
    QAction *Delete1;
    QAction *N6;
    QAction *SelectAll1;
    QMenu *PopupMenu2;
    QAction *MenuItem1;
    QAction *MenuItem2;
    QAction *MenuItem3;
    QAction *MenuItem4;
    QAction *Paste2;
    QAction *Delete2;
    QAction *MenuItem7;
    QAction *MenuItem8;

    QStatusBar *StatusBar1;
    QWidget *Panel3;
    QPushButton *ButtonCompare;
    QFrame *Panel4;
    QSplitter *Splitter1;
    QWidget *Panel1;
    QWidget *Panel2;
    QWidget *Panel9;
    QWidget *Panel10;
    QPushButton *Button1;
    QPushButton *Button2;
    QPushButton *Button7;
    QPushButton *Button8;
    QWidget *Panel7;
    QWidget *Panel8;
    QLabel *Label1;
    QLabel *Label2;
    TMemoLeft *MemoLeft = nullptr;
    TMemoRight *MemoRight = nullptr;
    QWidget *Panel5;
    QWidget *Panel6;
    QLabel *Label3;
    QLabel *Label4;
    QToolButton *Button3;
    QToolButton *Button6;
    QPushButton *Button4;
    QPushButton *Button5;

    QTimer *TimerChecker;
    QTimer *TimerPercentage;
    OpenTextFileDialog *OpenTextFileDialog1;
    SaveTextFileDialog *SaveDialog1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Opens settings.ini and loads the language it names, or the one the
    // display language picks, with Qt's own translations for it; what goes
    // wrong is reported at the end of FormCreate, once the window exists.
    void startSettingsAndLanguage();
    void createComponents();
    void connectHandlers();
    void FormCreate();
    void FormResize();
    void Splitter1Moved();
    void DugmeleriYenidenBoyutlandir();

    void Button1Click();
    void Button2Click();
    void Exit1Click();
    void Help2Click();

    using Refresh = void (TAppForm::*)();
    void loadThroughDialog(LineList &list, Refresh refresh);
    void loadIntoList(
        const QString &fileName, TextEncoding encoding, LineList &list, Refresh refresh, ListChange change);
    void applyStoredOptions();
    // The window's size, place and split and the open dialog's folder and
    // encoding, as the last run left them (app/windowmemory.cpp); stored as
    // the program ends.
    void restoreWindowState();
    void storeWindowState();
    // Stores the option's current check mark and writes settings.ini.
    void storeOption(QAction *item, const char *key, bool emptiesLists);
    // The loading options as the Settings check marks stand.
    LoadOptions loadOptions() const;
    // The matching and key in force, in the status bar while nothing else is said.
    void showMatching();
    // Sets the key on both lists (sorted ones are sorted again) and says so.
    void applyKey();

    void setUpPaneCommands();
    void clearList(LineList &list, Refresh refresh);
    void copyLines(const LineList &list, const ListPane *pane);
    void cutLines(LineList &list, ListPane *pane, Refresh refresh);
    void pasteLines(LineList &list, Refresh refresh);
    void deleteLines(LineList &list, ListPane *pane, Refresh refresh);
    void removeDuplicates(LineList &list, Refresh refresh);
    void saveList(const LineList &list);
    void dropFiles(const QStringList &fileNames, LineList &list, Refresh refresh);
    // Runs a command's work on the lists through runWithProgress(); true
    // when it finished and was not cancelled.
    bool runListJob(const ProgressLabel &label, const JobThread::Work &work);
    // While a command's work runs, a command that changes the lists (queued
    // before the running one began) is put off until it has ended: true
    // when `command` was put off, to run again later.
    bool waitForRunningJob(const std::function<void()> &command);
    // The progress dialog's text of a load or a drop of these files.
    static ProgressLabel loadingLabel(const QStringList &fileNames);
    // Says in the status bar what the last load replaced or dropped (nothing
    // for a clean load). The note stays until the next load or comparison; a
    // running comparison's progress keeps the bar, and the note follows it.
    void showLoadNote(const QStringList &warnings);

    QString m_settingsProblem;
    QString m_languageProblem;
    CompareRun *m_compareRun;
    bool m_jobRunning = false;
    // List #1's share of the two lists' width, in thousandths; kept through resizes.
    int m_split = 500;
    // Whether the open dialog's folder is one the user chose, now or in an earlier run.
    bool m_openFolderKnown = false;
    QString m_loadNote;
    QLabel *m_matchingLabel = nullptr;
    KeyChoice m_keyChoice;
};

// The main window; set while it exists.
extern TAppForm *AppForm;
