#include "installer/libarchiveloader.h"

#include <QStringList>

#include <dlfcn.h>

#include <type_traits>

using namespace Qt::StringLiterals;

namespace ostrel::libarchive {

namespace {

// The soname of libarchive 3 (see the check in the header).
constexpr char kLibrary[] = "libarchive.so.13";

struct Loaded {
    Functions functions;
    QString error;
};

Loaded loadLibrary()
{
    Loaded loaded;
    // Never unloaded: the functions are kept for the life of the program.
    void *library = ::dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        loaded.error = u"Quillon cannot read archives: %1 could not be loaded (%2). Install libarchive13."_s.arg(
            QString::fromLatin1(kLibrary), QString::fromLocal8Bit(::dlerror()));
        return loaded;
    }
    QStringList missing;
    const auto resolve = [&](auto &function, const char *name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(library, name));
        if (!function)
            missing << QString::fromLatin1(name);
    };
#define OSTREL_LIBARCHIVE_RESOLVE(name) resolve(loaded.functions.name, #name);
    OSTREL_LIBARCHIVE_FUNCTIONS(OSTREL_LIBARCHIVE_RESOLVE)
#undef OSTREL_LIBARCHIVE_RESOLVE
    if (!missing.isEmpty())
        loaded.error = u"Quillon cannot read archives: %1 lacks %2; it is older than libarchive 3.6."_s.arg(
            QString::fromLatin1(kLibrary), missing.join(u", "_s));
    return loaded;
}

const Loaded &loadedLibrary()
{
    static const Loaded loaded = loadLibrary();
    return loaded;
}

} // namespace

QString load()
{
    return loadedLibrary().error;
}

const Functions &functions()
{
    return loadedLibrary().functions;
}

} // namespace ostrel::libarchive
