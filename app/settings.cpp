#include "app/settings.h"

#include "about/versioninfo.h"
#include "platform/apperror.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

QString SettingsFolder;
IniStore SettingsIni;

bool IsFolderWritable(const QString &folder)
{
    // Create-new only: a "chk.tmp" left behind makes the test fail.
    QFile probe(QDir(folder).filePath(QStringLiteral("chk.tmp")));
    if (!probe.open(QIODevice::ReadWrite | QIODevice::NewOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

QString resolveSettingsFolder(const QString &executableFolder, const QString &configFolder)
{
    QString folder = QDir::cleanPath(executableFolder);
    if (IsFolderWritable(folder))
        return folder.endsWith(u'/') ? folder : folder + u'/';
    const TEXEVersionData version = GetEXEVersionData();
    const QString company = QDir::cleanPath(configFolder) + u'/' + version.CompanyName;
    const QString product = company + u'/' + version.ProductName;
    // Failures are not reported: the store then starts empty and the first
    // toggle says why it cannot be written.
    QDir().mkdir(configFolder);
    QDir().mkdir(company);
    QDir().mkdir(product);
    return product + u'/';
}

QString userConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

void openSettingsStore(const QString &folder)
{
    const QString fileName = folder + QStringLiteral("settings.ini");
    try {
        SettingsIni.open(fileName);
        return;
    } catch (const AppError &) {
        // Unreadable or not UTF-8: start afresh, without a word.
        QFile::remove(fileName);
    }
    try {
        SettingsIni.open(fileName);
    } catch (const AppError &error) {
        SettingsIni.openUnwritable(
            fileName,
            QStringLiteral("It could not be read at start-up (%1), so it is left as it is.")
                .arg(error.message()));
    }
}
