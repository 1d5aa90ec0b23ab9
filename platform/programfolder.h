#pragma once

#include <QString>

// The folder of the running executable, where the files that ship with the
// program ("Languages", "license.txt") lie and "settings.ini" may go.
QString programFolder();
// Makes programFolder() answer folder (empty: the real one again), so tests
// never read or write beside their own executable.
void overrideProgramFolder(const QString &folder);
