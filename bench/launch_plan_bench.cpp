// The clean-up plan for a launch as the host makes it before showing the preview: the TC's
// group directory read from disk (a 44 MB group file of 3,000 members, sparse), the game
// directory listed (1,000 files, 300 of them the TC's member names in another case) and the
// plan worked out. The target is well under 50 ms for all three.

#include "launcher/cleanupplan.h"
#include "launcher/grpfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

struct Fixture {
    QTemporaryDir root;
    QString gameDir = root.filePath(u"game"_s);
    QString group = root.filePath(u"TC.GRP"_s);

    Fixture()
    {
        constexpr int members = 3000;
        constexpr qint64 groupSize = 44 * 1000 * 1000;
        QByteArray header("KenSilverman");
        char word[4];
        qToLittleEndian<quint32>(members, word);
        header.append(word, 4);
        const qint64 dataSize = groupSize - 16 - 16 * members;
        for (int i = 0; i < members; ++i) {
            header += QByteArray("M%1.ART").replace("%1", QByteArray::number(i)).leftJustified(12, '\0', true);
            qToLittleEndian<quint32>(quint32(dataSize / members + (i == 0 ? dataSize % members : 0)), word);
            header.append(word, 4);
        }
        QFile file(group);
        file.open(QIODevice::WriteOnly);
        file.write(header);
        file.resize(groupSize); // sparse: the data is never read
        file.close();

        QDir().mkpath(gameDir);
        for (int i = 0; i < 1000; ++i) {
            const QString name = i < 300 ? u"m%1.art"_s.arg(i * 10) : u"FILE%1.DAT"_s.arg(i);
            QFile f(gameDir + u'/' + name);
            f.open(QIODevice::WriteOnly);
            f.write("x");
        }
    }
};

void BM_PlanForALaunch(benchmark::State &state)
{
    static Fixture fixture;
    for (auto _ : state) {
        const ostrel::GrpDirectory directory = ostrel::readGrpDirectory(fixture.group);
        ostrel::CleanupInput input;
        input.gameDir = fixture.gameDir;
        input.listing = ostrel::listDirectory(fixture.gameDir);
        input.duplicateNames.reserve(directory.members.size());
        for (const ostrel::GrpMember &member : directory.members)
            input.duplicateNames << member.name;
        input.mainGroupNames = {u"DUKE3D.GRP"_s};
        input.preference = ostrel::CleanupPreference::Rename;
        const ostrel::CleanupPlan plan = ostrel::planCleanup(input);
        if (directory.members.size() != 3000 || plan.steps.size() != 300)
            state.SkipWithError("unexpected fixture");
        benchmark::DoNotOptimize(plan);
    }
}
BENCHMARK(BM_PlanForALaunch)->Unit(benchmark::kMillisecond);

} // namespace
