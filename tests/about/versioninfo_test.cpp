#include "about/versioninfo.h"
#include "platform/apperror.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionInfo, FixedVersionFormatsAsMajorDotMinor)
{
    struct Case
    {
        std::uint32_t version;
        const char *expected;
    };
    for (const Case &c : {Case {0x00010007, "1.7"}, Case {0x0002000A, "2.10"},
                          Case {0xFFFFFFFF, "65535.65535"}, Case {0, "0.0"}}) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(formatFixedVersion(c.version).toStdString(), c.expected);
    }
    EXPECT_EQ(formatFixedVersion(getExeFixedVersion()), QStringLiteral("1.7"));
}

TEST(VersionInfo, RecordCarriesTheBuildsNamesAndVersion)
{
    const TEXEVersionData data = GetEXEVersionData();
    EXPECT_EQ(data.CompanyName, QStringLiteral("TANDREL"));
    EXPECT_EQ(data.ProductName, QStringLiteral("Pairsight"));
    EXPECT_EQ(data.FileVersion, QStringLiteral("1.7.0.0"));
    EXPECT_EQ(data.ProductVersion, QStringLiteral("1.7.0.0"));
    EXPECT_TRUE(data.PrivateBuild.isEmpty());
    EXPECT_TRUE(data.SpecialBuild.isEmpty());
}

TEST(ErrorBox, FullStopAppendedAfterCodesAboveIt)
{
    struct Case
    {
        const char *message;
        const char *expected;
    };
    for (const Case &c : {Case {"Cannot open", "Cannot open."}, Case {"Done.", "Done."},
                          Case {"Why?", "Why?."}, Case {"Stop!", "Stop!"}, Case {"(x)", "(x)"},
                          Case {"a/", "a/."}, Case {"", ""}, Case {"ß", "ß."}}) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(errorBoxText(QString::fromUtf8(c.message)).toStdString(), c.expected);
    }
}

} // namespace
