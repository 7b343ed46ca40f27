// CPU used by the program while connected to a meter that sends nothing: the
// cable still delivers an empty report every 10 ms and the link watchdog
// ticks every 10 ms. The window runs offscreen on the simulated cable in real
// time; the figure is process CPU time over 10 s of wall time.
#include "Figures.h"
#include "SilentDialogs.h"

#include "app/TFCOMM.h"
#include "sim/ReplayScript.h"
#include "sim/SimHidPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QToolButton>

#include <ctime>

namespace {

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // An empty replay: the meter never answers.
    SimHidPlatform platform(std::make_unique<ReplayScript>(std::vector<std::string>{}, 500 * 1000),
                            SimClock::system());
    SilentDialogs dialogs;
    TFCOMMServices services;
    services.dialogs = &dialogs;
    services.hidPlatform = &platform;
    TFCOMM window(services);
    window.show();
    window.USBCon->click();

    // Settle, then measure 10 s (the watchdog gives up on the meter after 30 s).
    QEventLoop loop;
    QTimer::singleShot(500, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpuBefore = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = processCpuSeconds() - cpuBefore;
    const double seconds = double(wall.nsecsElapsed()) / 1e9;

    figures::print("idle_cpu_percent_connected", 100.0 * cpu / seconds, "%");
    return window.USBCon->isChecked() ? 0 : 1; // still connected throughout
}
