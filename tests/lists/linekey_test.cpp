#include "lists/linekey.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace Qt::StringLiterals;

void expectKeys(const LineKey &key,
                std::initializer_list<std::pair<const char16_t *, const char16_t *>> cases)
{
    QString scratch;
    for (const auto &[line, expected] : cases) {
        const QString text = QString::fromUtf16(line);
        SCOPED_TRACE(text.toStdString());
        const std::optional<QStringView> got = key.keyOf(text, scratch);
        if (!expected) {
            EXPECT_FALSE(got.has_value()) << got->toString().toStdString();
            continue;
        }
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(got->toString(), QString::fromUtf16(expected));
    }
}

TEST(LineKey, WholeLineIsTheLine)
{
    expectKeys(LineKey(), {{u"a,b", u"a,b"}, {u"", u""}});
    LineKey trimmed;
    trimmed.trimmed = true;
    expectKeys(trimmed, {{u"  a b\t", u"a b"}, {u" ", u""}});
}

TEST(LineKey, FieldsAtADelimiter)
{
    expectKeys(LineKey::field(2, u'\t', false),
               {
                   {u"1\tAnn\tx", u"Ann"},
                   {u"1\tAnn", u"Ann"},
                   {u"1\t\tx", u""}, // an empty field is the empty key
                   {u"1", nullptr}, // beyond the last field
                   {u"", nullptr},
                   {u"\t", u""},
                   {u"\t\t\t", u""},
                   {u"1,Ann", nullptr},
                   {u"\"a\tb\"\tc", u"b\""}, // quotes are plain text here
               });
    expectKeys(LineKey::field(1, u',', false), {{u"", u""}, {u",", u""}, {u"x", u"x"}});
    expectKeys(LineKey::field(3, u' ', false), {{u"a b c d", u"c"}, {u"a  b", u"b"}});
    LineKey trimmed = LineKey::field(2, u';', false);
    trimmed.trimmed = true;
    expectKeys(trimmed, {{u"1; Ann ;x", u"Ann"}, {u"1;  ", u""}});
}

TEST(LineKey, QuotedFields)
{
    const LineKey second = LineKey::field(2, u',', true);
    expectKeys(second,
               {
                   {u"1,\"Smith, Ann\",x", u"Smith, Ann"},
                   {u"1,\"say \"\"hi\"\"\",x", u"say \"hi\""},
                   {u"\"a,b\",c", u"c"},
                   {u"\"a,\"\"b\",c", u"c"},
                   {u"1,\"\"", u""},
                   {u"1,\"\"\"\"", u"\""},
                   {u"1,\"open, never closed", nullptr}, // a quote left open
                   {u"\"open,x", nullptr}, // before the field: nothing after it either
                   {u"1,\"ab\"cd,x", u"abcd"}, // text after the closing quote is kept
                   {u"1,a\"b,x", u"a\"b"}, // a quote inside an unquoted field is text
               });
    expectKeys(LineKey::field(1, u',', true), {{u"\"x\"", u"x"}, {u"\"", nullptr}});
}

TEST(LineKey, Patterns)
{
    expectKeys(LineKey::pattern(u"id=(\\d+)"_s),
               {{u"name=a id=42 x", u"42"}, {u"id=", nullptr}, {u"", nullptr}});
    // Without a group, the whole match.
    expectKeys(LineKey::pattern(u"[\\w.]+@[\\w.]+"_s), {{u"Mail: ann@example.com!", u"ann@example.com"}});
    // UTF mode: \w takes letters of every script; a pattern may match the empty string.
    expectKeys(LineKey::pattern(u"(?i)^(\\w*)"_s), {{u"Çağ-1", u"Çağ"}, {u"-1", u""}});
    // A group that took no part in the match: no key.
    expectKeys(LineKey::pattern(u"a(b)?"_s), {{u"xab", u"b"}, {u"xa", nullptr}});
    // A lone surrogate in the line does not fail the match.
    expectKeys(LineKey::pattern(u"k(.)"_s), {{u"\xD800k\u00E9", u"\u00E9"}});
}

TEST(LineKey, ABacktrackingPatternEndsWithoutAKey)
{
    const LineKey key = LineKey::pattern(u"^(a+)+$"_s);
    const QString line = QString(30, u'a') + u'!';
    QString scratch;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(key.keyOf(line, scratch).has_value());
    // Bounded by the match limit, not by 2^30 steps.
    EXPECT_LT(timer.elapsed(), 5000);
    const QString matching = u"aaaa"_s;
    EXPECT_EQ(key.keyOf(matching, scratch)->toString(), matching);
}

TEST(LineKey, AnInvalidPatternSaysWhatAndWhere)
{
    try {
        LineKey::pattern(u"ab(c"_s);
        FAIL() << "no error";
    } catch (const PatternError &error) {
        EXPECT_EQ(error.offset(), 4);
        EXPECT_TRUE(error.reason().contains(u"missing closing parenthesis"_s))
            << error.reason().toStdString();
        EXPECT_TRUE(error.message().contains(u"position 5"_s)) << error.message().toStdString();
    }
}

TEST(LineKey, DelimiterNamesAndDescriptions)
{
    EXPECT_EQ(delimiterFromName(u"tab"_s), QChar(u'\t'));
    EXPECT_EQ(delimiterFromName(u"Comma"_s), QChar(u','));
    EXPECT_EQ(delimiterFromName(u"SEMICOLON"_s), QChar(u';'));
    EXPECT_EQ(delimiterFromName(u"pipe"_s), QChar(u'|'));
    EXPECT_EQ(delimiterFromName(u"space"_s), QChar(u' '));
    EXPECT_EQ(delimiterFromName(u"#"_s), QChar(u'#'));
    EXPECT_EQ(delimiterFromName(u"ab"_s), std::nullopt);
    EXPECT_EQ(delimiterFromName(u""_s), std::nullopt);
    EXPECT_EQ(delimiterFromName(u"\""_s), std::nullopt);
    EXPECT_EQ(LineKey::field(2, u'\t', false).describe(), u"Comparing by field 2 (Tab)"_s);
    EXPECT_EQ(LineKey::field(1, u'#', true).describe(), u"Comparing by field 1 (\"#\", quoted)"_s);
    EXPECT_EQ(LineKey().describe(), QString());
    EXPECT_EQ(LineKey::pattern(u"x"_s), LineKey::pattern(u"x"_s));
    EXPECT_FALSE(LineKey::field(2, u',', false) == LineKey::field(2, u',', true));
}

} // namespace
