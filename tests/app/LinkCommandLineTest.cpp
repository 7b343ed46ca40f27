// The program's options: the HID devices it works with, and what it refuses.
#include "app/CommandLine.h"
#include "sim/MeterMessages.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryFile>

namespace {

CommandLine parsed(const QStringList& arguments)
{
    CommandLine options;
    QString error;
    EXPECT_TRUE(CommandLine::parse(arguments, options, error)) << error.toStdString();
    return options;
}

QString refusal(const QStringList& arguments)
{
    CommandLine options;
    QString error;
    EXPECT_FALSE(CommandLine::parse(arguments, options, error));
    return error;
}

TEST(LinkCommandLineTest, ChoosesTheDevices)
{
    EXPECT_EQ(parsed({}).devices, CommandLine::Devices::Machine);
    EXPECT_EQ(parsed({QStringLiteral("--simulate")}).devices, CommandLine::Devices::Simulator);

    const CommandLine replay =
        parsed({QStringLiteral("--simulate=session.txt"), QStringLiteral("--replay-interval=20")});
    EXPECT_EQ(replay.devices, CommandLine::Devices::Replay);
    EXPECT_EQ(replay.replayFile, QStringLiteral("session.txt"));
    EXPECT_EQ(replay.replayIntervalMs, 20);
    EXPECT_EQ(parsed({QStringLiteral("--simulate=a")}).replayIntervalMs, 500);

    EXPECT_TRUE(parsed({QStringLiteral("--help")}).help);
    EXPECT_TRUE(parsed({QStringLiteral("-h")}).help);
    EXPECT_TRUE(parsed({QStringLiteral("--version")}).version);
    EXPECT_FALSE(parsed({}).version);
}

TEST(LinkCommandLineTest, VersionNamesTheProgramAndItsRelease)
{
    // Help and version need no meter, so an interval without a replay file
    // does not stop them.
    EXPECT_TRUE(
        parsed({QStringLiteral("--version"), QStringLiteral("--replay-interval=10")}).version);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^thermologger \\d+\\.\\d+(\\.\\d+)*$"))
                    .match(CommandLine::versionText())
                    .hasMatch())
        << CommandLine::versionText().toStdString();
    EXPECT_TRUE(CommandLine::usage().contains(QStringLiteral("--version")));
}

TEST(LinkCommandLineTest, ChoosesTheJournalFolderOrNone)
{
    const QByteArray stateHome = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/state");
    const struct {
        QStringList arguments;
        QString folder;
    } cases[] = {
        {{}, QStringLiteral("/state/thermologger")},
        {{QStringLiteral("--journal=/j")}, QStringLiteral("/j")},
        {{QStringLiteral("--no-journal")}, QString()},
        {{QStringLiteral("--journal=/j"), QStringLiteral("--no-journal")}, QString()},
        {{QStringLiteral("--no-journal"), QStringLiteral("--journal=/j")}, QStringLiteral("/j")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parsed(c.arguments).journalFolderInUse(), c.folder)
            << c.arguments.join(' ').toStdString();
    if (stateHome.isNull())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", stateHome);
    EXPECT_EQ(refusal({QStringLiteral("--journal=")}), QStringLiteral("--journal= needs a folder"));
}

TEST(LinkCommandLineTest, RefusesWhatItDoesNotKnow)
{
    EXPECT_EQ(refusal({QStringLiteral("--simulated")}),
              QStringLiteral("unknown option '--simulated'"));
    EXPECT_EQ(refusal({QStringLiteral("-platform"), QStringLiteral("offscreen")}),
              QStringLiteral("unknown option '-platform'"));
    EXPECT_EQ(refusal({QStringLiteral("--simulate=")}),
              QStringLiteral("--simulate= needs a file name"));
    EXPECT_EQ(refusal({QStringLiteral("--replay-interval=10")}),
              QStringLiteral("--replay-interval needs --simulate=FILE"));
    for (const char* bad : {"--replay-interval=", "--replay-interval=-1", "--replay-interval=1s",
                            "--replay-interval=86400001"})
        EXPECT_TRUE(refusal({QStringLiteral("--simulate=a"), QLatin1String(bad)})
                        .startsWith(QStringLiteral("--replay-interval wants milliseconds")))
            << bad;
}

TEST(LinkCommandLineTest, ReplayFileIsReadBeforeTheWindowStarts)
{
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write("# a session\n20235100000000001\n\n2023G\n");
    file.close();
    CommandLine options = parsed({QStringLiteral("--simulate=") + file.fileName()});
    std::unique_ptr<MeterMessages> meter;
    QString error;
    EXPECT_FALSE(options.loadMeter(meter, error));
    EXPECT_EQ(error,
              file.fileName() + QStringLiteral(": line 4: 'G' is not a frame digit (0-9, A-F)"));

    options = parsed({QStringLiteral("--simulate")});
    EXPECT_TRUE(options.loadMeter(meter, error));
    EXPECT_NE(meter, nullptr);
    options = parsed({});
    EXPECT_TRUE(options.loadMeter(meter, error));
    EXPECT_EQ(meter, nullptr); // the machine's own devices
}

} // namespace
