#include "online/emailaddress.h"

#include <gtest/gtest.h>

namespace {

TEST(IsValidEmail, MatchesTheWholeAddress)
{
    struct Case
    {
        const char *address;
        bool valid;
    };
    const Case cases[] = {
        {"someone@example.com", true},
        {"first.last+tag@mail-host.co.uk", true},
        {"a_b-c@x.y", true},
        {"A@B.C1", true},
        {"x@example.c-d", true},
        {"x@example..com", true}, // the part after the first dot may hold dots
        {"", false},
        {"someone", false},
        {"someone@example", false}, // no dot after the "@"
        {"someone@example.com.", false}, // ends in a dot
        {"someone@example.", false},
        {"@example.com", false},
        {"some one@example.com", false},
        {" someone@example.com", false},
        {"someone@example.com\n", false}, // "$" does not stop before a final line break
        {"a@b@example.com", false},
        {"someone@sub_domain.com", false},
        {"someone@.com", false},
        {"s\xc3\xb6meone@example.com", false},
        {"someone@example.c\xc3\xb6", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(IsValidEmail(QString::fromUtf8(c.address)), c.valid);
    }
}

} // namespace
