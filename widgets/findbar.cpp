#include "widgets/findbar.h"

#include "platform/languagetable.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

namespace {

enum class Key
{
    None,
    Next,
    Previous,
    Close,
};

Key keyOf(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool shift = modifiers == Qt::ShiftModifier;
    if (modifiers != Qt::NoModifier && !shift)
        return Key::None;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F3:
        return shift ? Key::Previous : Key::Next;
    case Qt::Key_Escape:
        return shift ? Key::None : Key::Close;
    default:
        return Key::None;
    }
}

} // namespace

FindBar::FindBar(QWidget *parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
    , m_status(new QLabel(this))
    , m_close(new QToolButton(this))
{
    setObjectName(QStringLiteral("FindBar"));
    m_edit->setObjectName(QStringLiteral("FindEdit"));
    m_edit->setPlaceholderText(TranslateText(QStringLiteral("Find")));
    m_status->setObjectName(QStringLiteral("FindStatus"));
    m_close->setObjectName(QStringLiteral("FindClose"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setToolTip(TranslateText(QStringLiteral("Close")));
    m_close->setAutoRaise(true);
    // Focus stays in the text when the button is clicked.
    m_close->setFocusPolicy(Qt::NoFocus);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_status);
    layout->addWidget(m_close);

    connect(m_edit, &QLineEdit::textEdited, this, &FindBar::searchChanged);
    connect(m_close, &QToolButton::clicked, this, &FindBar::closeBar);
    hide();
}

void FindBar::open()
{
    show();
    m_edit->setFocus(Qt::ShortcutFocusReason);
    m_edit->selectAll();
}

void FindBar::setNotFound(bool notFound)
{
    m_status->setText(notFound ? TranslateText(QStringLiteral("not found")) : QString());
}

QString FindBar::text() const
{
    return m_edit->text();
}

void FindBar::closeBar()
{
    hide();
    Q_EMIT closed();
}

bool FindBar::event(QEvent *event)
{
    // Our keys come before shortcuts of the window that hold the same ones
    // (Escape closing it, say) while focus is in the bar; the key press
    // then reaches keyPressEvent() from the focused child.
    if (event->type() == QEvent::ShortcutOverride && keyOf(*static_cast<QKeyEvent *>(event)) != Key::None) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    switch (keyOf(*event)) {
    case Key::Next:
        Q_EMIT nextRequested();
        break;
    case Key::Previous:
        Q_EMIT previousRequested();
        break;
    case Key::Close:
        closeBar();
        break;
    case Key::None:
        QWidget::keyPressEvent(event);
        return;
    }
    // Taken here, so that a dialog's default button does not take Enter too.
    event->accept();
}
