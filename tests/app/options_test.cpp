#include "app/appform.h"
#include "app/settings.h"
#include "i18n/language.h"
#include "platform/fakelauncher.h"
#include "platform/programfolder.h"
#include "testsupport.h"
#include "widgets/fakedialogs.h"

#include "app/windowstate.h"
#include "widgets/opentextfiledialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

using testsupport::readAll;

// Each test starts the window beside its own program folder, with or without
// a settings.ini written beforehand.
class OptionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedFolder = programFolder();
        overrideProgramFolder(program->path());
    }
    void TearDown() override
    {
        form.reset();
        overrideProgramFolder(m_savedFolder);
        resetLanguageState();
    }

    QString settingsFile() const { return program->file(u"settings.ini"_s); }
    void start() { form = std::make_unique<TAppForm>(); }
    void fillBothLists()
    {
        form->List1.append(u"a"_s);
        form->List2.append(u"b"_s);
        form->refreshList1();
        form->refreshList2();
    }
    bool listsKept() const
    {
        return form->List1.count() == 1 && form->List2.count() == 1 && form->Label3->text() == u"Total: 1"_s
            && form->Label4->text() == u"Total: 1"_s;
    }
    bool listsEmptied() const
    {
        return form->List1.isEmpty() && form->List2.isEmpty() && form->Label3->text() == u"Total: 0"_s
            && form->Label4->text() == u"Total: 0"_s;
    }
    // The menu item as a user picks it; its handler runs from the event loop.
    static void pick(QAction *item)
    {
        item->trigger();
        QCoreApplication::processEvents();
    }

    std::unique_ptr<testsupport::TempDir> program = std::make_unique<testsupport::TempDir>();
    FakeDialogs dialogs;
    FakeLauncher launcher;
    std::unique_ptr<TAppForm> form;

private:
    QString m_savedFolder;
};

TEST_F(OptionsTest, StoredValuesCountOnlyWhenTheyAreExactlyTheOtherValue)
{
    struct Case
    {
        const char *file; // nullptr: no settings.ini
        bool calculateUnion, caseSensitive, ignoreWhitespace, sortWhenLoading;
        bool ignoreAccents = false, ignorePunctuation = false;
        const char *matching = "Matching: ignore case";
    };
    const Case cases[] = {
        {nullptr, false, false, false, true},
        {"[Settings]\r\nSortWhenLoading=off\r\nCaseSensitive=ON\r\n", false, true, false, true, false, false,
         "Matching: case sensitive"},
        {"\xEF\xBB\xBF[settings]\r\nsortwhenloading=OFF\r\ncalculateunionoflists=ON\r\n", true, false, false,
         false},
        {"[Settings]\r\nIgnoreWhitespace=ON\r\nCalculateUnionOfLists=on\r\nCaseSensitive=YES\r\n", false,
         false, true, true},
        {"[Other]\r\nCaseSensitive=ON\r\n", false, false, false, true},
        {"[Settings]\r\nIgnoreAccents=ON\r\nIgnorePunctuation=ON\r\n", false, false, false, true, true, true,
         "Matching: ignore case, accents, punctuation and spaces"},
        {"[Settings]\r\nIgnoreAccents=On\r\nIgnorePunctuation=OFF\r\nCaseSensitive=ON\r\n", false, true,
         false, true, false, false, "Matching: case sensitive"},
        {"[Settings]\r\nIgnorePunctuation=ON\r\nCaseSensitive=ON\r\n", false, true, false, true, false, true,
         "Matching: ignore punctuation and spaces"},
        {"[Settings]\r\nCaseSensitive=ON\xC0\r\n", false, false, false, true}, // not UTF-8: deleted
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file ? c.file : "(no file)");
        program = std::make_unique<testsupport::TempDir>();
        overrideProgramFolder(program->path());
        if (c.file)
            testsupport::writeAll(settingsFile(), c.file);
        start();
        EXPECT_EQ(SettingsFolder, program->path() + u'/');
        EXPECT_EQ(form->CalculateUnionofLists1->isChecked(), c.calculateUnion);
        EXPECT_EQ(form->CaseSensitive1->isChecked(), c.caseSensitive);
        EXPECT_EQ(form->IgnoreWhitespace1->isChecked(), c.ignoreWhitespace);
        EXPECT_EQ(form->SortWhenLoading1->isChecked(), c.sortWhenLoading);
        EXPECT_EQ(form->IgnoreAccents1->isChecked(), c.ignoreAccents);
        EXPECT_EQ(form->IgnorePunctuation1->isChecked(), c.ignorePunctuation);
        EXPECT_EQ(form->findChild<QLabel *>(u"MatchingLabel"_s)->text(), QString::fromLatin1(c.matching));
        form.reset();
    }
    // The last file was not UTF-8; it is gone without a word.
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(OptionsTest, EachToggleFlipsItsMarkWritesTheFileAndTheLoadingOnesEmptyTheLists)
{
    struct Case
    {
        QAction *TAppForm::*item;
        void (TAppForm::*handler)();
        const char *key;
        bool initially;
        bool emptiesLists;
    };
    const Case cases[] = {
        {&TAppForm::CalculateUnionofLists1, &TAppForm::CalculateUnionofLists1Click, "CalculateUnionOfLists",
         false, false},
        {&TAppForm::CaseSensitive1, &TAppForm::CaseSensitive1Click, "CaseSensitive", false, false},
        {&TAppForm::IgnoreAccents1, &TAppForm::IgnoreAccents1Click, "IgnoreAccents", false, false},
        {&TAppForm::IgnorePunctuation1, &TAppForm::IgnorePunctuation1Click, "IgnorePunctuation", false,
         false},
        {&TAppForm::IgnoreWhitespace1, &TAppForm::IgnoreWhitespace1Click, "IgnoreWhitespace", false, true},
        {&TAppForm::SortWhenLoading1, &TAppForm::SortWhenLoading1Click, "SortWhenLoading", true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        program = std::make_unique<testsupport::TempDir>();
        overrideProgramFolder(program->path());
        start();
        QAction *item = (*form).*c.item;

        fillBothLists();
        pick(item);
        EXPECT_EQ(item->isChecked(), !c.initially);
        const QByteArray first = c.initially ? "OFF" : "ON";
        EXPECT_EQ(readAll(settingsFile()),
                  "\xEF\xBB\xBF[Settings]\r\n" + QByteArray(c.key) + '=' + first + "\r\n\r\n");
        EXPECT_EQ(c.emptiesLists ? listsEmptied() : listsKept(), true);

        // The handler itself flips the mark back.
        fillBothLists();
        ((*form).*c.handler)();
        EXPECT_EQ(item->isChecked(), c.initially);
        const QByteArray second = c.initially ? "ON" : "OFF";
        EXPECT_EQ(readAll(settingsFile()),
                  "\xEF\xBB\xBF[Settings]\r\n" + QByteArray(c.key) + '=' + second + "\r\n\r\n");
        form.reset();
    }
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(OptionsTest, TogglesKeepOtherKeysInTheirOrder)
{
    testsupport::writeAll(settingsFile(), "[Window]\r\nLeft=3\r\n\r\n[Settings]\r\nFuture=1\r\n\r\n");
    start();
    pick(form->CaseSensitive1);
    pick(form->SortWhenLoading1);
    EXPECT_EQ(readAll(settingsFile()),
              "\xEF\xBB\xBF[Window]\r\nLeft=3\r\n\r\n"
              "[Settings]\r\nFuture=1\r\nCaseSensitive=ON\r\nSortWhenLoading=OFF\r\n\r\n");
}

TEST_F(OptionsTest, AFailedWriteIsReportedTheNewMarkStaysAndTheListsAreKept)
{
    start();
    const QString file = QDir::toNativeSeparators(settingsFile());
    program.reset(); // the folder is gone: nothing can be written there
    fillBothLists();
    pick(form->IgnoreWhitespace1);
    ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
    EXPECT_TRUE(dialogs.errorBoxes[0].text.contains(file)) << dialogs.errorBoxes[0].text.toStdString();
    EXPECT_TRUE(form->IgnoreWhitespace1->isChecked());
    EXPECT_TRUE(listsKept());
}

// A settings.ini that cannot be read (a read error even for root) is said
// once at start-up; the toggles then neither write nor report it again.
TEST_F(OptionsTest, AnUnreadableFileIsReportedOnceAndNeverWritten)
{
    ASSERT_TRUE(QFile::link(u"/proc/self/mem"_s, settingsFile()));
    start();
    ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
    EXPECT_TRUE(dialogs.errorBoxes[0].text.contains(QDir::toNativeSeparators(settingsFile())))
        << dialogs.errorBoxes[0].text.toStdString();
    pick(form->CaseSensitive1);
    pick(form->CalculateUnionofLists1);
    EXPECT_TRUE(form->CaseSensitive1->isChecked());
    EXPECT_EQ(dialogs.errorBoxes.size(), 1u);
    EXPECT_EQ(QFileInfo(settingsFile()).symLinkTarget(), u"/proc/self/mem"_s);
}

TEST_F(OptionsTest, ResetToDefaultsAnsweredNoChangesNothing)
{
    start();
    pick(form->CaseSensitive1);
    const QByteArray before = readAll(settingsFile());
    dialogs.answerMessage(QMessageBox::No);
    pick(form->ResettoDefaults1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const FakeDialogs::Message &asked = dialogs.messages[0];
    EXPECT_EQ(asked.text, u"Restart Application?"_s);
    EXPECT_EQ(asked.title, u"Confirmation"_s);
    EXPECT_EQ(asked.icon, QMessageBox::Question);
    EXPECT_EQ(asked.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(asked.captions, (QStringList {u"Yes"_s, u"No"_s}));
    EXPECT_EQ(readAll(settingsFile()), before);
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_FALSE(launcher.terminated);
}

TEST_F(OptionsTest, ResetToDefaultsAnsweredYesDeletesTheFileAndStartsAFreshInstance)
{
    start();
    pick(form->CaseSensitive1);
    pick(form->IgnoreAccents1);
    pick(form->SortWhenLoading1);
    dialogs.answerMessage(QMessageBox::Yes);
    pick(form->ResettoDefaults1);
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].program, QCoreApplication::applicationFilePath());
    EXPECT_TRUE(launcher.started[0].arguments.isEmpty());
    EXPECT_TRUE(launcher.terminated);

    // What the new instance finds.
    form.reset();
    start();
    EXPECT_FALSE(form->CaseSensitive1->isChecked());
    EXPECT_FALSE(form->IgnoreAccents1->isChecked());
    EXPECT_TRUE(form->SortWhenLoading1->isChecked());
    EXPECT_TRUE(form->List1.isEmpty());
}

TEST_F(OptionsTest, TheConfirmationSpeaksTheLoadedLanguage)
{
    QDir().mkpath(program->file(u"Languages"_s));
    testsupport::writeAll(program->file(u"Languages/LanguageCodes.csv"_s), "1031,German.lang.txt\r\n");
    testsupport::writeAll(
        program->file(u"Languages/German.lang.txt"_s),
        "{Restart Application?}Neu starten?\r\n{Yes}Ja\r\n{No}Nein\r\n{Confirmation}Bestätigung\r\n");
    qputenv("LC_ALL", "de_DE.UTF-8");
    start();
    qunsetenv("LC_ALL");
    EXPECT_EQ(CurrentLanguageName, u"German"_s);
    dialogs.answerMessage(QMessageBox::No);
    pick(form->ResettoDefaults1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, u"Neu starten?"_s);
    EXPECT_EQ(dialogs.messages[0].title, u"Bestätigung"_s);
    EXPECT_EQ(dialogs.messages[0].captions, (QStringList {u"Ja"_s, u"Nein"_s}));
}

TEST_F(OptionsTest, AnUnreadableLanguageFileIsReportedAndStartUpGoesOn)
{
    QDir().mkpath(program->file(u"Languages"_s));
    testsupport::writeAll(program->file(u"Languages/LanguageCodes.csv"_s), "1033,English.lang.txt\r\n");
    testsupport::writeAll(program->file(u"Languages/English.lang.txt"_s), "{OK}\xFF\r\n");
    qputenv("LC_ALL", "en_US.UTF-8");
    start();
    qunsetenv("LC_ALL");
    ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
    EXPECT_TRUE(dialogs.errorBoxes[0].text.contains(u"English.lang.txt"_s));
    EXPECT_EQ(TranslateText(u"OK"_s), u"OK"_s);
    EXPECT_TRUE(form->SortWhenLoading1->isChecked());
}

// What the window shows of the last run, read from its settings.ini.
WindowState storedWindowState(const QString &file)
{
    IniStore store;
    store.open(file);
    return readWindowState(store);
}

// List #1's share of the two lists' width, in thousandths.
int splitOf(const TAppForm &form)
{
    const int groups = form.Splitter1->width() - form.Splitter1->handleWidth();
    return groups > 0 ? form.Panel1->width() * 1000 / groups : 0;
}

TEST_F(OptionsTest, TheNextRunStartsWhereThisOneEndedUntilResetToDefaults)
{
    const testsupport::TempDir lists;
    const QString file = lists.write(u"list.txt"_s, "a\n");
    start();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QRect defaultGeometry = form->geometry();
    form->hide();
    const QRect placed(60, 50, 600, 480);
    form->setGeometry(placed);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->geometry() == placed && splitOf(*form) >= 498; }));
    // The user drags the splitter 90 pixels to the right.
    QSplitterHandle *handle = form->Splitter1->handle(1);
    const QPoint grip(1, handle->height() / 2);
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip + QPoint(90, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(90, 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return splitOf(*form) > 600; })) << splitOf(*form);
    const int split = splitOf(*form);
    // A resize keeps the share.
    form->resize(700, 480);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->width() == 700; }));
    EXPECT_NEAR(splitOf(*form), split, 3);
    form->resize(600, 480);
    // A file chosen in the open dialog gives its folder and the encoding.
    dialogs.answerOpen(file, 2);
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->List1.count() == 1; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->geometry() == placed; }));
    form->close();

    const WindowState stored = storedWindowState(settingsFile());
    EXPECT_EQ(stored.geometry, placed);
    EXPECT_FALSE(stored.maximized);
    ASSERT_TRUE(stored.split);
    EXPECT_NEAR(*stored.split, split, 3);
    EXPECT_EQ(stored.openFolder, lists.path());
    EXPECT_EQ(stored.openEncoding, u"Unicode"_s);

    form.reset();
    start();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(form->geometry(), placed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(splitOf(*form) - split) <= 3; })) << splitOf(*form);
    EXPECT_EQ(form->OpenTextFileDialog1->directory().absolutePath(), lists.path());
    EXPECT_EQ(form->OpenTextFileDialog1->encodingIndex(), 2);

    // Reset to Defaults forgets all of it.
    dialogs.answerMessage(QMessageBox::Yes);
    pick(form->ResettoDefaults1);
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));
    form.reset();
    start();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(form->geometry(), defaultGeometry);
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(splitOf(*form) - 500) <= 3; })) << splitOf(*form);
    EXPECT_EQ(form->OpenTextFileDialog1->encodingIndex(), DefaultEncodingIndex);
    // A folder the dialog came to by itself is not kept.
    form->close();
    EXPECT_EQ(storedWindowState(settingsFile()).openFolder, std::nullopt);
    EXPECT_TRUE(dialogs.errorBoxes.empty());
}

TEST_F(OptionsTest, APlaceOffEveryScreenIsNotUsed)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case
    {
        const char *name;
        QByteArray window;
        QRect expected; // centred on the screen unless it was on it
        bool maximized = false;
    };
    const Case cases[] = {
        {"on the screen", "Left=20\r\nTop=30\r\nWidth=500\r\nHeight=400\r\n", QRect(20, 30, 500, 400)},
        {"beyond its right and lower edges", "Left=5000\r\nTop=5000\r\nWidth=500\r\nHeight=400\r\n",
         QRect(QPoint(), QSize(500, 400))},
        {"above the screen", "Left=20\r\nTop=-300\r\nWidth=500\r\nHeight=400\r\n",
         QRect(QPoint(), QSize(500, 400))},
        {"larger than the screen, off it",
         "Left=-9000\r\nTop=20\r\nWidth=" + QByteArray::number(screen.width() + 400)
             + "\r\nHeight=" + QByteArray::number(screen.height() + 300) + "\r\n",
         QRect(QPoint(), screen.size())},
        {"maximized", "Left=20\r\nTop=30\r\nWidth=500\r\nHeight=400\r\nMaximized=ON\r\n",
         QRect(20, 30, 500, 400), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::writeAll(settingsFile(), "[Window]\r\n" + c.window);
        start();
        QRect expected = c.expected;
        if (expected.topLeft() == QPoint())
            expected.moveCenter(screen.center());
        if (c.maximized) {
            EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
            EXPECT_EQ(form->normalGeometry(), expected);
        } else {
            EXPECT_EQ(form->geometry(), expected);
        }
        form.reset();
    }
}

} // namespace
