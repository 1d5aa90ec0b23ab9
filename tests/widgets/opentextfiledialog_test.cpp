#include "widgets/opentextfiledialog.h"

#include "lists/textencoding.h"

#include "testsupport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QFileSystemModel>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(OpenTextFileDialogTest, Configuration)
{
    OpenTextFileDialog dialog;
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog.nameFilters(),
              QStringList({QStringLiteral("Text File (*.txt)"), QStringLiteral("Any File (*)")}));
    EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("Text File (*.txt)"));
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("txt"));

    auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("EncodingComboBox"));
    auto *label = dialog.findChild<QLabel *>(QStringLiteral("EncodingLabel"));
    ASSERT_NE(combo, nullptr);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Encoding:"));
    EXPECT_EQ(label->buddy(), combo);
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    EXPECT_EQ(entries, encodingNames());
    EXPECT_EQ(combo->currentText(), QStringLiteral("UTF-8"));
    EXPECT_EQ(dialog.encodingIndex(), DefaultEncodingIndex);
    // The selector sits in the dialog's own layout, so it is shown with it.
    EXPECT_TRUE(dialog.layout() && dialog.layout()->indexOf(combo) >= 0);

    combo->setCurrentIndex(2);
    EXPECT_EQ(dialog.encodingIndex(), 2);
}

// The popup of the file-name field goes with the dialog, however it closes,
// and completes again when the dialog is back.
TEST(OpenTextFileDialogTest, TheCompletionPopupClosesWithTheDialog)
{
    const testsupport::TempDir dir;
    for (const char *name : {"alpha.txt", "alpine.txt", "beta.txt"})
        dir.write(QString::fromLatin1(name), "x\n");
    OpenTextFileDialog dialog;
    dialog.setDirectory(dir.path());
    auto *field = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    auto *model = dialog.findChild<QFileSystemModel *>();
    ASSERT_NE(field, nullptr);
    ASSERT_NE(model, nullptr);
    for (const int result : {QDialog::Rejected, QDialog::Accepted, QDialog::Rejected}) {
        SCOPED_TRACE(result);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        // The completer offers only what the model has read.
        ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(model->index(dir.path())) == 3; }));
        field->setFocus();
        field->clear();
        QTest::keyClicks(field, QStringLiteral("al"));
        QCompleter *completer = field->completer();
        ASSERT_NE(completer, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return completer->popup()->isVisible(); }));
        static_cast<QDialog &>(dialog).done(result);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(completer->popup()->isVisible());
        QTest::qWait(50);
        EXPECT_FALSE(completer->popup()->isVisible());
    }
}

} // namespace
