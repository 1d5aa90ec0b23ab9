#pragma once

#include <QFileDialog>

class QComboBox;

// The open dialog for text files, with an "Encoding:" selector under the file
// type. One instance serves the whole run, so the folder and the encoding last
// chosen carry over.
class OpenTextFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    explicit OpenTextFileDialog(QWidget *parent = nullptr);

    // Index into encodingNames().
    int encodingIndex() const;
    void setEncodingIndex(int index);

private:
    QComboBox *m_encoding;
};
