#include "widgets/textfiledialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

QComboBox *setUpTextFileDialog(QFileDialog &dialog, const QStringList &encodings, const QString &textFiles)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters({textFiles + QStringLiteral(" (*.txt)"), QStringLiteral("Any File (*)")});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (encodings.isEmpty())
        return nullptr;

    auto *label = new QLabel(QStringLiteral("Encoding:"), &dialog);
    label->setObjectName(QStringLiteral("EncodingLabel"));
    auto *encoding = new QComboBox(&dialog);
    encoding->setObjectName(QStringLiteral("EncodingComboBox"));
    encoding->addItems(encodings);
    label->setBuddy(encoding);
    // Qt's own dialog lays its rows out in a grid: file name, then file type.
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(encoding, row, 1);
    }
    return encoding;
}
