#include "online/feedback.h"

#include "about/versioninfo.h"
#include "i18n/language.h"
#include "i18n/messagedialog.h"
#include "online/emailaddress.h"
#include "online/request.h"
#include "widgets/appicons.h"
#include "widgets/artwork.h"
#include "widgets/busycursor.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace {

QFont tahoma(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QFrame *stripPanel(QWidget *parent, const QString &name, int height)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::NoFrame);
    if (height > 0)
        panel->setFixedHeight(height);
    return panel;
}

} // namespace

TFeedbackForm::TFeedbackForm(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                  | Qt::WindowCloseButtonHint)
{
    createComponents();
    FormCreate();
}

void TFeedbackForm::createComponents()
{
    setObjectName(QStringLiteral("FeedbackForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    setFont(tahoma(11));
    setFixedSize(525, 326);
    move(screen()->availableGeometry().center() - rect().center());

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel3 = stripPanel(this, QStringLiteral("Panel3"), 46);
    column->addWidget(Panel3);
    auto *choices = new QHBoxLayout(Panel3);
    choices->setContentsMargins(0, 0, 0, 0);
    choices->setSpacing(0);
    // Each choice is a toggle button, so that Tab reaches it, Space flips it
    // and screen readers tell it; the face and the caption lie on it.
    auto makeChoice = [&](const QString &name, const QString &imageName, bool smiling, QLabel *&image,
                          QLabel *&caption) {
        auto *choice = new QPushButton(Panel3);
        choice->setObjectName(name);
        choice->setCheckable(true);
        // Enter in the e-mail box must not flip it either.
        choice->setAutoDefault(false);
        choice->setCursor(Qt::PointingHandCursor);
        choice->setFont(tahoma(16));
        choice->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        auto *row = new QHBoxLayout(choice);
        row->setContentsMargins(4, 2, 4, 2);
        image = new QLabel(choice);
        image->setObjectName(imageName);
        image->setFixedSize(32, 32);
        image->setPixmap(artworkPixmap(smiling ? QStringLiteral("face_like") : QStringLiteral("face_dislike"),
                                       QSize(32, 32), devicePixelRatioF()));
        row->addWidget(image);
        caption = new QLabel(choice);
        caption->setObjectName(name + QStringLiteral("Caption"));
        caption->setAlignment(Qt::AlignCenter);
        row->addWidget(caption, 1);
        for (QLabel *part : {image, caption})
            part->setAttribute(Qt::WA_TransparentForMouseEvents);
        return choice;
    };
    Panel4 = makeChoice(QStringLiteral("Panel4"), QStringLiteral("Image1"), true, Image1, Panel4Caption);
    Panel5 = makeChoice(QStringLiteral("Panel5"), QStringLiteral("Image2"), false, Image2, Panel5Caption);
    Panel5->setFixedWidth(256 - 6);
    choices->addSpacing(3);
    choices->addWidget(Panel4, 1);
    choices->addSpacing(6);
    choices->addWidget(Panel5);
    choices->addSpacing(3);
    Panel3->setContentsMargins(0, 3, 0, 3);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(tahoma(16));
    Label1->setContentsMargins(3, 3, 3, 3);
    column->addWidget(Label1);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(tahoma(13, true));
    Label2->setContentsMargins(3, 3, 3, 3);
    column->addWidget(Label2);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFont(tahoma(13));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    auto *memoBox = new QVBoxLayout;
    memoBox->setContentsMargins(3, 3, 3, 3);
    memoBox->addWidget(Memo1);
    column->addLayout(memoBox, 1);

    Panel1 = stripPanel(this, QStringLiteral("Panel1"), 30);
    column->addWidget(Panel1);
    auto *emailRow = new QHBoxLayout(Panel1);
    emailRow->setContentsMargins(3, 3, 3, 3);
    Label3 = new QLabel(Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setFont(tahoma(13));
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    emailRow->addWidget(Label3);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFont(tahoma(13));
    Edit1->setMaxLength(MaxEmailLength);
    emailRow->addWidget(Edit1, 1);

    Panel2 = stripPanel(this, QStringLiteral("Panel2"), 39);
    column->addWidget(Panel2);
    auto *buttonRow = new QHBoxLayout(Panel2);
    buttonRow->setContentsMargins(3, 3, 3, 3);
    buttonRow->addStretch(1);
    BitBtn1 = new QPushButton(Panel2);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setFixedSize(172, 33);
    BitBtn1->setFont(tahoma(16));
    BitBtn1->setIcon(appIcon(AppIcon::Feedback));
    // Enter in the e-mail box must not send.
    BitBtn1->setAutoDefault(false);
    BitBtn1->setDefault(false);
    buttonRow->addWidget(BitBtn1);

    setTabOrder(Panel4, Panel5);
    setTabOrder(Panel5, Memo1);
    setTabOrder(Memo1, Edit1);
    setTabOrder(Edit1, BitBtn1);
    for (QWidget *part :
         {static_cast<QWidget *>(Panel4), static_cast<QWidget *>(Panel5), static_cast<QWidget *>(Memo1),
          static_cast<QWidget *>(Edit1), static_cast<QWidget *>(BitBtn1)})
        part->installEventFilter(this);
    connect(Panel4, &QPushButton::toggled, this, [this] { choiceToggled(Panel4, Panel4Caption, Panel5); });
    connect(Panel5, &QPushButton::toggled, this, [this] { choiceToggled(Panel5, Panel5Caption, Panel4); });
    connect(Memo1, &QPlainTextEdit::textChanged, this, &TFeedbackForm::limitMemo);
    connect(BitBtn1, &QPushButton::clicked, this, &TFeedbackForm::BitBtn1Click);
    Memo1->setFocus();
}

void TFeedbackForm::FormCreate()
{
    setWindowTitle(AppProductName + u' ' + TranslateText(QStringLiteral("feedback")));
    Label1->setText(TranslateText(QStringLiteral("We would really appreciate your feedback.")));
    Label2->setText(TranslateText(QStringLiteral("What did you like or dislike?")));
    Label3->setText(TranslateText(QStringLiteral("Include my e-mail:")));
    BitBtn1->setText(TranslateText(QStringLiteral("Send")));
    Panel4Caption->setText(TranslateText(QStringLiteral("I like it!")));
    Panel5Caption->setText(TranslateText(QStringLiteral("I dislike it!")));
    setSelected(Panel4, Panel4Caption, false);
    setSelected(Panel5, Panel5Caption, false);
    // Screen readers name the choices and the boxes by what their labels say.
    Panel4->setAccessibleName(Panel4Caption->text());
    Panel5->setAccessibleName(Panel5Caption->text());
    Memo1->setAccessibleName(Label2->text());
    Edit1->setAccessibleName(Label3->text());
}

void TFeedbackForm::limitMemo()
{
    if (Memo1->document()->characterCount() - 1 <= MaxFeedbackLength)
        return;
    // A paste that goes over the limit keeps its beginning, as a text box with a maximum length does.
    const QSignalBlocker blocker(Memo1);
    QTextCursor cursor(Memo1->document());
    cursor.setPosition(MaxFeedbackLength);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    Memo1->moveCursor(QTextCursor::End);
}

bool TFeedbackForm::isSelected(const QAbstractButton *choice) const
{
    return choice->isChecked();
}

FeedbackChoice TFeedbackForm::choice() const
{
    if (isSelected(Panel4))
        return FeedbackChoice::Like;
    if (isSelected(Panel5))
        return FeedbackChoice::Dislike;
    return FeedbackChoice::None;
}

void TFeedbackForm::setSelected(QPushButton *choice, QLabel *caption, bool selected)
{
    const QPalette system = QApplication::palette();
    QPalette palette = choice->palette();
    for (const QPalette::ColorRole face : {QPalette::Window, QPalette::Button})
        palette.setColor(face, system.color(selected ? QPalette::Highlight : QPalette::Button));
    for (const QPalette::ColorRole text : {QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(text, system.color(selected ? QPalette::HighlightedText : QPalette::WindowText));
    choice->setPalette(palette);
    caption->setPalette(palette);
}

void TFeedbackForm::choiceToggled(QPushButton *choice, QLabel *caption, QPushButton *other)
{
    setSelected(choice, caption, choice->isChecked());
    // One choice at most: choosing one clears the other.
    if (choice->isChecked())
        other->setChecked(false);
}

void TFeedbackForm::BitBtn1Click()
{
    const QString body = trimmedText(Memo1->toPlainText().replace(u'\n', QStringLiteral("\r\n")));
    const QString composed = composeFeedback(choice(), Panel4Caption->text(), Panel5Caption->text(), body);
    if (body.isEmpty()) {
        Memo1->setFocus();
        QApplication::beep();
        return;
    }

    const QString address = trimmedText(Edit1->text());
    const QStringList ok {TranslateText(QStringLiteral("OK"))};
    if (!address.isEmpty() && !IsValidEmail(address)) {
        Edit1->setFocus();
        MessageDlgWithCaptions(TranslateText(QStringLiteral("Invalid e-mail address!")),
                               QMessageBox::Critical, QMessageBox::Ok, ok,
                               TranslateText(QStringLiteral("Failure")), this);
        return;
    }

    const QStringList fields = feedbackFields(AppTitle, AppVersion, composed, address);
    QString reply;
    {
        const BusyCursor busy;
        try {
            reply = PostWithFallback(serviceEndpoint(QLatin1StringView(FeedbackPath)), fields,
                                     FeedbackTimeoutMs)
                        .reply;
        } catch (...) {
            // Both attempts failed; the box below says so in the user's words.
        }
    }

    if (isFeedbackConfirmed(reply)) {
        MessageDlgWithCaptions(TranslateText(QStringLiteral("Your feedback is received."))
                                   + QStringLiteral("\n\n") + TranslateText(QStringLiteral("Thank you!")),
                               QMessageBox::Information, QMessageBox::Ok, ok,
                               TranslateText(QStringLiteral("Success")), this);
        close();
        return;
    }
    MessageDlgWithCaptions(
        TranslateText(QStringLiteral("Something went wrong. Your feedback could not be delivered."))
            + QStringLiteral("\n\n") + TranslateText(QStringLiteral("Please try again later.")),
        QMessageBox::Critical, QMessageBox::Ok, ok, TranslateText(QStringLiteral("Failure")), this);
}

bool TFeedbackForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape
        && (watched == Panel4 || watched == Panel5 || watched == Memo1 || watched == Edit1
            || watched == BitBtn1)) {
        // Nothing is sent on the way out.
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
