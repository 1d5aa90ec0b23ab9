#include "app/startarguments.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Action = StartArguments::Action;

TEST(StartArgumentsTest, FilesGoToListOneThenListTwoAndTheRestAreKeptAside)
{
    struct Case
    {
        const char *what;
        QStringList arguments;
        QString list1, list2;
        QStringList extra;
    };
    const Case cases[] = {
        {"none", {}, {}, {}, {}},
        {"one", {u"a.txt"_s}, u"a.txt"_s, {}, {}},
        {"two", {u"a.txt"_s, u"b.txt"_s}, u"a.txt"_s, u"b.txt"_s, {}},
        {"more than two", {u"a"_s, u"b"_s, u"c"_s, u"d"_s}, u"a"_s, u"b"_s, {u"c"_s, u"d"_s}},
        {"after --, a name with a dash", {u"--"_s, u"--help"_s, u"-x"_s}, u"--help"_s, u"-x"_s, {}},
        {"spaces and non-ASCII kept", {u"/tmp/Liste 1 ü.txt"_s}, u"/tmp/Liste 1 ü.txt"_s, {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const StartArguments start = parseStartArguments(QStringList {u"pairsight"_s} + c.arguments);
        EXPECT_EQ(start.action, Action::Start);
        EXPECT_EQ(start.list1, c.list1);
        EXPECT_EQ(start.list2, c.list2);
        EXPECT_EQ(start.extra, c.extra);
    }
}

TEST(StartArgumentsTest, HelpAndVersionAnswerEvenBesideOptionsOnlyQtKnows)
{
    struct Case
    {
        const char *what;
        QStringList arguments;
        Action action;
        QString text; // contained in the output
    };
    const Case cases[] = {
        {"help",
         {u"--help"_s},
         Action::Help,
         u"Usage: pairsight [--help | --version] [--] [LIST1 [LIST2]]\n"_s},
        {"version", {u"--version"_s}, Action::Version, u"Pairsight 1.7\n"_s},
        {"help wins over version", {u"--version"_s, u"--help"_s}, Action::Help, u"--version"_s},
        {"version after an option of Qt's",
         {u"-platform"_s, u"offscreen"_s, u"--version"_s},
         Action::Version,
         u"Pairsight"_s},
        {"unknown option",
         {u"a.txt"_s, u"--bogus"_s},
         Action::Error,
         u"pairsight: Unknown option 'bogus'.\nTry 'pairsight --help' for more information.\n"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const StartArguments start = parseStartArguments(QStringList {u"pairsight"_s} + c.arguments);
        EXPECT_EQ(start.action, c.action);
        EXPECT_TRUE(start.text.contains(c.text)) << start.text.toStdString();
    }
}

} // namespace
