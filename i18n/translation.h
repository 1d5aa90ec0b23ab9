#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class LinkLabel;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

// The text of the language selected when a chooser was last created; tells
// OK whether the user changed anything.
extern QString InitialLanguage;

// The language chooser: the languages found at start, each with its flag,
// who translated the selected one, and OK, which restarts the program in a
// new choice after asking.
class TTranslateForm : public QDialog
{
    Q_OBJECT

public:
    // setLanguageFile receives the confirmed choice ("German.lang.txt"); the
    // restart script goes to restartScriptFolder (the settings folder).
    TTranslateForm(std::function<void(const QString &)> setLanguageFile,
                   QString restartScriptFolder,
                   QWidget *parent = nullptr);
    ~TTranslateForm() override;

    // The components, by their names in the window's design.
    QLabel *Label1;
    QLabel *Label2;
    QComboBox *ComboBox1;
    QPlainTextEdit *RichEdit1;
    QFrame *Panel2;
    QWidget *Panel1;
    LinkLabel *Label3;
    QPushButton *Button1;
    QMenu *PopupMenu1;
    QAction *Copy1;
    QAction *SelectAll1;

    void ComboBox1Change();
    void Button1Click();
    void Label3Click();
    void Copy1Click();
    void SelectAll1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void createComponents();
    void FormCreate();
    void addLanguage(const QString &name);

    std::function<void(const QString &)> m_setLanguageFile;
    QString m_restartScriptFolder;
    bool m_centred = false;
};
