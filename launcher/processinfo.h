#pragma once

// Whether a process recorded earlier still runs. Internal to the launcher.

#include <QtGlobal>

#include <optional>

namespace ostrel {

/// The game's process as a launch started it: the PID, and its start time (clock ticks after
/// boot), which tells it apart from a later process that reuses the PID.
struct EngineProcess {
    qint64 pid = 0;
    quint64 startTime = 0;
};

} // namespace ostrel

namespace ostrel::processinfo {

/// The start time of the process pid (field 22 of /proc/PID/stat: clock ticks after boot).
/// A later process that reuses the PID has another one. nullopt when no process runs under
/// pid; a zombie has ended and counts as none.
std::optional<quint64> startTimeOf(qint64 pid);

} // namespace ostrel::processinfo
