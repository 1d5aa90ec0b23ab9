#include "platform/programfolder.h"

#include <QCoreApplication>

namespace {

QString overriddenFolder;

} // namespace

QString ProgramFolder()
{
    return overriddenFolder.isEmpty() ? QCoreApplication::applicationDirPath() : overriddenFolder;
}

void OverrideProgramFolder(const QString &folder)
{
    overriddenFolder = folder;
}
