#include "killloop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <cstdio>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ostrel::test {

KillLoopOptions killLoopOptions(const QStringList &arguments, const QString &programOption, const QString &programName)
{
    const auto option = [&](const QString &name, const QString &fallback) {
        const qsizetype at = arguments.indexOf(name);
        return at > 0 && at + 1 < arguments.size() ? arguments[at + 1] : fallback;
    };
    return {option(QStringLiteral("--kills"), QStringLiteral("200")).toInt(),
        option(QStringLiteral("--seed"), QString::number(QRandomGenerator::system()->generate())).toUInt(),
        option(programOption, QCoreApplication::applicationDirPath() + u'/' + programName)};
}

qint64 runAndKill(const QString &program, const QStringList &arguments, qint64 delayUs, KillTarget target, bool quiet)
{
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setChildProcessModifier([] { ::setpgid(0, 0); });
    child.start(program, arguments);
    if (!child.waitForReadyRead(30000)) {
        std::fprintf(stderr, "%s did not start: %s\n", qPrintable(program), qPrintable(child.errorString()));
        return -1;
    }
    child.readAll(); // the "go"
    QElapsedTimer timer;
    timer.start();
    const pid_t group = pid_t(child.processId());
    if (delayUs >= 0) {
        QThread::usleep(quint64(delayUs));
        if (target == KillTarget::Group)
            ::kill(-group, SIGKILL);
        else
            child.kill();
    }
    child.waitForFinished(-1);
    const qint64 ranUs = timer.nsecsElapsed() / 1000;
    if (!quiet)
        std::fputs(child.readAll().constData(), stderr);
    // A game outlives the program that started it, and ends by itself; as the subreaper, this
    // process reaps it then, so that it does not stay a zombie of the group.
    for (int waited = 0; ::waitpid(-group, nullptr, WNOHANG) >= 0 || ::kill(-group, 0) == 0; waited += 5) {
        if (waited > 60000) {
            std::fprintf(stderr, "what %s started did not end\n", qPrintable(program));
            ::kill(-group, SIGKILL);
            return -1;
        }
        QThread::msleep(5);
    }
    return ranUs;
}

} // namespace ostrel::test
