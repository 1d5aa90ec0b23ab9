#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QFileDialog;

// Sets up Qt's own file dialog for text files: filter `textFiles` (empty: the
// translated "Text File") + " (*.txt)" first, then any file, default suffix "txt", and with `encodings` an
// "Encoding:" selector under the file type, which it returns (else nullptr).
// A native dialog could not carry the selector.
QComboBox *
setUpTextFileDialog(QFileDialog &dialog, const QStringList &encodings, const QString &textFiles = {});
