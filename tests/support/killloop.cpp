#include "killloop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <cstdio>

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

qint64 runAndKill(const QString &program, const QStringList &arguments, qint64 delayUs)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, arguments);
    if (!child.waitForReadyRead(30000)) {
        std::fprintf(stderr, "%s did not start: %s\n", qPrintable(program), qPrintable(child.errorString()));
        return -1;
    }
    QElapsedTimer timer;
    timer.start();
    if (delayUs >= 0) {
        QThread::usleep(quint64(delayUs));
        child.kill();
    }
    child.waitForFinished(-1);
    return timer.nsecsElapsed() / 1000;
}

} // namespace ostrel::test
