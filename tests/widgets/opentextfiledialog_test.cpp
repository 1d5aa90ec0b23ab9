#include "widgets/opentextfiledialog.h"

#include "lists/textencoding.h"

#include <QComboBox>
#include <QLabel>
#include <QLayout>

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

} // namespace
