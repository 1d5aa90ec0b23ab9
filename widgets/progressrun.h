#pragma once

#include "lists/listjob.h"

#include <QString>

#include <functional>

class QWidget;

// What the progress dialog says the work is doing at `stage` of part `part`.
using ProgressLabel = std::function<QString(JobStage stage, int part)>;

// Runs a command's work on a thread of its own while this thread's event
// loop goes on, so that the windows keep repainting. For its first moments
// the pointer is busy and input waits, as for a command that takes no time;
// work that lasts longer shows a modal progress dialog over the window of
// `parent`: what the work does, its percentage (or a moving bar when the
// total is not known) and Cancel, which Esc and closing the dialog press too.
// Cancel asks the work to stop and waits for it.
//
// Returns true when the work finished and Cancel was not pressed. Returns
// false when Cancel was pressed, whatever the work did then: the caller
// keeps nothing of it. Rethrows any other error of the work.
//
// The work runs while other events are handled: it must read only what
// nothing else changes meanwhile (a snapshot of a list) and hand its result
// back through what it captured, which the caller may read once this returns.
bool runWithProgress(QWidget *parent, const ProgressLabel &label, const JobThread::Work &work);
