#include "app/helpurl.h"

#include <gtest/gtest.h>

namespace {

TEST(HelpUrlTest, ProductNameBecomesThePath)
{
    struct Case
    {
        const char *name;
        QString product;
        QString url;
    };
    const Case cases[] = {
        {"one word", QStringLiteral("Pairsight"), QStringLiteral("http://www.tandrel.com/help/pairsight/")},
        {"two words", QStringLiteral("Pair Sight"),
         QStringLiteral("http://www.tandrel.com/help/pair-sight/")},
        {"every blank", QStringLiteral("Pair  Sight Pro"),
         QStringLiteral("http://www.tandrel.com/help/pair--sight-pro/")},
        {"capital I whatever the locale", QStringLiteral("LIST TOOL"),
         QStringLiteral("http://www.tandrel.com/help/list-tool/")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(onlineHelpUrl(QStringLiteral("www.tandrel.com"), c.product).toString(), c.url);
    }
}

} // namespace
