#include "app/application.h"
#include "testsupport.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    testsupport::isolateUserFolders();
    testsupport::isolateNetwork();
    // ctest sets it; this keeps a run by hand off the user's display too.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    app.setTitle(QStringLiteral("Pairsight"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
