#include "launcher/enginediscovery.h"

#include "launcher/engine.h"

#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

QString engineTitle(EngineKind kind)
{
    return kind == EngineKind::Custom ? u"The custom engine"_s : engineKindName(kind);
}

// "a", "a and b", "a, b and c".
QString spokenList(const QStringList &items)
{
    if (items.size() < 2)
        return items.value(0);
    return items.first(items.size() - 1).join(u", "_s) + u" and "_s + items.constLast();
}

} // namespace

QStringList engineProgramNames(EngineKind kind)
{
    switch (kind) {
    case EngineKind::EDuke32:
        return {u"eduke32"_s};
    case EngineKind::Raze:
        return {u"raze"_s};
    case EngineKind::DosBox:
        return {u"dosbox"_s, u"dosbox-staging"_s, u"dosbox-x"_s};
    case EngineKind::Custom:
        break;
    }
    return {};
}

QStringList engineFlatpakIds(EngineKind kind)
{
    switch (kind) {
    case EngineKind::EDuke32:
        return {u"com.eduke32.EDuke32"_s};
    case EngineKind::Raze:
        return {u"org.zdoom.Raze"_s};
    case EngineKind::DosBox:
        // DOSBox Staging and DOSBox-X take the same -c options.
        return {u"io.github.dosbox-staging"_s, u"com.dosbox_x.DOSBox-X"_s};
    case EngineKind::Custom:
        break;
    }
    return {};
}

QStringList defaultFlatpakAppFolders()
{
    return {u"/var/lib/flatpak/app"_s,
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/flatpak/app"_s};
}

EngineInstall findEngine(const EngineSettings &settings, const QStringList &flatpakAppFolders)
{
    EngineInstall install;
    if (!settings.program.isEmpty()) {
        const QString found = settings.program.contains(u'/')
            ? (QFileInfo(settings.program).isExecutable() && QFileInfo(settings.program).isFile() ? settings.program
                                                                                                  : QString())
            : QStandardPaths::findExecutable(settings.program);
        if (found.isEmpty()) {
            install.error = u"The engine \"%1\" is not installed or cannot be run."_s.arg(settings.program);
            return install;
        }
        install.kind = EngineInstall::Kind::Native;
        install.program = found;
        return install;
    }
    if (settings.kind == EngineKind::Custom) {
        install.error = u"The custom engine has no program."_s;
        return install;
    }

    QString native;
    for (const QString &name : engineProgramNames(settings.kind)) {
        native = QStandardPaths::findExecutable(name);
        if (!native.isEmpty())
            break;
    }
    QString flatpakId;
    for (const QString &id : engineFlatpakIds(settings.kind)) {
        for (const QString &folder : flatpakAppFolders) {
            if (QFileInfo(folder + u'/' + id).isDir())
                flatpakId = id;
        }
        if (!flatpakId.isEmpty())
            break;
    }
    const QString flatpak = flatpakId.isEmpty() ? QString() : QStandardPaths::findExecutable(u"flatpak"_s);
    if (!flatpak.isEmpty() && (settings.preferFlatpak || native.isEmpty())) {
        install.kind = EngineInstall::Kind::Flatpak;
        install.program = flatpak;
        install.flatpakId = flatpakId;
    } else if (!native.isEmpty()) {
        install.kind = EngineInstall::Kind::Native;
        install.program = native;
    } else {
        const QStringList programs = engineProgramNames(settings.kind);
        const QStringList apps = engineFlatpakIds(settings.kind);
        install.error = u"%1 was not found: %2, and %3."_s.arg(engineTitle(settings.kind),
            programs.size() == 1 ? u"%1 is not on PATH"_s.arg(programs.constFirst())
                                 : u"none of %1 is on PATH"_s.arg(spokenList(programs)),
            apps.size() == 1 ? u"its Flatpak app %1 is not installed"_s.arg(apps.constFirst())
                             : u"none of its Flatpak apps, %1, is installed"_s.arg(spokenList(apps)));
    }
    return install;
}

} // namespace ostrel
