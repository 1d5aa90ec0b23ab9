#pragma once

#include <QString>

// Installs Qt's own translations for a language (ISO 639 code, "de"): the
// file qtbase_<code>.qm from Qt's translations folder, so that the standard
// buttons and Qt's dialogs speak it. It replaces what an earlier call
// installed; an empty code or a missing file leaves Qt's texts in English.
// True when a translation is installed.
bool installQtTranslations(const QString &languageCode);
