#pragma once

#include <thread>

namespace ostrel {

/// Loads fontconfig's configuration on a thread of its own. The first font a window asks for
/// makes fontconfig read and parse every file of its configuration, some milliseconds of a
/// start; begun once the application object is made, that runs while the start does other
/// work, such as opening the store. Call wait() before the first font is asked for: until the
/// configuration is loaded, a second thread asking for it would load it a second time.
class FontConfigWarmUp
{
public:
    FontConfigWarmUp();
    ~FontConfigWarmUp();
    FontConfigWarmUp(const FontConfigWarmUp &) = delete;
    FontConfigWarmUp &operator=(const FontConfigWarmUp &) = delete;

    /// Returns once the configuration is loaded (at once when it was not loaded here).
    void wait();

private:
    std::thread m_loading;
};

} // namespace ostrel
