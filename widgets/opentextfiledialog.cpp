#include "widgets/opentextfiledialog.h"

#include "lists/textencoding.h"
#include "widgets/textfiledialog.h"

#include <QComboBox>

OpenTextFileDialog::OpenTextFileDialog(QWidget *parent)
    : QFileDialog(parent)
{
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    m_encoding = setUpTextFileDialog(*this, encodingNames());
    m_encoding->setCurrentIndex(DefaultEncodingIndex);
}

int OpenTextFileDialog::encodingIndex() const
{
    return m_encoding->currentIndex();
}

void OpenTextFileDialog::setEncodingIndex(int index)
{
    m_encoding->setCurrentIndex(index);
}
