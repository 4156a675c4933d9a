#pragma once

#include <QString>
#include <QStringList>

namespace ostrel::test {

/// What a kill loop takes from its command line: --kills N (200), --seed S (a random one) and
/// the program it kills (programOption PATH, by default programName beside the loop).
struct KillLoopOptions {
    int kills;
    quint32 seed;
    QString program;
};
KillLoopOptions killLoopOptions(const QStringList &arguments, const QString &programOption, const QString &programName);

/// What runAndKill() kills.
enum class KillTarget {
    Program, ///< the program alone: what it started (a game) runs on, as after a crash of its own
    Group,   ///< the program and everything it started, as a power cut would
};

/// Starts program in a process group of its own, waits for its first output on either channel
/// (its "go"), and kills it (or its group) with SIGKILL after delayUs, or lets it end when
/// delayUs is negative. Then waits until nothing of the group runs any more. Returns how long it
/// ran after its "go", in microseconds, or -1 when it did not start or its group did not end
/// within a minute. What it said after its "go" is passed on to standard error, unless quiet.
qint64 runAndKill(const QString &program, const QStringList &arguments, qint64 delayUs,
    KillTarget target = KillTarget::Program, bool quiet = false);

} // namespace ostrel::test
