#pragma once

#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace ostrel {

/// SIGINT (Ctrl+C), SIGTERM and SIGHUP (the terminal closed) end the game and give the
/// directory back, rather than leave it changed until the next --restore. They are handled
/// from before the clean-up until quillon is done: a terminal sends Ctrl+C to the game too,
/// and timeout or a second Ctrl+C signals again while the directory is being given back.
class StopSignals
{
public:
    /// onStop runs in the event loop at the first signal. givingBack: whether a later signal
    /// hears that the directory is being given back, or only that the game is being ended.
    StopSignals(bool givingBack, const std::function<void()> &onStop);
    ~StopSignals();

    /// The first stop signal, 0 when none came.
    int received() const;
    /// The game ended by itself: a signal from now on only hears that quillon is still at it.
    void gameEnded();

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

/// A signal as the player knows it: "SIGINT (Ctrl+C)", "SIGHUP (the terminal was closed)", ...
QString signalName(int signal);

} // namespace ostrel
