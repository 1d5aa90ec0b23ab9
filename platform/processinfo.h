#pragma once

#include <QtGlobal>

namespace platform {

// Resident memory of this process now, and the most it has had; 0 when unknown.
qint64 residentBytes();
qint64 peakResidentBytes();

// Memory this process may still fill: what the system has available (free
// memory and swap), no more than the process's address-space and data
// limits allow; 0 when unknown.
qint64 availableMemoryBytes();

// The machine's physical memory; 0 when unknown.
qint64 physicalMemoryBytes();

// Whether standard error is a terminal, so that a progress display makes sense.
bool stderrIsTerminal();

} // namespace platform
