#pragma once

#include <QString>
#include <QStringList>
#include <QThread>
#include <QUrl>

#include <atomic>

// The outcome of the run's one update check, handed from the worker to the
// main window's timer. The worker writes everything else before CheckDone
// (release); the GUI thread reads it only after seeing CheckDone (acquire).
extern bool CheckerStarted; // GUI thread only
extern std::atomic<bool> CheckDone;
extern bool NewVersionAvailable;
extern QString LatestVersion;
extern QString DownloadUrl;
extern int CheckedShowUpdate; // ShowUpdate as the check read it
extern bool CheckFailed;

// Back to the state at program start, for tests.
void resetUpdateCheckState();

// The service's path for the update check and the time-out of each attempt.
inline constexpr char CheckPath[] = "/php/check2.php";
inline constexpr int CheckTimeoutMs = 10000;
// Requests a day, and the checks of a day that may show the popup.
inline constexpr int MaxChecksPerDay = 5;
inline constexpr int MaxPopupChecksPerDay = 3;

// Today's date in the user's short date format, as the store keeps it.
QString todayText();

// True when text, with every "." removed, is a 32-bit signed decimal integer
// (digits with an optional sign).
bool isVersionNumber(QString text);

// What a click on the popup's link opens: the announced link when it is an
// http or https address, else the maker's web site. A reply is never allowed
// to make the shell open a local file, a program or another scheme.
QUrl downloadTarget(const QString &downloadUrl);
// The maker's web site.
QUrl makerWebsite();

// The update check's worker; it deletes itself once it has finished.
class TChecker : public QThread
{
    Q_OBJECT

public:
    TChecker(QString appTitle, QString appVersion);

    // Performs the check and sets CheckDone as its last action.
    void CheckNow();

    // Creates and starts the run's worker; it is gone once it has finished.
    static TChecker *Start(const QString &appTitle, const QString &appVersion);

protected:
    void run() override;

private:
    QStringList requestFields(const QString &machineId);

    const QString m_appTitle;
    const QString m_appVersion;
};
