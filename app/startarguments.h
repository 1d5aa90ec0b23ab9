#pragma once

#include <QString>
#include <QStringList>

// What the window program's command line asks for:
//   pairsight [--help | --version] [--] [LIST1 [LIST2]]
struct StartArguments
{
    enum class Action
    {
        Start,
        Help,
        Version,
        Error,
    };
    Action action = Action::Start;
    // Start: the files to load into list #1 and list #2 (empty: none), and
    // those beyond the second, which are not loaded.
    QString list1;
    QString list2;
    QStringList extra;
    // Help and Version: the text for standard output; Error: the lines for
    // standard error, after which the program ends with status 2.
    QString text;
};

// Reads the arguments, the program's name first. --help wins over --version,
// and both over a bad option, so that they answer even before Qt has taken
// its own options (-platform, -style...) out of the command line.
StartArguments parseStartArguments(const QStringList &arguments);
