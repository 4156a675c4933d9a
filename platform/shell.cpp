#include "platform/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace ostrel {

namespace {

// The path goes to the desktop as a file URL: no command line is ever built from it,
// so quotes, "$()" or ";" in a name are only characters of a file name.
class DesktopShell final : public Shell
{
public:
    void open(QWidget *, const QString &path) override { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }
};

} // namespace

std::shared_ptr<Shell> makeDesktopShell()
{
    return std::make_shared<DesktopShell>();
}

} // namespace ostrel
