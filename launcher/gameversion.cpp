#include "launcher/gameversion.h"

using namespace Qt::StringLiterals;

namespace ostrel {

GameVersion gameVersionFromMainGroupSize(qint64 size)
{
    switch (size) {
    case 26524524:
        return GameVersion::V13D;
    case 44348015: // 1.4 (Plutonium Pak)
    case 44356548: // 1.5 (Atomic Edition), also the 20th anniversary's
        return GameVersion::V14Or15;
    default:
        return GameVersion::Unknown;
    }
}

VersionCheck checkGameVersion(const QString &tcVersion, GameVersion installed)
{
    VersionCheck check;
    const QString version = tcVersion.trimmed();
    enum {
        Needs13,
        Needs14,
        Either,
        Unknown
    } needs = Unknown;
    if (version.compare(u"1.3D"_s, Qt::CaseInsensitive) == 0)
        needs = Needs13;
    else if (version.compare(u"1.4/1.5 Atomic"_s, Qt::CaseInsensitive) == 0)
        needs = Needs14;
    else if (version.compare(u"1.3D and 1.4/1.5"_s, Qt::CaseInsensitive) == 0)
        needs = Either;

    if (needs == Either) {
        check.known = true;
        return check;
    }
    if (needs == Unknown) {
        check.message =
            u"The TC's version \"%1\" is none of 1.3D, 1.4/1.5 Atomic or 1.3D and 1.4/1.5."_s.arg(tcVersion);
        return check;
    }
    if (installed == GameVersion::Unknown) {
        check.message = u"The installed game's version cannot be told from the size of its group file."_s;
        return check;
    }
    check.known = true;
    check.matches = (needs == Needs13) == (installed == GameVersion::V13D);
    if (!check.matches)
        check.message = needs == Needs13 ? u"This TC needs Duke Nukem 3D 1.3D."_s
                                         : u"This TC needs Duke Nukem 3D 1.4/1.5 Atomic."_s;
    return check;
}

} // namespace ostrel
