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

/// Starts program, waits for its first output (its "go"), and kills it with SIGKILL after
/// delayUs, or lets it end when delayUs is negative. Returns how long it ran after its "go", in
/// microseconds, or -1 when it did not start.
qint64 runAndKill(const QString &program, const QStringList &arguments, qint64 delayUs);

} // namespace ostrel::test
