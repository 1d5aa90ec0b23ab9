#pragma once

#include <QApplication>

#include <functional>

// The program's application object. Every event goes through notify(), so an
// error that a handler lets escape ends up in the standard error box and the
// program goes on.
class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int &argc, char **argv);

    // The title of the standard error box.
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    bool notify(QObject *receiver, QEvent *event) override;

    // Runs body and returns its result; an error that escapes it is shown in
    // the standard error box, and the result is then EXIT_FAILURE.
    int run(const std::function<int()> &body);

    // The standard error box for an error that was caught instead of escaping.
    void showErrorBox(const QString &message);

private:
    QString m_title;
};
