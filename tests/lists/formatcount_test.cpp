#include "lists/formatcount.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatCount, GroupsDigitsWithTheLocale)
{
    struct Case
    {
        qint64 count;
        QLocale locale;
        const char *expected;
    };
    const Case cases[] = {
        {1234567, QLocale(QLocale::English, QLocale::UnitedStates), "1,234,567"},
        {0, QLocale(QLocale::English, QLocale::UnitedStates), "0"},
        {999, QLocale(QLocale::English, QLocale::UnitedStates), "999"},
        {1234567, QLocale(QLocale::German, QLocale::Germany), "1.234.567"},
        {1234567, QLocale::c(), "1,234,567"},
        {10000000000, QLocale(QLocale::English, QLocale::UnitedStates), "10,000,000,000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        EXPECT_EQ(FormatCount(c.count, c.locale).toStdString(), c.expected);
    }
}

} // namespace
