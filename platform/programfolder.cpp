#include "platform/programfolder.h"

#include "platform/buildinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString overriddenFolder;

} // namespace

QString programFolder()
{
    return overriddenFolder.isEmpty() ? QCoreApplication::applicationDirPath() : overriddenFolder;
}

void overrideProgramFolder(const QString &folder)
{
    overriddenFolder = folder;
}

QString shippedFileFolder(const QString &name)
{
    return shippedFileFolderFrom(programFolder(), name);
}

QString shippedFileFolderFrom(const QString &executableFolder, const QString &name)
{
    const QDir beside(executableFolder);
    if (QFileInfo::exists(beside.filePath(name)))
        return executableFolder;
    // Relative, so that an installed tree keeps working wherever it is moved.
    QString installed = QDir::cleanPath(beside.filePath(QStringLiteral(PAIRSIGHT_DATA_DIR_FROM_BIN_DIR)));
    if (QFileInfo::exists(QDir(installed).filePath(name)))
        return installed;
    return executableFolder;
}
