#pragma once

#include <QString>
#include <QStringList>

namespace ostrel::test {

/// The game directory and TC the crash test works on: dozens of files, among them leftovers
/// to trash (some with spaces, quotes, $( ), a newline or bytes that are not UTF-8), files in
/// the way of copies in (one with the TC's very bytes), existing .org names, a folder and a link.
void makeCrashGameDir(const QString &gameDir);
void makeCrashTc(const QString &tcDir);

/// The TCs whose launches the crash test kills, in turn: the crash test's TC (tcDir) for the
/// DOS game under two names, with the Rename preference, in the store storePath.
QStringList makeCrashStore(const QString &storePath, const QString &tcDir);

/// Plans the clean-up of gameDir for the TC in tcDir as the launch of a DOS-style engine does
/// (Delete preference, the TC's con and two data files copied in) and applies it with the
/// desktop trash, journaled in stateDir. Prints "go" first.
int applyCrashPlan(const QString &gameDir, const QString &tcDir, const QString &stateDir);

} // namespace ostrel::test
