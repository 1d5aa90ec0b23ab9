#include "widgets/textfiledialog.h"

#include "platform/languagetable.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

// Qt's dialog leaves the file-name completion popup up when it closes while
// the popup shows, and its file system model can pop it up again once a
// folder has loaded; the popup then floats over the window below. So while
// the dialog is hidden its popups stay hidden, and the completers leave
// their fields until a field has the focus again, which gives them back.
class CompletionPopupCloser : public QObject
{
public:
    explicit CompletionPopupCloser(QWidget *dialog)
        : QObject(dialog)
        , m_dialog(dialog)
    {
        dialog->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && watched == m_dialog) {
            for (QLineEdit *field : m_dialog->findChildren<QLineEdit *>()) {
                if (QCompleter *completer = field->completer()) {
                    completer->popup()->installEventFilter(this);
                    completer->popup()->hide();
                    completer->setWidget(nullptr);
                }
            }
        } else if (event->type() == QEvent::Show && watched != m_dialog && !m_dialog->isVisible()) {
            // Hidden from the event loop: a widget cannot be hidden while it is being shown.
            QMetaObject::invokeMethod(static_cast<QWidget *>(watched), &QWidget::hide, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWidget *m_dialog;
};

} // namespace

QComboBox *setUpTextFileDialog(QFileDialog &dialog, const QStringList &encodings, const QString &textFiles)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QString textFilter = (textFiles.isEmpty() ? TranslateText(QStringLiteral("Text File")) : textFiles)
        + QStringLiteral(" (*.txt)");
    const QString anyFilter = TranslateText(QStringLiteral("Any File")) + QStringLiteral(" (*)");
    dialog.setNameFilters({textFilter, anyFilter});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    new CompletionPopupCloser(&dialog);
    if (encodings.isEmpty())
        return nullptr;

    auto *label = new QLabel(TranslateText(QStringLiteral("Encoding:")), &dialog);
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
