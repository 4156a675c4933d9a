#include "host/fontconfigwarmup.h"

#include <dlfcn.h>

#include <system_error>

namespace ostrel {

FontConfigWarmUp::FontConfigWarmUp()
{
    // Qt's fonts on Linux are fontconfig's, which its GUI library brings along; a Qt built
    // without it has no such function, and nothing is loaded ahead. FcInit may run on any
    // thread: the configuration it loads becomes the process's at once and for all.
    using Init = int (*)();
    const auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit"));
    if (!init)
        return;
    try {
        m_loading = std::thread(init);
    } catch (const std::system_error &) {
        // No thread to spare: the first font loads the configuration, as without this.
    }
}

FontConfigWarmUp::~FontConfigWarmUp()
{
    wait();
}

void FontConfigWarmUp::wait()
{
    if (m_loading.joinable())
        m_loading.join();
}

} // namespace ostrel
