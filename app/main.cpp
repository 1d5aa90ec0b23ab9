#include "app/appform.h"
#include "app/application.h"
#include "app/startarguments.h"
#include "app/startfiles.h"
#include "i18n/language.h"
#include "platform/namedobject.h"
#include "widgets/artwork.h"

#include <QTimer>

#include <cstdio>

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    // --help and --version answer without a display, so before Qt starts.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const StartArguments early = parseStartArguments(raw);
    if (early.action == StartArguments::Action::Help || early.action == StartArguments::Action::Version) {
        print(stdout, early.text);
        return 0;
    }

    // Nothing checks it: two instances run side by side.
    const NamedSystemObject instanceMarker("TANDREL_Pairsight");
    Application app(argc, argv);
    // Now without the options Qt took for itself.
    const StartArguments start = parseStartArguments(QCoreApplication::arguments());
    if (start.action == StartArguments::Action::Error) {
        print(stderr, start.text);
        return 2;
    }
    app.setTitle(QStringLiteral("Pairsight"));
    app.setWindowIcon(programIcon());
    return app.run([&start] {
        TAppForm form;
        // For the install check: the translation of one text, as the
        // language lookup of this very program found it, instead of a window.
        if (const QByteArray text = qgetenv("PAIRSIGHT_PRINT_TRANSLATION"); !text.isEmpty()) {
            print(stdout, TranslateText(QString::fromUtf8(text)) + u'\n');
            return 0;
        }
        form.show();
        // Once the window is up, so that a box about a file has it to stand on.
        QTimer::singleShot(0, &form, [&form, &start] { loadStartFiles(form, start); });
        return QApplication::exec();
    });
}
