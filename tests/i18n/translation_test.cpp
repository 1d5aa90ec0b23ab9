#include "i18n/translation.h"

#include "i18n/language.h"
#include "i18n/languagechoice.h"
#include "platform/buildinfo.h"
#include "platform/fakelauncher.h"
#include "testsupport.h"
#include "widgets/artwork.h"
#include "widgets/fakedialogs.h"
#include "widgets/linklabel.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

using testsupport::TempDir;

class TranslateFormTest : public ::testing::Test
{
protected:
    void SetUp() override { settingsFolder = settings.path() + u'/'; }
    void TearDown() override
    {
        form.reset();
        resetLanguageState();
    }

    // A program folder whose "Languages" holds German (loaded), French
    // without a credit entry, a language with no flag and an unreadable file.
    void startWithGermanLoaded()
    {
        const QString languages = program.file(u"Languages"_s);
        QDir().mkpath(languages);
        testsupport::writeAll(languages + u"/German.lang.txt"_s,
                              "{INFO:Translated By} Anna Schmidt, Jonas Weber,,Lea ,\n"
                              "{Language}Sprache\n{Translated by:}\xC3\x9C"
                              "bersetzt von:\n"
                              "{Restart Application?}Anwendung neu starten?\n{Yes}Ja\n{No}Nein\n"
                              "{Confirmation}Best\xC3\xA4tigung\n");
        testsupport::writeAll(languages + u"/French.lang.txt"_s, "{Yes}Oui\n");
        testsupport::writeAll(languages + u"/klingon.lang.txt"_s, "{INFO:Translated By}Worf\n");
        testsupport::writeAll(languages + u"/Broken.lang.txt"_s, "{INFO:Translated By}\xFF\n");
        loadLanguageFrom(program.path(), u"German.lang.txt"_s, 1031);
        ASSERT_EQ(CurrentLanguageName, u"German"_s);
        start();
    }
    void start()
    {
        form = std::make_unique<TTranslateForm>([this](const QString &file) { chosenFiles << file; },
                                                settingsFolder);
    }

    QStringList items() const
    {
        QStringList texts;
        for (int i = 0; i < form->ComboBox1->count(); ++i)
            texts << form->ComboBox1->itemText(i);
        return texts;
    }
    void select(const QString &name) const
    {
        const int index = form->ComboBox1->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        ASSERT_GE(index, 0) << name.toStdString();
        form->ComboBox1->setCurrentIndex(index);
    }
    void clickOk() const
    {
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    FakeDialogs dialogs;
    FakeLauncher launcher;
    TempDir program;
    TempDir settings;
    QStringList chosenFiles;
    // Where the form writes the restart script.
    QString settingsFolder;
    std::unique_ptr<TTranslateForm> form;
};

TEST_F(TranslateFormTest, WithoutLanguageFilesOnlyEnglishIsListed)
{
    start();
    EXPECT_EQ(form->windowTitle(), u"Language"_s);
    EXPECT_EQ(form->Label1->text(), u"User Interface Language:"_s);
    EXPECT_EQ(form->Label2->text(), u"Translated by:"_s);
    EXPECT_EQ(form->Button1->text(), u"OK"_s);
    EXPECT_EQ(form->Label3->text(), u"Contribute to Translation"_s);
    EXPECT_EQ(form->Copy1->text(), u"Copy"_s);
    EXPECT_EQ(form->SelectAll1->text(), u"Select All"_s);
    EXPECT_EQ(items(), QStringList {u"English"_s});
    EXPECT_EQ(form->ComboBox1->currentText(), u"English"_s);
    EXPECT_EQ(form->RichEdit1->toPlainText(), u"Tandrel"_s);
    EXPECT_TRUE(form->RichEdit1->isReadOnly());
    EXPECT_EQ(InitialLanguage, u"English"_s);
    EXPECT_EQ(form->size(), QSize(622, 227));
}

TEST_F(TranslateFormTest, TheCurrentLanguageIsSelectedWithItsCredits)
{
    startWithGermanLoaded();
    EXPECT_EQ(items(), (QStringList {u"Broken"_s, u"English"_s, u"French"_s, u"German"_s, u"klingon"_s}));
    EXPECT_EQ(form->ComboBox1->currentText(), u"German"_s);
    EXPECT_EQ(InitialLanguage, u"German"_s);
    EXPECT_EQ(form->windowTitle(), u"Sprache"_s);
    EXPECT_EQ(form->Label2->text(), u"Übersetzt von:"_s);
    EXPECT_EQ(form->RichEdit1->toPlainText(), u"Anna Schmidt\nJonas Weber\n\nLea"_s);

    struct Case
    {
        QString language;
        QString credit;
    };
    const Case cases[] = {
        {u"French"_s, u"INFO:Translated By"_s}, // no entry
        {u"Broken"_s, u""_s}, // not UTF-8
        {u"klingon"_s, u"Worf"_s},
        {u"English"_s, u"Tandrel"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.language.toStdString());
        select(c.language);
        EXPECT_EQ(form->RichEdit1->toPlainText(), c.credit);
    }
}

TEST_F(TranslateFormTest, EachItemIsDrawnWithTheFlagOfItsName)
{
    startWithGermanLoaded();
    struct Case
    {
        QString language;
        QString flag;
    };
    const Case cases[] = {
        {u"German"_s, u"de"_s},
        {u"English"_s, u"english"_s},
        {u"klingon"_s, u"xx"_s},
        {u"Broken"_s, u"xx"_s},
    };
    QAbstractItemView *list = form->ComboBox1->view();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.language.toStdString());
        const int row = form->ComboBox1->findText(c.language);
        const QModelIndex index = form->ComboBox1->model()->index(row, 0);
        QStyleOptionViewItem option;
        option.initFrom(list);
        option.rect = QRect(0, 0, 200, 18);
        option.font = form->ComboBox1->font();
        option.state &= ~QStyle::State_Selected;
        QImage drawn(200, 18, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::magenta);
        {
            QPainter painter(&drawn);
            form->ComboBox1->itemDelegate()->paint(&painter, option, index);
        }
        QImage expected(16, 16, QImage::Format_ARGB32_Premultiplied);
        expected.fill(option.palette.base().color());
        {
            QPainter painter(&expected);
            painter.drawPixmap(0, 0, artworkPixmap(c.flag, QSize(16, 16), 1.0));
        }
        EXPECT_EQ(drawn.copy(0, 0, 16, 16), expected);
        EXPECT_EQ(form->ComboBox1->itemDelegate()->sizeHint(option, index).height(), 18);
    }
}

TEST_F(TranslateFormTest, OkWithoutAChangeJustCloses)
{
    startWithGermanLoaded();
    form->show();
    clickOk();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(chosenFiles.isEmpty());
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_FALSE(launcher.terminated);
}

TEST_F(TranslateFormTest, NoKeepsTheWindowOpen)
{
    startWithGermanLoaded();
    form->show();
    select(u"French"_s);
    dialogs.answerMessage(QMessageBox::No);
    clickOk();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const FakeDialogs::Message &asked = dialogs.messages[0];
    EXPECT_EQ(asked.text, u"Anwendung neu starten?"_s);
    EXPECT_EQ(asked.title, u"Bestätigung"_s);
    EXPECT_EQ(asked.icon, QMessageBox::Question);
    EXPECT_EQ(asked.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(asked.captions, (QStringList {u"Ja"_s, u"Nein"_s}));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->ComboBox1->currentText(), u"French"_s);
    EXPECT_TRUE(chosenFiles.isEmpty());
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_FALSE(launcher.terminated);
    EXPECT_FALSE(QFile::exists(settingsFolder + u"start.sh"_s));
}

TEST_F(TranslateFormTest, YesRestartsThroughTheScript)
{
    startWithGermanLoaded();
    form->show();
    select(u"English"_s);
    dialogs.answerMessage(QMessageBox::Yes);
    clickOk();
    EXPECT_EQ(chosenFiles, QStringList {u"English.lang.txt"_s});
    const QString script = settingsFolder + u"start.sh"_s;
    const QString executable = QCoreApplication::applicationFilePath();
    QByteArray quoted = QFile::encodeName(executable);
    quoted.replace("'", "'\\''");
    EXPECT_EQ(testsupport::readAll(script),
              "#!/bin/sh\n"
              "echo 'This file was created automatically to restart the program.'\n"
              "echo 'It is safe to delete this file.'\n"
              "sleep 1\n'"
                  + quoted + "'\n");
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].program, u"/bin/sh"_s);
    EXPECT_EQ(launcher.started[0].arguments, QStringList {script});
    EXPECT_TRUE(launcher.terminated);
}

TEST_F(TranslateFormTest, AScriptThatCannotBeWrittenIsReportedAndTheProgramGoesOn)
{
    settingsFolder = settings.file(u"gone"_s); // no such folder, no separator
    startWithGermanLoaded();
    form->show();
    select(u"French"_s);
    dialogs.answerMessage(QMessageBox::Yes);
    clickOk();
    ASSERT_EQ(dialogs.errorBoxes.size(), 1u);
    EXPECT_TRUE(dialogs.errorBoxes[0].text.contains(settings.file(u"gone/start.sh"_s)))
        << dialogs.errorBoxes[0].text.toStdString();
    EXPECT_EQ(chosenFiles, QStringList {u"French.lang.txt"_s});
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_FALSE(launcher.terminated);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(TranslateFormTest, EscapeClosesTheWindow)
{
    start();
    for (QWidget *control :
         std::initializer_list<QWidget *> {form->ComboBox1, form->Button1, form->RichEdit1}) {
        SCOPED_TRACE(control->objectName().toStdString());
        form->show();
        ASSERT_TRUE(form->isVisible());
        QTest::keyClick(control, Qt::Key_Escape);
        EXPECT_FALSE(form->isVisible());
    }
}

TEST_F(TranslateFormTest, CopyAndSelectAllWorkOnTheCredits)
{
    startWithGermanLoaded();
    QGuiApplication::clipboard()->clear();
    form->SelectAll1->trigger();
    form->Copy1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"Anna Schmidt\nJonas Weber\n\nLea"_s);
}

TEST_F(TranslateFormTest, TheLinkOpensTheTranslationPage)
{
    start();
    const QUrl page(u"https://"_s + QStringLiteral(PAIRSIGHT_WEBSITE_HOST) + u"/translation/"_s);
    EXPECT_EQ(form->Label3->toolTip(), page.toString());
    QTest::mouseClick(form->Label3, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.openedUrls, QList<QUrl> {page});
}

} // namespace
