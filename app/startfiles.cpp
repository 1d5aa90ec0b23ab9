#include "app/startfiles.h"

#include "app/appform.h"
#include "app/application.h"
#include "app/startarguments.h"
#include "i18n/language.h"
#include "platform/apperror.h"
#include "widgets/dialogs.h"

#include <QDir>

#include <exception>

namespace {

void report(TAppForm &form, const QString &message)
{
    if (auto *app = qobject_cast<Application *>(QCoreApplication::instance()))
        app->showErrorBox(message);
    else
        Dialogs::current().errorBox(&form, form.windowTitle(), errorBoxText(message));
}

} // namespace

void loadStartFiles(TAppForm &form, const StartArguments &arguments)
{
    using Drop = void (TAppForm::*)(const QStringList &);
    const std::pair<const QString &, Drop> lists[] = {
        {arguments.list1, &TAppForm::MemoLeftDropFiles},
        {arguments.list2, &TAppForm::MemoRightDropFiles},
    };
    // Both lists load before any box is shown, so that the window behind the
    // box already holds what could be loaded.
    QStringList problems;
    for (const auto &[file, drop] : lists) {
        if (file.isEmpty())
            continue;
        try {
            (form.*drop)({file});
        } catch (...) {
            problems << errorMessageOf(std::current_exception());
        }
    }
    if (!arguments.extra.isEmpty()) {
        QStringList names;
        for (const QString &file : arguments.extra)
            names << u'"' + QDir::toNativeSeparators(file) + u'"';
        problems << TranslateText(
                        QStringLiteral("Pairsight compares two lists; these files were not loaded: %1"))
                        .arg(names.join(QStringLiteral(", ")));
    }
    for (const QString &problem : std::as_const(problems))
        report(form, problem);
}
