#include "platform/libraryfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace ostrel {

namespace {

// Internal linkage: an exported symbol could resolve to another copy of the library.
void anchorInThisLibrary() { }

QString libraryFilePath()
{
#ifdef Q_OS_WIN
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&anchorInThisLibrary), &module))
        return {};
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameW(module, buffer, MAX_PATH);
    return QString::fromWCharArray(buffer, int(n));
#else
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&anchorInThisLibrary), &info) == 0 || !info.dli_fname)
        return {};
    return QFile::decodeName(info.dli_fname);
#endif
}

} // namespace

QString libraryVolumeRoot()
{
    const QString folder = QFileInfo(libraryFilePath()).canonicalPath();
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(folder).left(3);
#else
    QString root = folder.isEmpty() ? QDir::rootPath() : QStorageInfo(folder).rootPath();
    if (root.isEmpty())
        root = QDir::rootPath();
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return root;
#endif
}

} // namespace ostrel
