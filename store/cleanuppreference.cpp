#include "store/cleanuppreference.h"

using namespace Qt::StringLiterals;

namespace ostrel {

QString cleanupPreferenceText(CleanupPreference preference)
{
    switch (preference) {
    case CleanupPreference::Delete:
        return u"Delete"_s;
    case CleanupPreference::Rename:
        return u"Rename"_s;
    case CleanupPreference::None:
        return u"None"_s;
    case CleanupPreference::Unknown:
        break;
    }
    return {};
}

CleanupPreference parseCleanupPreference(const QString &stored)
{
    for (CleanupPreference known : {CleanupPreference::Delete, CleanupPreference::Rename, CleanupPreference::None}) {
        if (stored.compare(cleanupPreferenceText(known), Qt::CaseInsensitive) == 0)
            return known;
    }
    return CleanupPreference::Unknown;
}

} // namespace ostrel
