#include "app/opentextfiledialog.h"

#include "lists/textencoding.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

OpenTextFileDialog::OpenTextFileDialog(QWidget *parent)
    : QFileDialog(parent)
{
    // A native dialog could not carry the encoding selector.
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    setNameFilters({QStringLiteral("Text File (*.txt)"), QStringLiteral("Any File (*)")});
    setDefaultSuffix(QStringLiteral("txt"));

    m_encodingLabel = new QLabel(QStringLiteral("Encoding:"), this);
    m_encodingLabel->setObjectName(QStringLiteral("EncodingLabel"));
    m_encoding = new QComboBox(this);
    m_encoding->setObjectName(QStringLiteral("EncodingComboBox"));
    m_encoding->addItems(encodingNames());
    m_encoding->setCurrentIndex(DefaultEncodingIndex);
    m_encodingLabel->setBuddy(m_encoding);

    // Qt's own dialog lays its rows out in a grid: file name, then file type.
    if (auto *grid = qobject_cast<QGridLayout *>(layout())) {
        const int row = grid->rowCount();
        grid->addWidget(m_encodingLabel, row, 0);
        grid->addWidget(m_encoding, row, 1);
    }
}

int OpenTextFileDialog::encodingIndex() const
{
    return m_encoding->currentIndex();
}

void OpenTextFileDialog::setEncodingIndex(int index)
{
    m_encoding->setCurrentIndex(index);
}
