#pragma once

#include <QtGlobal>

namespace platform {

// Resident memory of this process now, and the most it has had; 0 when unknown.
qint64 residentBytes();
qint64 peakResidentBytes();

// Whether standard error is a terminal, so that a progress display makes sense.
bool stderrIsTerminal();

} // namespace platform
