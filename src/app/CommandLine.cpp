#include "app/CommandLine.h"

#include "journal/JournalFolder.h"
#include "sim/ReplayScript.h"
#include "sim/SimHidPlatform.h"
#include "usb/platform/linux/LinuxHidPlatform.h"

namespace {

const QLatin1String kSimulate("--simulate");
const QLatin1String kReplayInterval("--replay-interval=");
const QLatin1String kJournal("--journal=");
const QLatin1String kNoJournal("--no-journal");
constexpr int kMaxIntervalMs = 24 * 60 * 60 * 1000;

} // namespace

bool CommandLine::parse(const QStringList& arguments, CommandLine& out, QString& error)
{
    out = CommandLine{};
    bool intervalGiven = false;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            out.help = true;
        } else if (argument == QLatin1String("--version")) {
            out.version = true;
        } else if (argument == kSimulate) {
            out.devices = Devices::Simulator;
            out.replayFile.clear();
        } else if (argument.startsWith(kSimulate + QLatin1Char('='))) {
            out.replayFile = argument.mid(kSimulate.size() + 1);
            if (out.replayFile.isEmpty()) {
                error = QStringLiteral("--simulate= needs a file name");
                return false;
            }
            out.devices = Devices::Replay;
        } else if (argument.startsWith(kJournal)) {
            out.journalFolder = argument.mid(kJournal.size());
            if (out.journalFolder.isEmpty()) {
                error = QStringLiteral("--journal= needs a folder");
                return false;
            }
            out.journal = true;
        } else if (argument == kNoJournal) {
            out.journal = false;
        } else if (argument.startsWith(kReplayInterval)) {
            bool ok = false;
            const int ms = argument.mid(kReplayInterval.size()).toInt(&ok);
            if (!ok || ms < 0 || ms > kMaxIntervalMs) {
                error =
                    QStringLiteral("--replay-interval wants milliseconds from 0 to %1, not '%2'")
                        .arg(kMaxIntervalMs)
                        .arg(argument.mid(kReplayInterval.size()));
                return false;
            }
            out.replayIntervalMs = ms;
            intervalGiven = true;
        } else {
            error = QStringLiteral("unknown option '%1'").arg(argument);
            return false;
        }
    }
    if (intervalGiven && !out.help && !out.version && out.devices != Devices::Replay) {
        error = QStringLiteral("--replay-interval needs --simulate=FILE");
        return false;
    }
    return true;
}

QString CommandLine::usage()
{
    return QStringLiteral(
        "Usage: thermologger [--simulate | --simulate=FILE [--replay-interval=MS]]\n"
        "                    [--journal=DIR | --no-journal]\n"
        "       thermologger --help | --version\n"
        "\n"
        "Logs the readings of the thermocouple meter behind its USB interface cable.\n"
        "\n"
        "  --simulate             use a simulated meter and cable instead of the\n"
        "                         machine's HID devices\n"
        "  --simulate=FILE        replay the meter messages of FILE on the simulated\n"
        "                         cable: one message per line as its first 17 frame\n"
        "                         digits (20235100000000001: live T1 reading 23.5 C,\n"
        "                         type K); blank lines and lines starting with # are\n"
        "                         skipped\n"
        "  --replay-interval=MS   time between replayed messages (default 500)\n"
        "  --journal=DIR          keep the table's journal in DIR instead of\n"
        "                         $XDG_STATE_HOME/thermologger (by default\n"
        "                         ~/.local/state/thermologger)\n"
        "  --no-journal           keep no journal: a crash loses the table\n"
        "  -h, --help             show this help\n"
        "      --version          show the program's version\n"
        "\n"
        "While it runs, the program mirrors its table into a journal (an SQLite file)\n"
        "so that a crash or power cut loses at most the last second of a recording;\n"
        "the next start offers it back. Quit and the window's close box delete it.\n"
        "\n"
        "Exit status: 0 when the window was closed, or after --help and --version;\n"
        "2 for a wrong option or a replay file that cannot be used.\n");
}

QString CommandLine::versionText()
{
    return QStringLiteral("thermologger " THERMO_VERSION);
}

QString CommandLine::journalFolderInUse() const
{
    if (!journal)
        return {};
    return journalFolder.isEmpty() ? JournalFolder::defaultPath() : journalFolder;
}

bool CommandLine::loadMeter(std::unique_ptr<MeterMessages>& meter, QString& error) const
{
    switch (devices) {
    case Devices::Machine: meter.reset(); return true;
    case Devices::Simulator: meter = MeterMessages::builtIn(); return true;
    case Devices::Replay:
        meter = ReplayScript::load(replayFile, qint64(replayIntervalMs) * 1000, error);
        return meter != nullptr;
    }
    return false;
}

std::unique_ptr<hid::Platform> CommandLine::makePlatform(std::unique_ptr<MeterMessages> meter) const
{
    if (!meter)
        return hid::makeLinuxHidPlatform();
    return std::make_unique<SimHidPlatform>(std::move(meter), SimClock::system());
}
