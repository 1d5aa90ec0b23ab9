#include "online/check.h"

#include "i18n/language.h"
#include "online/request.h"
#include "online/updatestore.h"
#include "platform/apperror.h"
#include "platform/buildinfo.h"

#include <QDate>
#include <QLocale>

#include <limits>

bool CheckerStarted = false;
std::atomic<bool> CheckDone = false;
bool NewVersionAvailable = false;
QString LatestVersion;
QString DownloadUrl;
int CheckedShowUpdate = 1;
bool CheckFailed = false;

void resetUpdateCheckState()
{
    CheckerStarted = false;
    CheckDone.store(false, std::memory_order_relaxed);
    NewVersionAvailable = false;
    LatestVersion.clear();
    DownloadUrl.clear();
    CheckedShowUpdate = 1;
    CheckFailed = false;
}

QString todayText()
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

bool isVersionNumber(QString text)
{
    text.remove(u'.');
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    if (i == text.size())
        return false;
    for (qsizetype k = i; k < text.size(); ++k) {
        if (text[k] < u'0' || text[k] > u'9')
            return false;
    }
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    return ok && value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max();
}

QUrl makerWebsite()
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral(PAIRSIGHT_WEBSITE_HOST));
    url.setPath(QStringLiteral("/"));
    return url;
}

QUrl downloadTarget(const QString &downloadUrl)
{
    QUrl url(downloadUrl.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (url.isValid() && (scheme == QStringLiteral("http") || scheme == QStringLiteral("https"))
        && !url.host().isEmpty())
        return url;
    return makerWebsite();
}

TChecker::TChecker(QString appTitle, QString appVersion)
    : m_appTitle(std::move(appTitle))
    , m_appVersion(std::move(appVersion))
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

TChecker *TChecker::Start(const QString &appTitle, const QString &appVersion)
{
    auto *checker = new TChecker(appTitle, appVersion);
    checker->start();
    return checker;
}

void TChecker::run()
{
    CheckDone.store(false, std::memory_order_relaxed);
    CheckNow();
}

QStringList TChecker::requestFields(const QString &machineId)
{
    QStringList fields {QStringLiteral("cmd=check"), QStringLiteral("appname=") + m_appTitle,
                        QStringLiteral("version=") + m_appVersion, QStringLiteral("os=") + OsDescription()};
    try {
        fields << QStringLiteral("local=") + GetLanguageCode();
    } catch (...) {
        CheckFailed = true;
    }
    fields << QStringLiteral("guid=") + machineId;
    return fields;
}

void TChecker::CheckNow()
{
    CheckFailed = false;
    // Nothing may escape: the worker has no one to report to, and CheckDone
    // must be set on every path.
    try {
        QString machineId;
        try {
            machineId = ReadMachineId();
        } catch (...) {
            CheckFailed = true;
        }

        try {
            UpdateStore.open();
        } catch (...) {
            CheckFailed = true;
        }
        const QString lastCheck = UpdateStore.lastUpdateCheck();
        const int lastCount = UpdateStore.lastUpdateCheckCount();
        CheckedShowUpdate = UpdateStore.showUpdate();

        const QString today = todayText();
        if (CheckedShowUpdate != 0 && !(lastCheck == today && lastCount >= MaxChecksPerDay)) {
            const int count = lastCheck == today ? std::max(lastCount, 0) + 1 : 1;
            try {
                UpdateStore.writeLastUpdateCheck(today, count);
            } catch (...) {
                // The day's count is best effort.
            }

            try {
                const QStringList fields = requestFields(machineId);
                QStringList lines;
                try {
                    const FallbackReply answer = PostWithFallback(
                        serviceEndpoint(QLatin1StringView(CheckPath)), fields, CheckTimeoutMs);
                    // A good plain HTTP retry makes up for every failure so far;
                    // a good HTTPS reply does not.
                    if (answer.httpsFailed)
                        CheckFailed = false;
                    if (answer.reply.startsWith(QStringLiteral("ERROR")))
                        CheckFailed = true;
                    lines = replyLines(answer.reply);
                } catch (...) {
                    CheckFailed = true;
                }
                if (!CheckFailed) {
                    const QString result
                        = lines.size() >= 4 ? ExtractTag(lines.at(3), QStringLiteral("result")) : QString();
                    if (result != QStringLiteral("0") && result != QStringLiteral("1"))
                        CheckFailed = true;
                }
                if (!CheckFailed) {
                    LatestVersion = ExtractTag(lines.value(0), QStringLiteral("version"));
                    DownloadUrl = ExtractTag(lines.value(1), QStringLiteral("url"));
                    if (LatestVersion != m_appVersion && isVersionNumber(LatestVersion)
                        && CheckedShowUpdate == 1
                        && (count <= MaxPopupChecksPerDay || lastCheck != todayText()))
                        NewVersionAvailable = true;
                }
            } catch (...) {
                CheckFailed = true;
            }
        }
    } catch (...) {
        CheckFailed = true;
    }
    CheckDone.store(true, std::memory_order_release);
}
