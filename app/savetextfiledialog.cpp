#include "app/savetextfiledialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

SaveTextFileDialog::SaveTextFileDialog(QWidget *parent, const QStringList &encodings)
    : QFileDialog(parent)
{
    // A native dialog could not carry the encoding selector.
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setNameFilters({QStringLiteral("Text File (*.txt)"), QStringLiteral("Any File (*)")});
    setDefaultSuffix(QStringLiteral("txt"));
    setSizeGripEnabled(true);
    if (encodings.isEmpty())
        return;

    auto *label = new QLabel(QStringLiteral("Encoding:"), this);
    label->setObjectName(QStringLiteral("EncodingLabel"));
    m_encoding = new QComboBox(this);
    m_encoding->setObjectName(QStringLiteral("EncodingComboBox"));
    m_encoding->addItems(encodings);
    label->setBuddy(m_encoding);
    if (auto *grid = qobject_cast<QGridLayout *>(layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(m_encoding, row, 1);
    }
}

void SaveTextFileDialog::remember(const QString &fileName)
{
    selectFile(fileName);
}
