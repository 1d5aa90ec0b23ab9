#pragma once

#include <QString>

// True when the whole address matches the feedback window's e-mail pattern:
// letters, digits and _ . + - before one "@", then letters, digits and -, a
// ".", and a run of letters, digits, - and . ending in a letter or digit.
bool IsValidEmail(const QString &address);
