#pragma once

#include <QString>

// The folder of the running executable, where "settings.ini" may go and, in a
// portable copy or the build tree, the files that ship with the program
// ("Languages", "license.txt") lie.
QString programFolder();
// Makes programFolder() answer folder (empty: the real one again), so tests
// never read or write beside their own executable.
void overrideProgramFolder(const QString &folder);

// The folder that holds the shipped file or folder `name`: the program's
// folder when it is there, else the installed data folder (../share/pairsight
// from the program's folder) when it is there, else the program's folder, so
// that a missing file is reported where a portable copy keeps it.
QString shippedFileFolder(const QString &name);
// The same for a given program folder, for tests.
QString shippedFileFolderFrom(const QString &executableFolder, const QString &name);
