#include "app/startfiles.h"

#include "app/appform.h"
#include "app/startarguments.h"
#include "testsupport.h"
#include "widgets/fakedialogs.h"

#include <QAction>
#include <QDir>
#include <QLabel>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using testsupport::linesOf;

// Records what the lists held when each error box came up.
class WatchingDialogs : public FakeDialogs
{
public:
    std::function<void()> onErrorBox;
    void errorBox(QWidget *parent, const QString &title, const QString &text) override
    {
        if (onErrorBox)
            onErrorBox();
        FakeDialogs::errorBox(parent, title, text);
    }
};

class StartFilesTest : public ::testing::Test
{
protected:
    StartArguments start(const QStringList &files) const
    {
        return parseStartArguments(QStringList {u"pairsight"_s} + files);
    }

    testsupport::TempDir dir;
    WatchingDialogs dialogs;
    TAppForm form;
};

TEST_F(StartFilesTest, EachFileLoadsIntoItsListAsADroppedFileDoes)
{
    const testsupport::ScopedEnv locale("LC_ALL", "de_DE.UTF-8");
    form.SortWhenLoading1->setChecked(true);
    // UTF-8 with its mark; Latin-1, which is not UTF-8 and so is read as ANSI.
    const QString one = dir.write(u"one.txt"_s,
                                  "\xEF\xBB\xBF"
                                  "b\r\n\xC3\xA4\r\n");
    const QString two = dir.write(u"two.txt"_s,
                                  "Stra\xDF"
                                  "e\nab\n");
    loadStartFiles(form, start({one, two}));
    EXPECT_EQ(linesOf(form.List1), (QStringList {u"ä"_s, u"b"_s}));
    EXPECT_EQ(linesOf(form.List2), (QStringList {u"ab"_s, u"Straße"_s}));
    EXPECT_EQ(form.Label3->text(), u"Total: 2"_s);
    EXPECT_EQ(form.Label4->text(), u"Total: 2"_s);
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(StartFilesTest, AFileThatCannotBeReadIsSaidOnceTheOtherListIsLoaded)
{
    const QString file = dir.write(u"file.txt"_s, "f\n");
    const QString missing = dir.file(u"missing.txt"_s);
    struct Case
    {
        const char *what;
        QStringList files;
        QStringList list1, list2;
    };
    const Case cases[] = {
        {"list #1", {missing, file}, {}, {u"f"_s}},
        {"list #2", {file, missing}, {u"f"_s}, {}},
        {"a folder", {file, dir.path()}, {u"f"_s}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        form.Sifirla();
        dialogs.errorBoxes.clear();
        QStringList list1AtBox, list2AtBox;
        dialogs.onErrorBox = [&] {
            list1AtBox = linesOf(form.List1);
            list2AtBox = linesOf(form.List2);
        };
        loadStartFiles(form, start(c.files));
        ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
        EXPECT_EQ(list1AtBox, c.list1);
        EXPECT_EQ(list2AtBox, c.list2);
        const QString failing = c.list1.isEmpty() ? c.files[0] : c.files[1];
        EXPECT_TRUE(dialogs.errorBoxes[0].text.contains(QDir::toNativeSeparators(failing)))
            << dialogs.errorBoxes[0].text.toStdString();
        EXPECT_EQ(linesOf(form.List1), c.list1);
        EXPECT_EQ(linesOf(form.List2), c.list2);
    }
}

TEST_F(StartFilesTest, FilesBeyondTheSecondAreNamedNotLoaded)
{
    const QString a = dir.write(u"a.txt"_s, "a\n");
    const QString b = dir.write(u"b.txt"_s, "b\n");
    const QString c = dir.write(u"c.txt"_s, "c\n");
    loadStartFiles(form, start({a, b, c, c}));
    EXPECT_EQ(linesOf(form.List1), QStringList {u"a"_s});
    EXPECT_EQ(linesOf(form.List2), QStringList {u"b"_s});
    ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
    // The closing quote takes no full stop after it.
    const QString named = u"\""_s + QDir::toNativeSeparators(c) + u"\""_s;
    EXPECT_EQ(
        dialogs.errorBoxes[0].text.toStdString(),
        QString(u"Pairsight compares two lists; these files were not loaded: "_s + named + u", "_s + named)
            .toStdString());
}

} // namespace
