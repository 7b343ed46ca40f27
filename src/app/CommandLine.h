#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class MeterMessages;
namespace hid {
class Platform;
}

// The program's only options: where the HID devices come from, where the
// table's journal goes, help and version.
//   --simulate             the simulated meter and cable
//   --simulate=FILE        the simulated cable replaying the messages of FILE
//   --replay-interval=MS   time between replayed messages (default 500)
//   --journal=DIR          the journal's folder (default: JournalFolder::defaultPath)
//   --no-journal           no journal
//   --help, -h             usage
//   --version              program name and version
struct CommandLine {
    enum class Devices { Machine, Simulator, Replay };

    Devices devices = Devices::Machine;
    QString replayFile;
    int replayIntervalMs = 500;
    QString journalFolder; // empty: the default folder
    bool journal = true;
    bool help = false;
    bool version = false;

    // The arguments after the program name; false with error set when one
    // is unknown or malformed.
    static bool parse(const QStringList& arguments, CommandLine& out, QString& error);
    static QString usage();
    // "thermologger <version>", the version the build was made from.
    static QString versionText();

    // The folder the window journals its table into; empty: no journal.
    QString journalFolderInUse() const;

    // The meter behind the simulated cable (none for the machine's devices);
    // false with error set when the replay file cannot be used.
    bool loadMeter(std::unique_ptr<MeterMessages>& meter, QString& error) const;
    // The HID devices the window works with. Call on the GUI thread, after
    // the application object exists; meter as loadMeter gave it.
    std::unique_ptr<hid::Platform> makePlatform(std::unique_ptr<MeterMessages> meter) const;
};
