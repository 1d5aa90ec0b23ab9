#include "compare/comparebydialog.h"
#include "compare/comparerun.h"
#include "compare/comparesummary.h"
#include "compare/formcompare.h"
#include "i18n/language.h"
#include "lists/linelist.h"
#include "lists/textloader.h"
#include "testsupport.h"
#include "widgets/fakedialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using testsupport::listOf;

// The folder as it lies beside the built program.
const QString Shipped = QStringLiteral(PAIRSIGHT_SHIPPED_LANGUAGES);

void loadGerman()
{
    loadLanguageFrom(QFileInfo(Shipped).path(), u"German.lang.txt"_s, 1031);
}

// Every text a window shows, in the order its widgets were made, each with
// where it is shown; the buttons of a QDialogButtonBox are Qt's to translate.
QList<std::pair<QString, QString>> shownTexts(const QWidget &window)
{
    QList<std::pair<QString, QString>> texts;
    const auto add = [&](const QString &where, const QString &text) {
        if (!text.isEmpty())
            texts.append({where, text});
    };
    add(u"title"_s, window.windowTitle());
    for (const QObject *object : window.findChildren<QObject *>()) {
        // The save dialog is a window of its own, made by the main window's code.
        bool inFileDialog = false;
        for (const QObject *up = object; up && up != &window; up = up->parent())
            inFileDialog = inFileDialog || qobject_cast<const QFileDialog *>(up);
        if (inFileDialog)
            continue;
        const QString name
            = QString::fromLatin1(object->metaObject()->className()) + u' ' + object->objectName();
        if (const auto *tabs = qobject_cast<const QTabWidget *>(object)) {
            for (int i = 0; i < tabs->count(); ++i)
                add(name + u" tab", tabs->tabText(i));
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(object)) {
            if (!qobject_cast<const QDialogButtonBox *>(button->parent()))
                add(name, button->text());
        } else if (const auto *label = qobject_cast<const QLabel *>(object)) {
            add(name, label->text());
        } else if (const auto *action = qobject_cast<const QAction *>(object)) {
            add(name, action->text());
        } else if (const auto *edit = qobject_cast<const QLineEdit *>(object)) {
            add(name + u" placeholder", edit->placeholderText());
        } else if (const auto *box = qobject_cast<const QComboBox *>(object)) {
            for (int i = 0; i < box->count(); ++i)
                add(name + u" item", box->itemText(i));
        } else if (const auto *spin = qobject_cast<const QSpinBox *>(object)) {
            add(name + u" prefix", spin->prefix());
        } else if (const auto *view = qobject_cast<const QTreeView *>(object)) {
            add(name + u" accessible name", view->accessibleName());
            for (int column = 0; column < view->model()->columnCount(); ++column)
                add(name + u" column", view->model()->headerData(column, Qt::Horizontal).toString());
        }
    }
    return texts;
}

// Each text of the German window against the same widget's text in English:
// one with a letter in it must differ.
void expectAllGerman(const QList<std::pair<QString, QString>> &german,
                     const QList<std::pair<QString, QString>> &english)
{
    ASSERT_EQ(german.size(), english.size());
    for (qsizetype i = 0; i < german.size(); ++i) {
        const auto &[where, text] = german[i];
        ASSERT_EQ(where, english[i].first);
        const bool hasLetter = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
        if (hasLetter) {
            EXPECT_NE(text, english[i].second) << where.toStdString() << ": " << text.toStdString();
        }
    }
}

class GermanResultsTest : public ::testing::Test
{
protected:
    void TearDown() override { resetLanguageState(); }

    // A real comparison whose window has every tab and summary row.
    TCompareForm *compared()
    {
        CompareInput input {listOf({u"b"_s, u"A"_s, u"c"_s, u"c"_s}), listOf({u"a"_s, u"d"_s}), {}};
        input.options.calculateUnion = true;
        run.start([&] { return std::move(input); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return !run.running(); }, 10000));
        EXPECT_TRUE(dialogs.errorBoxes.empty());
        const QList<TCompareForm *> windows = owner.findChildren<TCompareForm *>();
        return windows.isEmpty() ? nullptr : windows.constLast();
    }

    FakeDialogs dialogs;
    QWidget owner;
    CompareRun run {&owner};
};

TEST_F(GermanResultsTest, TheResultsWindowIsGerman)
{
    const TCompareForm *english = compared();
    ASSERT_NE(english, nullptr);
    loadGerman();
    ASSERT_EQ(CurrentLanguageName, u"German"_s);
    TCompareForm *german = compared();
    ASSERT_NE(german, nullptr);
    ASSERT_NE(german, english);

    QStringList tabs;
    for (int i = 0; i < german->PageControl1->count(); ++i)
        tabs << german->PageControl1->tabText(i);
    EXPECT_EQ(tabs,
              (QStringList {u"Schnittmenge"_s, u"Nur #1"_s, u"Nur #2"_s, u"Nur in einer Liste"_s,
                            u"Vereinigung"_s, u"Anders geschrieben"_s}));
    EXPECT_EQ(german->windowTitle(), u"Vergleichsergebnisse"_s);
    EXPECT_EQ(german->Label2->text(), u"Gesamt: 3"_s);
    EXPECT_EQ(german->Button1->text(), u"Speichern..."_s);
    EXPECT_TRUE(german->summaryText().startsWith(u"Liste #1:"_s)) << german->summaryText().toStdString();
    expectAllGerman(shownTexts(*german), shownTexts(*english));

    // Save All into a folder that holds one of its files: the folder dialog
    // and the question are German, the file names as they are.
    const testsupport::TempDir folder;
    folder.write(u"union.txt"_s, "older");
    QString folderTitle;
    dialogs.answerDialog([&](QDialog &shown) {
        folderTitle = shown.windowTitle();
        dynamic_cast<QFileDialog &>(shown).setDirectory(folder.path());
        return int(QDialog::Accepted);
    });
    dialogs.answerMessage(QMessageBox::No);
    QTest::mouseClick(german->SaveAllButton, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.messages.empty(); }));
    EXPECT_EQ(folderTitle, u"Alle speichern"_s);
    EXPECT_EQ(dialogs.messages[0].title, u"Alle speichern"_s);
    EXPECT_EQ(dialogs.messages[0].text,
              u"Diese Dateien gibt es in \"%1\" bereits:\nunion.txt\n\nSollen sie ersetzt werden?"_s.arg(
                  QDir::toNativeSeparators(folder.path())));
}

TEST_F(GermanResultsTest, TheCompareByDialogIsGerman)
{
    KeyChoice choice;
    choice.mode = LineKey::Mode::Pattern;
    const CompareByDialog english(choice);
    loadGerman();
    CompareByDialog german(choice);
    EXPECT_EQ(german.windowTitle(), u"Vergleichen nach"_s);
    expectAllGerman(shownTexts(german), shownTexts(english));

    // A refusal, in German too.
    german.show();
    german.accept();
    EXPECT_TRUE(german.isVisible());
    EXPECT_EQ(german.problem->text(),
              u"Geben Sie das Muster ein, das den Schlüssel in einer Zeile findet."_s);
}

TEST_F(GermanResultsTest, LoadErrorsAreGermanAndKeepTheFileName)
{
    loadGerman();
    const testsupport::TempDir dir;
    const QString missing = dir.file(u"fehlt.txt"_s);
    const QString undecodable = dir.write(u"kaputt.txt"_s, "eins\r\nzwei\r\n\xFF\r\n");
    struct Case
    {
        const char *name;
        QString file;
        QString starts; // the message up to the system's reason
    };
    const Case cases[] = {
        {"missing file", missing,
         u"Die Datei \"%1\" kann nicht geöffnet werden. "_s.arg(QDir::toNativeSeparators(missing))},
        {"not UTF-8", undecodable,
         u"Für das Unicode-Zeichen ist keine Zuordnung in der Multibyte-Zielcodepage vorhanden.\n"
         u"Datei \"%1\", Zeile 3."_s.arg(QDir::toNativeSeparators(undecodable))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LineList list("de_DE");
        try {
            loadFileToList(c.file, TextEncoding::Utf8, {}, list);
            ADD_FAILURE() << "no error";
        } catch (const AppError &error) {
            EXPECT_TRUE(error.message().startsWith(c.starts)) << error.message().toStdString();
        }
    }
}

// The command line never loads a language; even with one loaded, the JSON
// summary, which programs read, stays as it is.
TEST_F(GermanResultsTest, TheJsonSummaryIsNeverTranslated)
{
    CompareProgress progress;
    const LineList list1 = listOf({u"a"_s, u"b"_s});
    const LineList list2 = listOf({u"b"_s});
    const CompareSummary summary = compareLists(list1, list2, {}, progress).summary;
    const QByteArray json = summaryJson(summary);
    const QString text = summaryText(summary, {});
    loadGerman();
    EXPECT_EQ(summaryJson(summary), json);
    EXPECT_NE(summaryText(summary, {}), text);
}

} // namespace
