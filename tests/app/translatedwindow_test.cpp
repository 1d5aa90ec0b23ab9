#include "app/appform.h"
#include "app/settings.h"
#include "i18n/language.h"
#include "i18n/qttranslations.h"
#include "i18n/translation.h"
#include "lists/listpane.h"
#include "platform/fakelauncher.h"
#include "platform/programfolder.h"
#include "testsupport.h"
#include "widgets/captionedmessagebox.h"
#include "widgets/fakedialogs.h"
#include "widgets/opentextfiledialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <set>

using namespace Qt::StringLiterals;

namespace {

// The texts the main window shows, by where they show: each menu, menu item
// and button, the buttons' tips and accessible names, the labels, the empty
// panes' hint and the status bar.
std::map<QString, QString> shownTexts(const TAppForm &form)
{
    std::map<QString, QString> texts;
    const auto add = [&](const QString &where, const QString &text) {
        if (!text.isEmpty())
            texts[where] = text;
    };
    for (const QMenu *menu : form.findChildren<QMenu *>()) {
        add(menu->objectName(), menu->title());
        for (const QAction *action : menu->actions()) {
            if (!action->isSeparator())
                add(action->objectName(), action->text());
        }
    }
    for (const QAbstractButton *button : form.findChildren<QAbstractButton *>()) {
        add(button->objectName(), button->text());
        add(button->objectName() + u" tip"_s, button->toolTip());
        add(button->objectName() + u" name"_s, button->accessibleName());
    }
    for (const QLabel *label : form.findChildren<QLabel *>())
        add(label->objectName(), label->text());
    add(u"MemoLeft name"_s, form.MemoLeft->accessibleName());
    add(u"MemoLeft hint"_s, form.MemoLeft->placeholderText());
    add(u"MemoRight hint"_s, form.MemoRight->placeholderText());
    return texts;
}

// The access keys of the visible items of a menu, or of the menu bar.
std::vector<QString> accessKeys(const QList<QAction *> &actions)
{
    std::vector<QString> keys;
    for (const QAction *action : actions) {
        if (!action->isSeparator() && action->isVisible())
            keys.push_back(QKeySequence::mnemonic(action->text()).toString());
    }
    return keys;
}

// Each test starts the window beside a program folder of its own that holds
// the shipped language files, in the display language it sets.
class TranslatedWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedFolder = programFolder();
        overrideProgramFolder(program.path());
        const QDir shipped(QStringLiteral(PAIRSIGHT_SHIPPED_LANGUAGES));
        QDir().mkpath(program.file(u"Languages"_s));
        for (const QString &name : shipped.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(shipped.filePath(name), program.file(u"Languages/"_s + name)));
    }
    void TearDown() override
    {
        form.reset();
        overrideProgramFolder(m_savedFolder);
        resetLanguageState();
        // Qt's texts in English again for the tests that follow.
        installQtTranslations(QString());
    }

    // A new window, as a new start in that display language would make it.
    void start(const QByteArray &locale)
    {
        form.reset();
        resetLanguageState();
        const testsupport::ScopedEnv lang("LANG", locale);
        const testsupport::ScopedEnv all("LC_ALL", {});
        const testsupport::ScopedEnv messages("LC_MESSAGES", {});
        const testsupport::ScopedEnv language("LANGUAGE", {});
        form = std::make_unique<TAppForm>();
    }
    QString settingsFile() const { return program.file(u"settings.ini"_s); }

    testsupport::TempDir program;
    FakeDialogs dialogs;
    FakeLauncher launcher;
    std::unique_ptr<TAppForm> form;

private:
    QString m_savedFolder;
};

TEST_F(TranslatedWindowTest, TheWholeMainWindowSpeaksTheDisplayLanguage)
{
    start("en_US.UTF-8");
    const std::map<QString, QString> english = shownTexts(*form);
    ASSERT_EQ(english.at(u"File1"_s), u"&File"_s);
    ASSERT_EQ(english.at(u"MatchingLabel"_s), u"Matching: ignore case"_s);

    struct Case
    {
        QByteArray locale;
        const char *language;
        // Texts that are the same word in that language.
        std::set<QString> same;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", "German", {}},
        {"tr_TR.UTF-8", "Turkish", {}},
        {"fr_FR.UTF-8", "French", {}},
        {"es_ES.UTF-8", "Spanish", {u"Total: 0"_s}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.language);
        start(c.locale);
        ASSERT_EQ(CurrentLanguageName, QString::fromLatin1(c.language));
        const std::map<QString, QString> shown = shownTexts(*form);
        for (const auto &[where, text] : english) {
            SCOPED_TRACE(where.toStdString());
            ASSERT_TRUE(shown.contains(where));
            if (!c.same.contains(text)) {
                EXPECT_NE(shown.at(where), text);
            }
        }
        // No two items of one menu share an access key in that language.
        std::vector<QList<QAction *>> menus {form->MainMenu1->actions()};
        for (const QMenu *menu : form->findChildren<QMenu *>())
            menus.push_back(menu->actions());
        for (const QList<QAction *> &menu : menus) {
            const std::vector<QString> keys = accessKeys(menu);
            EXPECT_EQ(std::set<QString>(keys.begin(), keys.end()).size(), keys.size())
                << QStringList(keys.begin(), keys.end()).join(u' ').toStdString();
        }
    }
}

TEST_F(TranslatedWindowTest, TheGermanWindowReadsAsGerman)
{
    start("de_DE.UTF-8");
    EXPECT_EQ(form->File1->title(), u"&Datei"_s);
    EXPECT_EQ(form->LoadList11->text(), u"Liste #&1 laden..."_s);
    EXPECT_EQ(form->Button1->text(), u"Laden..."_s);
    EXPECT_EQ(form->ButtonCompare->text(), u"VERGLEICHEN"_s);
    EXPECT_EQ(form->Label3->text(), u"Gesamt: 0"_s);
    EXPECT_EQ(form->findChild<QLabel *>(u"MatchingLabel"_s)->text(),
              u"Abgleich: ohne Groß-/Kleinschreibung"_s);
    // The start-up loaded the language before the window was built, so its
    // pane names come from the translated captions.
    EXPECT_EQ(form->MemoRight->accessibleName(), u"Liste #2"_s);
    // COMPARE turns into STOP while a comparison runs, and back.
    form->List1.append(u"a"_s);
    form->ButtonCompareClick();
    EXPECT_EQ(form->ButtonCompare->text(), u"STOPP"_s);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !form->comparing() && form->ButtonCompare->text() == u"VERGLEICHEN"_s; }, 10000));
}

TEST_F(TranslatedWindowTest, QtsOwnDialogTextsFollowTheLanguage)
{
    start("de_DE.UTF-8");
    const auto question = createMessageDlgWithCaptions(u"?"_s, QMessageBox::Question,
                                                       QMessageBox::Yes | QMessageBox::No, {}, u"t"_s);
    EXPECT_EQ(question->button(QMessageBox::Yes)->text(), u"&Ja"_s);
    EXPECT_EQ(question->button(QMessageBox::No)->text(), u"&Nein"_s);
    // The open dialog: Qt's buttons, and the program's own filter and encoding label.
    const auto *buttons = form->OpenTextFileDialog1->findChild<QDialogButtonBox *>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), u"Abbrechen"_s);
    EXPECT_EQ(form->OpenTextFileDialog1->nameFilters(),
              (QStringList {u"Textdatei (*.txt)"_s, u"Alle Dateien (*)"_s}));
    EXPECT_EQ(form->OpenTextFileDialog1->findChild<QLabel *>(u"EncodingLabel"_s)->text(), u"Kodierung:"_s);

    start("en_US.UTF-8");
    const auto english = createMessageDlgWithCaptions(u"?"_s, QMessageBox::Question,
                                                      QMessageBox::Yes | QMessageBox::No, {}, u"t"_s);
    EXPECT_EQ(english->button(QMessageBox::Yes)->text(), u"&Yes"_s);
}

TEST_F(TranslatedWindowTest, TheChosenLanguageIsUsedAtTheNextStartUntilResetToDefaults)
{
    start("en_US.UTF-8");
    ASSERT_TRUE(form->Language1->isVisible());
    // The chooser as a user works it: German, OK, Yes to the restart.
    dialogs.answerDialog([](QDialog &dialog) {
        auto &chooser = dynamic_cast<TTranslateForm &>(dialog);
        chooser.ComboBox1->setCurrentText(u"German"_s);
        chooser.Button1Click();
        return int(QDialog::Accepted);
    });
    dialogs.answerMessage(QMessageBox::Yes);
    form->Language1Click();
    EXPECT_TRUE(launcher.terminated);
    EXPECT_TRUE(testsupport::readAll(settingsFile()).contains("Language=German.lang.txt\r\n"));

    start("en_US.UTF-8");
    EXPECT_EQ(form->File1->title(), u"&Datei"_s);
    EXPECT_EQ(form->Settings1->title(), u"&Einstellungen"_s);

    dialogs.answerMessage(QMessageBox::Yes);
    form->ResettoDefaults1Click();
    EXPECT_FALSE(QFile::exists(settingsFile()));
    start("en_US.UTF-8");
    EXPECT_EQ(form->File1->title(), u"&File"_s);
}

TEST_F(TranslatedWindowTest, EnglishChosenOverridesTheDisplayLanguage)
{
    testsupport::writeAll(settingsFile(), "[Settings]\r\nLanguage=English.lang.txt\r\n");
    start("de_DE.UTF-8");
    EXPECT_EQ(form->File1->title(), u"&File"_s);
    EXPECT_TRUE(CurrentLanguageFile.isEmpty());
}

TEST_F(TranslatedWindowTest, AnUnreadableChosenFileIsReportedOnceThenForgotten)
{
    testsupport::writeAll(program.file(u"Languages/Broken.lang.txt"_s), "{&File}\xFF\r\n");
    testsupport::writeAll(settingsFile(), "[Settings]\r\nLanguage=Broken.lang.txt\r\n");
    start("de_DE.UTF-8");
    ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
    EXPECT_TRUE(dialogs.errorBoxes[0].text.contains(u"Broken.lang.txt"_s));
    // The display language takes over, now and at the next start, which says nothing.
    EXPECT_EQ(form->File1->title(), u"&Datei"_s);
    start("de_DE.UTF-8");
    EXPECT_EQ(dialogs.errorBoxes.size(), 1u);
    EXPECT_EQ(form->File1->title(), u"&Datei"_s);
}

} // namespace
