#include "widgets/savetextfiledialog.h"

#include "widgets/textfiledialog.h"

SaveTextFileDialog::SaveTextFileDialog(QWidget *parent,
                                       const QStringList &encodings,
                                       const QString &textFiles)
    : QFileDialog(parent)
{
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setSizeGripEnabled(true);
    m_encoding = setUpTextFileDialog(*this, encodings, textFiles);
}

void SaveTextFileDialog::remember(const QString &fileName)
{
    selectFile(fileName);
}
