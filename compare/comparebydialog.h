#pragma once

#include "lists/linekey.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

// Settings > "Compare By...": the whole line, a field or a pattern, and the
// header. OK takes the choice only when it makes a key: an invalid pattern
// is refused with PCRE2's message and position, and the dialog stays.
class CompareByDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CompareByDialog(const KeyChoice &choice, QWidget *parent = nullptr);

    // What the controls say now.
    KeyChoice choice() const;
    void accept() override;

    QRadioButton *wholeLine;
    QRadioButton *byField;
    QRadioButton *byPattern;
    QSpinBox *fieldNumber;
    QComboBox *delimiter;
    QLineEdit *otherDelimiter;
    QCheckBox *quoted;
    QLineEdit *pattern;
    QCheckBox *header;
    QLabel *problem;

private:
    void enableControls();
};
