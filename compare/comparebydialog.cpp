#include "compare/comparebydialog.h"

#include "platform/languagetable.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The delimiters offered by name, in the order of the box; "Other" follows.
constexpr char16_t Delimiters[] = {u'\t', u',', u';', u'|', u' '};
constexpr int OtherDelimiter = int(std::size(Delimiters));

} // namespace

CompareByDialog::CompareByDialog(const KeyChoice &choice, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CompareByDialog"));
    setWindowTitle(TranslateText(QStringLiteral("Compare By")));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    wholeLine = new QRadioButton(TranslateText(QStringLiteral("Whole line")), this);
    byField = new QRadioButton(TranslateText(QStringLiteral("Field")), this);
    byPattern = new QRadioButton(TranslateText(QStringLiteral("Pattern")), this);
    auto *modes = new QButtonGroup(this);
    for (QRadioButton *mode : {wholeLine, byField, byPattern})
        modes->addButton(mode);

    fieldNumber = new QSpinBox(this);
    fieldNumber->setRange(1, 9999);
    fieldNumber->setPrefix(TranslateText(QStringLiteral("Number ")));
    delimiter = new QComboBox(this);
    for (const char16_t character : Delimiters)
        delimiter->addItem(delimiterCaption(QChar(character)));
    delimiter->addItem(TranslateText(QStringLiteral("Other:")));
    otherDelimiter = new QLineEdit(this);
    otherDelimiter->setMaxLength(1);
    otherDelimiter->setMaximumWidth(40);
    quoted = new QCheckBox(TranslateText(QStringLiteral("Quoted fields (CSV)")), this);
    auto *fieldRow = new QHBoxLayout;
    fieldRow->addWidget(fieldNumber);
    fieldRow->addWidget(new QLabel(TranslateText(QStringLiteral("split at")), this));
    fieldRow->addWidget(delimiter);
    fieldRow->addWidget(otherDelimiter);
    fieldRow->addStretch(1);

    pattern = new QLineEdit(this);
    pattern->setPlaceholderText(
        TranslateText(QStringLiteral("a regular expression; its first group is the key")));
    header = new QCheckBox(TranslateText(QStringLiteral("First line is a header")), this);
    problem = new QLabel(this);
    problem->setWordWrap(true);
    problem->setStyleSheet(QStringLiteral("color: #b00000"));
    problem->hide();

    layout->addWidget(wholeLine);
    layout->addWidget(byField);
    auto *fieldBox = new QVBoxLayout;
    fieldBox->setContentsMargins(24, 0, 0, 0);
    fieldBox->addLayout(fieldRow);
    fieldBox->addWidget(quoted);
    layout->addLayout(fieldBox);
    layout->addWidget(byPattern);
    auto *patternBox = new QVBoxLayout;
    patternBox->setContentsMargins(24, 0, 0, 0);
    patternBox->addWidget(pattern);
    layout->addLayout(patternBox);
    layout->addSpacing(6);
    layout->addWidget(header);
    layout->addWidget(problem);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CompareByDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CompareByDialog::reject);

    switch (choice.mode) {
    case LineKey::Mode::WholeLine:
        wholeLine->setChecked(true);
        break;
    case LineKey::Mode::Field:
        byField->setChecked(true);
        break;
    case LineKey::Mode::Pattern:
        byPattern->setChecked(true);
        break;
    }
    fieldNumber->setValue(choice.field);
    const auto named = std::find(std::begin(Delimiters), std::end(Delimiters), choice.delimiter.unicode());
    if (named != std::end(Delimiters)) {
        delimiter->setCurrentIndex(int(named - std::begin(Delimiters)));
    } else {
        delimiter->setCurrentIndex(OtherDelimiter);
        otherDelimiter->setText(QString(choice.delimiter));
    }
    quoted->setChecked(choice.quoted);
    pattern->setText(choice.pattern);
    header->setChecked(choice.header);

    for (QRadioButton *mode : {wholeLine, byField, byPattern})
        connect(mode, &QRadioButton::toggled, this, &CompareByDialog::enableControls);
    connect(delimiter, &QComboBox::currentIndexChanged, this, &CompareByDialog::enableControls);
    enableControls();
}

void CompareByDialog::enableControls()
{
    const bool field = byField->isChecked();
    fieldNumber->setEnabled(field);
    delimiter->setEnabled(field);
    otherDelimiter->setEnabled(field && delimiter->currentIndex() == OtherDelimiter);
    quoted->setEnabled(field);
    pattern->setEnabled(byPattern->isChecked());
}

KeyChoice CompareByDialog::choice() const
{
    KeyChoice choice;
    choice.mode = byField->isChecked() ? LineKey::Mode::Field
        : byPattern->isChecked()       ? LineKey::Mode::Pattern
                                       : LineKey::Mode::WholeLine;
    choice.field = fieldNumber->value();
    const int index = delimiter->currentIndex();
    if (index >= 0 && index < OtherDelimiter)
        choice.delimiter = QChar(Delimiters[index]);
    else if (!otherDelimiter->text().isEmpty())
        choice.delimiter = otherDelimiter->text()[0];
    choice.quoted = quoted->isChecked();
    choice.pattern = pattern->text();
    choice.header = header->isChecked();
    return choice;
}

void CompareByDialog::accept()
{
    const KeyChoice chosen = choice();
    QString refusal;
    if (chosen.mode == LineKey::Mode::Field && delimiter->currentIndex() == OtherDelimiter) {
        if (!delimiterFromName(otherDelimiter->text()))
            refusal = TranslateText(QStringLiteral("Type the character that separates the fields."));
    } else if (chosen.mode == LineKey::Mode::Pattern && chosen.pattern.isEmpty()) {
        refusal = TranslateText(QStringLiteral("Type the pattern that finds the key in a line."));
    } else if (chosen.mode == LineKey::Mode::Pattern) {
        try {
            LineKey::pattern(chosen.pattern);
        } catch (const PatternError &error) {
            refusal = error.message();
        }
    }
    if (!refusal.isEmpty()) {
        problem->setText(refusal);
        problem->show();
        return;
    }
    QDialog::accept();
}
