#include "app/startarguments.h"

#include "about/versioninfo.h"

#include <QCommandLineParser>

StartArguments parseStartArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringLiteral("help"), QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    parser.addOptions({help, version});

    StartArguments start;
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help)) {
        // Written out: the parser's own help needs the application object,
        // and --help answers before there is one.
        start.action = StartArguments::Action::Help;
        start.text
            = QStringLiteral("Usage: pairsight [--help | --version] [--] [LIST1 [LIST2]]\n"
                             "Compares two lists of text lines in a window.\n"
                             "\n"
                             "  LIST1      a file to load into list #1 at start\n"
                             "  LIST2      a file to load into list #2 at start\n"
                             "  --help     show this help\n"
                             "  --version  show the version\n"
                             "\n"
                             "Each file is read as a file dropped on its list: as UTF-8 (a byte-order mark\n"
                             "wins), else in the locale's ANSI code page. pairsight-compare compares lists\n"
                             "without a window.\n");
        return start;
    }
    if (parser.isSet(version)) {
        start.action = StartArguments::Action::Version;
        start.text
            = GetEXEVersionData().ProductName + u' ' + formatFixedVersion(getExeFixedVersion()) + u'\n';
        return start;
    }
    if (!parsed) {
        start.action = StartArguments::Action::Error;
        start.text = QStringLiteral("pairsight: %1\nTry 'pairsight --help' for more information.\n")
                         .arg(parser.errorText());
        return start;
    }
    QStringList files = parser.positionalArguments();
    start.list1 = files.value(0);
    start.list2 = files.value(1);
    if (files.size() > 2)
        start.extra = files.mid(2);
    return start;
}
