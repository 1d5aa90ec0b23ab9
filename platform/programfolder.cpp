#include "platform/programfolder.h"

#include <QCoreApplication>

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
