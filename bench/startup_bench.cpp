// quillon's whole start, from the process's start to its window shown and the program ended,
// against a bare Qt Widgets window (bare_window.cpp), on the offscreen platform. The two run
// as whole processes taking turns (A B, B A, ...), and the ratio is taken pair by pair, so a
// slow spell of the machine weighs on both sides of the pairs it falls in.
//
//   ostrel_bench_startup QUILLON BARE_WINDOW [PAIRS] > startup.json
//
// quillon runs on a store of 100 TC definitions, in an empty home (no Steam, no GOG, no
// engine), and quits as soon as its event loop runs (--quit-after 0).

#include "bench/storefixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Wall-clock milliseconds of one whole run, or a negative number when it failed.
double timedRun(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return -1;
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: ostrel_bench_startup QUILLON BARE_WINDOW [PAIRS]\n");
        return 2;
    }
    const QString quillon = args[1], bare = args[2];
    const int pairs = args.size() > 3 ? args[3].toInt() : 31;

    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
    environment.insert(QStringLiteral("HOME"), home.path());
    for (const char *folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        environment.insert(QString::fromLatin1(folder), home.path() + u'/' + QString::fromLatin1(folder));
    const QStringList quillonArguments{QStringLiteral("--store"), ostrel::bench::storeWithDefinitions(100),
        QStringLiteral("--quit-after"), QStringLiteral("0")};

    // One run of each, not counted: the libraries and fonts come into the page cache.
    if (timedRun(quillon, quillonArguments, environment) < 0 || timedRun(bare, {}, environment) < 0) {
        std::fprintf(stderr, "ostrel_bench_startup: a program did not start or did not end well\n");
        return 1;
    }
    QList<double> quillonMs, bareMs, ratios;
    for (int pair = 0; pair < pairs; ++pair) {
        const bool quillonFirst = pair % 2 == 0;
        const double first =
            quillonFirst ? timedRun(quillon, quillonArguments, environment) : timedRun(bare, {}, environment);
        const double second =
            quillonFirst ? timedRun(bare, {}, environment) : timedRun(quillon, quillonArguments, environment);
        if (first < 0 || second < 0) {
            std::fprintf(stderr, "ostrel_bench_startup: a run did not end well\n");
            return 1;
        }
        quillonMs << (quillonFirst ? first : second);
        bareMs << (quillonFirst ? second : first);
        ratios << quillonMs.constLast() / bareMs.constLast();
    }
    const QJsonObject result{{QStringLiteral("pairs"), pairs}, {QStringLiteral("quillon_ms"), median(quillonMs)},
        {QStringLiteral("bare_ms"), median(bareMs)}, {QStringLiteral("ratio"), median(ratios)},
        {QStringLiteral("ratio_min"), *std::min_element(ratios.cbegin(), ratios.cend())},
        {QStringLiteral("ratio_max"), *std::max_element(ratios.cbegin(), ratios.cend())}};
    std::fputs(QJsonDocument(result).toJson().constData(), stdout);
    return 0;
}
