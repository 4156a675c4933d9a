#pragma once

#include <QStringView>

namespace ostrel {

/// The application under which every setting of the launcher lives in the settings store.
inline constexpr QStringView kApplication = u"Vantrel";
/// The host's display name: the title of every message box, the script editor's caption and
/// the script files' filter, and the store section of the host's own settings.
inline constexpr QStringView kHostName = u"Quillon";

} // namespace ostrel
