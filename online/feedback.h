#pragma once

#include "online/feedbackmessage.h"

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The feedback window: an optional like or dislike, a text and an optional
// e-mail address, sent to the maker's service. Modal; deleted when closed.
class TFeedbackForm : public QDialog
{
    Q_OBJECT

public:
    explicit TFeedbackForm(QWidget *parent = nullptr);

    void BitBtn1Click();
    // The choice under the panel (left button only): selects it and clears
    // the other; a second click clears it.
    void Image1MouseDown(Qt::MouseButton button);
    void Image2MouseDown(Qt::MouseButton button);

    bool isSelected(const QFrame *panel) const;
    FeedbackChoice choice() const;

    QFrame *Panel3;
    QFrame *Panel4;
    QLabel *Image1;
    QLabel *Panel4Caption;
    QFrame *Panel5;
    QLabel *Image2;
    QLabel *Panel5Caption;
    QLabel *Label1;
    QLabel *Label2;
    QPlainTextEdit *Memo1;
    QFrame *Panel1;
    QLabel *Label3;
    QLineEdit *Edit1;
    QFrame *Panel2;
    QPushButton *BitBtn1;

    static constexpr int MaxFeedbackLength = 10000;
    static constexpr int MaxEmailLength = 100;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createComponents();
    void FormCreate();
    void setSelected(QFrame *panel, QLabel *caption, bool selected);
    void choose(QFrame *panel, QLabel *caption, QFrame *other, QLabel *otherCaption);
    void limitMemo();
};
