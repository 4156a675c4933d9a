#pragma once

// Whether a process recorded earlier still runs. Internal to the launcher.

#include <QtGlobal>

#include <optional>

namespace ostrel::processinfo {

/// The start time of the process pid (field 22 of /proc/PID/stat: clock ticks after boot).
/// A later process that reuses the PID has another one. nullopt when no process runs under
/// pid; a zombie has ended and counts as none.
std::optional<quint64> startTimeOf(qint64 pid);

} // namespace ostrel::processinfo
