#include "about/popupguard.h"

#include <gtest/gtest.h>

namespace {

TEST(PopupGuard, AClickRightAfterTheMenuClosedThroughTheSameButtonIsSwallowedOnce)
{
    const int button = 0, otherButton = 0, menu = 0, otherMenu = 0;
    struct Case
    {
        const char *what;
        std::uint32_t closedAt;
        const void *button;
        const void *menu;
        std::uint32_t clickAt;
        bool opens;
    };
    const Case cases[] = {
        {"same button, 50 ms later", 1000, &button, &menu, 1050, false},
        {"same button, 99 ms later", 1000, &button, &menu, 1099, false},
        {"same button, 100 ms later", 1000, &button, &menu, 1100, true},
        {"another button", 1000, &otherButton, &menu, 1010, true},
        {"another menu", 1000, &button, &otherMenu, 1010, true},
        {"across the tick count's wrap", 0xFFFFFFF0u, &button, &menu, 0x10, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PopupGuard guard;
        EXPECT_TRUE(guard.shouldOpen(&button, &menu, c.closedAt - 500));
        guard.closed(&button, &menu, c.closedAt);
        EXPECT_EQ(guard.shouldOpen(c.button, c.menu, c.clickAt), c.opens);
        // The swallowed click forgot the opening: the next one opens.
        EXPECT_TRUE(guard.shouldOpen(c.button, c.menu, c.clickAt + 1));
    }
}

} // namespace
