#pragma once

#include <QStringList>

// pairsight-compare: loads two lists as the program does, compares them and
// writes the result sets as the results window saves them. Returns the exit
// status: 0 done, 1 a file could not be read, decoded or written, 2 a bad
// option or argument.
int runCompareCommand(const QStringList &arguments);
