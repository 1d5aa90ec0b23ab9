#pragma once

#include "online/feedbackmessage.h"

#include <QDialog>

class QAbstractButton;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The feedback window: an optional like or dislike (two toggle buttons, one
// at most checked), a text and an optional e-mail address, sent to the
// maker's service. Modal; deleted when closed.
class TFeedbackForm : public QDialog
{
    Q_OBJECT

public:
    explicit TFeedbackForm(QWidget *parent = nullptr);

    void BitBtn1Click();

    bool isSelected(const QAbstractButton *choice) const;
    FeedbackChoice choice() const;

    QFrame *Panel3;
    QPushButton *Panel4;
    QLabel *Image1;
    QLabel *Panel4Caption;
    QPushButton *Panel5;
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
    // Shows the choice checked (highlighted) or not.
    void setSelected(QPushButton *choice, QLabel *caption, bool selected);
    void choiceToggled(QPushButton *choice, QLabel *caption, QPushButton *other);
    void limitMemo();
};
