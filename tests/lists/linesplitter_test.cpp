#include "lists/linelist.h"
#include "lists/linesplitter.h"

#include "testsupport.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

TEST(LineSplitter, SplitsOnEveryTerminatorAndTrims)
{
    struct Case
    {
        const char *name;
        QStringList pieces;
        bool trim;
        QStringList expected;
    };
    const QString x = QStringLiteral("x");
    const Case cases[] = {
        {"CR LF", {QStringLiteral("a\r\nb\r\n")}, false, {QStringLiteral("a"), QStringLiteral("b")}},
        {"CR alone", {QStringLiteral("a\rb")}, false, {QStringLiteral("a"), QStringLiteral("b")}},
        {"two LFs", {QStringLiteral("a\n\nb")}, false, {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {"two LFs trimmed", {QStringLiteral("a\n\nb")}, true, {QStringLiteral("a"), QStringLiteral("b")}},
        {"LF CR is two ends",
         {QStringLiteral("a\n\rb")},
         false,
         {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {"nothing", {QString()}, false, {}},
        {"one terminator", {QStringLiteral("\r\n")}, false, {QString()}},
        {"CR LF split across pieces",
         {QStringLiteral("a\r"), QStringLiteral("\nb")},
         false,
         {QStringLiteral("a"), QStringLiteral("b")}},
        {"CR at a piece end, then text",
         {QStringLiteral("a\r"), QStringLiteral("b")},
         false,
         {QStringLiteral("a"), QStringLiteral("b")}},
        {"line across pieces",
         {QStringLiteral("ab"), QStringLiteral("cd\nef")},
         false,
         {QStringLiteral("abcd"), QStringLiteral("ef")}},
        {"control characters trimmed", {QStringLiteral("\x01\t x \x1f\n")}, true, {x}},
        {"only blanks", {QStringLiteral(" \t \n")}, true, {}},
        {"inner blanks stay", {QStringLiteral(" a b ")}, true, {QStringLiteral("a b")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LineList list("en_US");
        LineSplitter splitter(list, c.trim);
        for (const QString &piece : c.pieces)
            splitter.feed(piece);
        splitter.finish();
        const QStringList lines = testsupport::linesOf(list);
        EXPECT_EQ(lines, c.expected) << lines.join(u'|').toStdString();
    }
}

} // namespace
