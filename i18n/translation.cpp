#include "i18n/translation.h"

#include "i18n/language.h"
#include "i18n/languagechoice.h"
#include "i18n/messagedialog.h"
#include "platform/buildinfo.h"
#include "platform/launcher.h"
#include "widgets/artwork.h"
#include "widgets/dialogs.h"
#include "widgets/linklabel.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QUrl>

#include <algorithm>

QString InitialLanguage;

namespace {

constexpr QSize ClientSize(622, 227);
constexpr QSize ImageSize(16, 16);
constexpr int ItemHeight = 18;

QFont tahoma(int pixelSize)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    return font;
}

// A label left of the boxes gets a smaller font rather than run under them.
void fitLabel(QLabel *label, int width)
{
    QFont font = label->font();
    while (font.pixelSize() > 9 && QFontMetrics(font).horizontalAdvance(label->text()) > width)
        font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
    label->adjustSize();
}

QIcon flagOf(const QString &languageName)
{
    return artworkIcon(languageImageNames().at(flagImageIndex(languageName)));
}

// Draws each item as its flag with the name beside it.
class ComboBox1DrawItem : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const QPalette &palette = option.palette;
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        const QString name = index.data(Qt::DisplayRole).toString();
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(option.rect.topLeft(), flagOf(name).pixmap(ImageSize, ratio));
        painter->setFont(option.font);
        painter->setPen(selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));
        const QRect text(option.rect.left() + ImageSize.width(), option.rect.top(),
                         option.rect.width() - ImageSize.width(), option.rect.height());
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, name);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width() + ImageSize.width(), ItemHeight);
    }
};

QUrl translationUrl()
{
    return QUrl(QStringLiteral("https://") + QStringLiteral(PAIRSIGHT_WEBSITE_HOST)
                + QStringLiteral("/translation/"));
}

} // namespace

TTranslateForm::TTranslateForm(std::function<void(const QString &)> setLanguageFile,
                               QString restartScriptFolder,
                               QWidget *parent)
    : QDialog(parent)
    , m_setLanguageFile(std::move(setLanguageFile))
    , m_restartScriptFolder(std::move(restartScriptFolder))
{
    createComponents();
    FormCreate();
}

TTranslateForm::~TTranslateForm() = default;

void TTranslateForm::createComponents()
{
    setObjectName(QStringLiteral("TranslateForm"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setFixedSize(ClientSize);
    setFont(tahoma(11));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(tahoma(16));
    Label1->move(3, 6);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(tahoma(16));
    Label2->move(3, 39);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setFont(tahoma(13));
    ComboBox1->setGeometry(263, 4, 355, 24);
    ComboBox1->setIconSize(ImageSize);
    ComboBox1->setItemDelegate(new ComboBox1DrawItem(ComboBox1));
    addLanguage(QStringLiteral("English"));
    ComboBox1->setCurrentIndex(0);

    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(263, 32, 355, 151);
    RichEdit1->setReadOnly(true);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setFont(tahoma(16));
    QPalette face = RichEdit1->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    RichEdit1->setPalette(face);
    RichEdit1->setPlainText(QStringLiteral("Tandrel"));
    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, ClientSize.height() - 39, ClientSize.width(), 39);
    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::HLine | QFrame::Plain);
    Panel2->setGeometry(0, Panel1->y() - 1, ClientSize.width(), 1);

    Label3 = new LinkLabel(QString(), translationUrl().toString(), QColor(0, 0, 255), 16, Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(3, 3, 177, 33);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Button1 = new QPushButton(Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFont(tahoma(16));
    Button1->setGeometry(ClientSize.width() - 3 - 172, 3, 172, 33);
    Button1->setIcon(artworkIcon(QStringLiteral("tick_button")));
    Button1->setIconSize(ImageSize);
    Button1->setAutoDefault(false);
    Button1->setDefault(true);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Copy1 = PopupMenu1->addAction(artworkIcon(QStringLiteral("copy")), QString());
    Copy1->setObjectName(QStringLiteral("Copy1"));
    SelectAll1 = PopupMenu1->addAction(QString());
    SelectAll1->setObjectName(QStringLiteral("SelectAll1"));

    setTabOrder(ComboBox1, RichEdit1);
    setTabOrder(RichEdit1, Button1);
    ComboBox1->setFocus();

    connect(Button1, &QPushButton::clicked, this, &TTranslateForm::Button1Click, Qt::QueuedConnection);
    connect(Label3, &LinkLabel::clicked, this, &TTranslateForm::Label3Click, Qt::QueuedConnection);
    connect(Copy1, &QAction::triggered, this, &TTranslateForm::Copy1Click);
    connect(SelectAll1, &QAction::triggered, this, &TTranslateForm::SelectAll1Click);
    connect(RichEdit1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(RichEdit1->viewport()->mapToGlobal(at)); });
}

void TTranslateForm::addLanguage(const QString &name)
{
    // Kept sorted without regard to case; a name already listed is not listed twice.
    int at = 0;
    for (; at < ComboBox1->count(); ++at) {
        const QString item = ComboBox1->itemText(at);
        if (item == name)
            return;
        if (QString::compare(item, name, Qt::CaseInsensitive) > 0)
            break;
    }
    ComboBox1->insertItem(at, flagOf(name), name);
}

void TTranslateForm::FormCreate()
{
    setWindowTitle(TranslateText(QStringLiteral("Language")));
    Label1->setText(TranslateText(QStringLiteral("User Interface Language:")));
    fitLabel(Label1, ComboBox1->x() - Label1->x() - 4);
    Label2->setText(TranslateText(QStringLiteral("Translated by:")));
    fitLabel(Label2, RichEdit1->x() - Label2->x() - 4);
    Button1->setText(TranslateText(QStringLiteral("OK")));
    Label3->setText(TranslateText(QStringLiteral("Contribute to Translation")));
    // Wider than designed when the font or the language needs it, never cut.
    Label3->resize(std::max(177, Label3->sizeHint().width()), Label3->height());
    Copy1->setText(TranslateText(QStringLiteral("Copy")));
    SelectAll1->setText(TranslateText(QStringLiteral("Select All")));

    for (const QString &file : LanguageFiles)
        addLanguage(languageNameOfFile(file));
    int selected = ComboBox1->findText(QStringLiteral("English"), Qt::MatchExactly | Qt::MatchCaseSensitive);
    for (int i = 0; i < ComboBox1->count(); ++i) {
        if (ComboBox1->itemText(i) == CurrentLanguageName) {
            selected = i;
            break;
        }
    }
    ComboBox1->setCurrentIndex(selected);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TTranslateForm::ComboBox1Change);
    ComboBox1Change();
    InitialLanguage = ComboBox1->currentText();
}

void TTranslateForm::ComboBox1Change()
{
    const QString credit = languageCredit(LanguagesFolder, ComboBox1->currentText());
    RichEdit1->clear();
    const QStringList lines = creditLines(credit);
    if (!lines.isEmpty())
        RichEdit1->setPlainText(lines.join(u'\n'));
}

void TTranslateForm::Button1Click()
{
    const QString chosen = ComboBox1->currentText();
    if (chosen == InitialLanguage) {
        close();
        return;
    }
    if (!confirmRestart(this))
        return;
    if (m_setLanguageFile)
        m_setLanguageFile(chosen + QStringLiteral(".lang.txt"));
    QCoreApplication::processEvents();
    // Throws when the script cannot be written: the error box says why and
    // the program goes on.
    const QString script = writeRestartScript(m_restartScriptFolder, QCoreApplication::applicationFilePath());
    QCoreApplication::processEvents();
    Launcher::current().startDetached(QStringLiteral("/bin/sh"), {script});
    QCoreApplication::processEvents();
    Launcher::current().terminate();
}

void TTranslateForm::Label3Click()
{
    Dialogs::current().openUrl(translationUrl());
}

void TTranslateForm::Copy1Click()
{
    RichEdit1->copy();
}

void TTranslateForm::SelectAll1Click()
{
    RichEdit1->selectAll();
}

void TTranslateForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    if (QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
