#pragma once

#include <QFileDialog>

class QComboBox;

// A save dialog for text files: filter `textFiles` (empty: the translated
// "Text File") + " (*.txt)" then any file, default suffix "txt", asks before
// overwriting; with `encodings`, an "Encoding:" selector offering them. It
// remembers the last file chosen.
class SaveTextFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    explicit SaveTextFileDialog(QWidget *parent = nullptr,
                                const QStringList &encodings = {},
                                const QString &textFiles = {});

    // Records the file the user chose, so that the next save starts from it.
    void remember(const QString &fileName);

private:
    QComboBox *m_encoding = nullptr;
};
