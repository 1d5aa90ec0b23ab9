#include "compare/comparebydialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

TEST(CompareByDialog, ShowsTheChoiceAndGivesBackWhatIsSet)
{
    KeyChoice start;
    start.mode = LineKey::Mode::Field;
    start.field = 4;
    start.delimiter = u'#';
    start.header = true;
    CompareByDialog dialog(start);
    EXPECT_TRUE(dialog.byField->isChecked());
    EXPECT_EQ(dialog.fieldNumber->value(), 4);
    EXPECT_EQ(dialog.delimiter->currentText(), u"Other:"_s);
    EXPECT_EQ(dialog.otherDelimiter->text(), u"#"_s);
    EXPECT_TRUE(dialog.otherDelimiter->isEnabled());
    EXPECT_FALSE(dialog.pattern->isEnabled());
    EXPECT_EQ(dialog.choice(), start);

    dialog.delimiter->setCurrentIndex(0);
    EXPECT_FALSE(dialog.otherDelimiter->isEnabled());
    dialog.quoted->setChecked(true);
    dialog.fieldNumber->setValue(2);
    KeyChoice expected = start;
    expected.field = 2;
    expected.delimiter = u'\t';
    expected.quoted = true;
    EXPECT_EQ(dialog.choice(), expected);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(CompareByDialog, AnInvalidPatternIsRefusedAndTheDialogStays)
{
    CompareByDialog dialog({});
    EXPECT_TRUE(dialog.wholeLine->isChecked());
    dialog.show();
    dialog.byPattern->setChecked(true);
    EXPECT_TRUE(dialog.pattern->isEnabled());
    EXPECT_FALSE(dialog.fieldNumber->isEnabled());
    for (const QString &bad : {u""_s, u"id=(\\d+"_s}) {
        dialog.pattern->setText(bad);
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.problem->isVisible());
    }
    EXPECT_TRUE(dialog.problem->text().contains(u"position 8"_s)) << dialog.problem->text().toStdString();
    dialog.pattern->setText(u"id=(\\d+)"_s);
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.choice().pattern, u"id=(\\d+)"_s);
}

TEST(CompareByDialog, EscapeCancels)
{
    CompareByDialog dialog({});
    dialog.show();
    dialog.byField->setChecked(true);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

} // namespace
