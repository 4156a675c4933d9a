#include "launcher/versionfit.h"

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

const QString k13D = u"1.3D"_s;
const QString k14Or15 = u"1.4/1.5 Atomic"_s;
const QString kEither = u"1.3D and 1.4/1.5"_s;

bool is13D(GameEdition edition)
{
    return edition == GameEdition::V13D || edition == GameEdition::V13DCensored;
}

// The game in the words of a message: the World Tour by its own name, since its group is not
// the Atomic Edition's although it has the same size.
QString installedGame(GameEdition edition)
{
    if (edition == GameEdition::WorldTour)
        return u"the 20th Anniversary World Tour's main group"_s;
    return u"Duke Nukem 3D %1"_s.arg(gameEditionName(edition));
}

} // namespace

TcVersionNeed tcVersionNeedOf(const QString &versionText)
{
    const QString text = versionText.trimmed();
    if (text.compare(k13D, Qt::CaseInsensitive) == 0)
        return TcVersionNeed::V13D;
    if (text.compare(k14Or15, Qt::CaseInsensitive) == 0)
        return TcVersionNeed::V14Or15;
    if (text.compare(kEither, Qt::CaseInsensitive) == 0)
        return TcVersionNeed::Either;
    return TcVersionNeed::Unrecognised;
}

QStringList tcVersionTextsFor(GameEdition edition)
{
    switch (gameVersionOf(edition)) {
    case GameVersion::V13D:
        return edition == GameEdition::Shareware ? QStringList() : QStringList{k13D, kEither};
    case GameVersion::V14Or15:
        return {k14Or15, kEither};
    case GameVersion::Unknown:
        break;
    }
    return {};
}

GameVersion gameVersionOf(GameEdition edition)
{
    switch (edition) {
    case GameEdition::V13D:
    case GameEdition::V13DCensored:
    case GameEdition::Shareware:
        return GameVersion::V13D;
    case GameEdition::V14Plutonium:
    case GameEdition::V15Atomic:
    case GameEdition::WorldTour:
        return GameVersion::V14Or15;
    case GameEdition::Unknown:
        break;
    }
    return GameVersion::Unknown;
}

VersionDecision decideVersionFit(const QString &tcVersion, const MainGroupIdentity &installed)
{
    VersionDecision decision;
    const GameEdition edition = installed.edition;
    if (edition == GameEdition::Shareware) {
        decision.fit = VersionFit::Refused;
        decision.reason = u"The game directory holds the shareware 1.3D, which has only the first episode: "
                          "TCs need the full game (1.3D or 1.4/1.5 Atomic)."_s;
        return decision;
    }
    if (!installed.ok()) {
        decision.warning = u"The installed game's version cannot be told: %1"_s.arg(installed.error);
        return decision;
    }
    if (edition == GameEdition::Unknown) {
        decision.warning =
            u"The installed game's version cannot be told: its main group, %1, is none of the known releases."_s.arg(
                describeMainGroup(installed));
        return decision;
    }

    const TcVersionNeed need = tcVersionNeedOf(tcVersion);
    const bool worldTour = edition == GameEdition::WorldTour;
    const QString worldTourWarning = u"The game is the 20th Anniversary World Tour, whose main group is not the Atomic "
                                     "Edition's: TCs made before it may not run on it."_s;
    if (need == TcVersionNeed::Unrecognised) {
        decision.warning =
            u"Whether this TC runs on %1 cannot be told: its version \"%2\" is none of %3, %4 or %5."_s.arg(
                installedGame(edition), tcVersion, k13D, k14Or15, kEither);
        if (worldTour)
            decision.warning += u' ' + worldTourWarning;
        return decision;
    }
    const bool fits = need == TcVersionNeed::Either || (need == TcVersionNeed::V13D) == is13D(edition);
    if (!fits) {
        decision.fit = VersionFit::AskFirst;
        decision.reason = u"This TC is made for Duke Nukem 3D %1, and the game directory holds %2."_s.arg(
            need == TcVersionNeed::V13D ? k13D : k14Or15, installedGame(edition));
    }
    if (worldTour)
        decision.warning = worldTourWarning;
    return decision;
}

} // namespace ostrel
