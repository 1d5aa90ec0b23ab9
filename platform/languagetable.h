#pragma once

#include <QString>
#include <QStringList>

// The loaded language table and its lookup. They sit in the lowest layer so
// that the messages of every folder can be translated; i18n/language.h loads
// the table. Written once at start, before any window or worker exists, and
// only read afterwards, so any thread may look texts up.
extern QString CurrentLanguageFile; // full path of the loaded file; empty turns translation off
extern QStringList LanguageTable; // lines of the loaded file

// The translation of an English source text, or the text itself.
QString TranslateText(const QString &source);
