#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

// A find bar for under a view: the text to find, a "not found" status and a
// close button. It only reports what the user asks for; its owner searches
// and says whether the text was found. Hidden until open().
//
// Keys while focus is in the bar: Enter and F3 ask for the next match,
// Shift+Enter and Shift+F3 for the previous one, Escape closes the bar.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    explicit FindBar(QWidget *parent = nullptr);

    // Shows the bar and puts focus in the text, all of it selected, so
    // typing replaces it and Enter finds it again.
    void open();
    void setNotFound(bool notFound);

    QString text() const;

Q_SIGNALS:
    // The user changed the text (not emitted for setText-like changes).
    void searchChanged(const QString &text);
    void nextRequested();
    void previousRequested();
    // The user closed the bar; it is hidden by then.
    void closed();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void closeBar();

    QLineEdit *m_edit;
    QLabel *m_status;
    QToolButton *m_close;
};
