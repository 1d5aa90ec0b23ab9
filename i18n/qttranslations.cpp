#include "i18n/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace {

// The one installed, kept for the rest of the run.
std::unique_ptr<QTranslator> &installed()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

} // namespace

bool installQtTranslations(const QString &languageCode)
{
    std::unique_ptr<QTranslator> &current = installed();
    if (current) {
        QCoreApplication::removeTranslator(current.get());
        current.reset();
    }
    if (languageCode.isEmpty())
        return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + languageCode,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    if (!QCoreApplication::installTranslator(translator.get()))
        return false;
    current = std::move(translator);
    return true;
}
