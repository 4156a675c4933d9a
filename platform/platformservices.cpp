#include "platform/platformservices.h"

#include "platform/filedialog.h"
#include "platform/formshower.h"
#include "platform/messageboxes.h"
#include "platform/shell.h"
#include "store/sqlitesettingsstore.h"

namespace ostrel {

PlatformServices PlatformServices::defaults(const QString &storePath)
{
    PlatformServices services;
    services.store =
        std::make_shared<SqliteSettingsStore>(storePath.isEmpty() ? SqliteSettingsStore::defaultPath() : storePath);
    services.fileDialogs = makeQtFileDialogBackend();
    services.messages = makeQtMessageBoxes();
    services.shell = makeDesktopShell();
    services.forms = makeQtFormShower();
    return services;
}

} // namespace ostrel
