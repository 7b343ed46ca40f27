#include "session/LoggerSession.h"

#include "protocol/MeterCommands.h"
#include "protocol/ReadingDecoder.h"
#include "recording/TimeStampFormat.h"
#include "usb/THidDevice.h"

#include <QLocale>

#include <algorithm>

namespace {

const char* const kCableNotConnected =
    "USB interface cable is not securely connected, please check and re-try.";
// Shown when a command is to be sent and no cable is chosen.
const char* const kNoCableForCommand = "USB端未连接产品，请检查!";
const char* const kMeterNotReady =
    "USB interface cable is securely connected, please check if the meter is ready.";
const char* const kRecordDeleted = " Record deleted ";
// Consecutive empty cable reports after which the meter counts as silent.
constexpr qint32 kSilentReports = 3000;
// Watchdog ticks (10 ms each) a decoded frame keeps the link shown as alive.
constexpr qint32 kWatchdogTicks = 2;

} // namespace

LoggerSession::LoggerSession(QObject* parent)
    : QObject(parent), now_([this] { return clock_.now(); }),
      frameActions_{[this] { showFrame(); }, [this] { sendCommand(MeterCommands::Stop); }}
{
    table_.setTimeStampFormat(TimeStampFormat::fromLocale(QLocale::system()));
    state_.NextRecordNo = 1;
    state_.RecordLimit = 10000;
}

LoggerSession::~LoggerSession()
{
    observers_.clear();
    closeDevices();
}

void LoggerSession::addObserver(SessionObserver* observer)
{
    observers_.push_back(observer);
}

void LoggerSession::removeObserver(SessionObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer),
                     observers_.end());
}

template <typename Call> void LoggerSession::notify(Call call)
{
    // By index: an observer's message box runs the event loop, during which
    // observers may come or go.
    for (std::size_t i = 0; i < observers_.size(); ++i)
        call(*observers_[i]);
}

void LoggerSession::tell(const QString& text)
{
    notify([&](SessionObserver& o) { o.information(text); });
}

void LoggerSession::noCable(const char* text)
{
    wanted_ = false;
    tell(QString::fromUtf8(text));
    notify([](SessionObserver& o) { o.connectionReleased(); });
}

void LoggerSession::openDevices(hid::Platform* platform)
{
    const QString failure =
        link_.open(platform, THidNotifyEvent(this, &LoggerSession::devicesChanged),
                   THidPlugEvent(this, &LoggerSession::deviceRemoved));
    if (!failure.isEmpty())
        tell(failure);
}

void LoggerSession::closeDevices()
{
    wanted_ = false;
    link_.close();
}

void LoggerSession::devicesChanged(QObject*)
{
    // The relisting keeps the linked cable reading while it is plugged in;
    // any other device may come or go meanwhile.
    link_.relist();
    notify([](SessionObserver& o) { o.devicesListed(); });
    if (wanted_ && !link_.linked())
        resumeLink();
}

void LoggerSession::deviceRemoved(THidDevice* device)
{
    // Only the linked cable's leaving matters: the button goes up and the
    // relisting that follows checks the cable in, which ends its reader.
    // The wish to be connected stays, so the cable is taken up again when it
    // comes back.
    if (device && device == link_.linked())
        notify([](SessionObserver& o) { o.connectionReleased(); });
}

void LoggerSession::resumeLink()
{
    // As a connect press for live readings, but never a download: a cable
    // that comes back must not empty the table. Rows and the schedule's
    // state go on from where the cable left.
    THidDevice* cable = link_.selectCable();
    if (!cable || !cable->CanReadWrite())
        return;
    state_.EmptyReportCount = 0;
    state_.ReportHex.clear();
    downloading_ = false;
    sendSpeed();
    sendPreamble();
    link_.startReading(THidDataEvent(this, &LoggerSession::takeReport));
    sendCommand(MeterCommands::StartLive);
    notify([](SessionObserver& o) { o.linkStateChanged(SessionObserver::LinkState::Connected); });
}

void LoggerSession::stopReading()
{
    link_.stopReading();
}

void LoggerSession::sendSpeed()
{
    if (!link_.writeFeature(speed_))
        noCable(kCableNotConnected);
}

void LoggerSession::sendPreamble()
{
    if (!link_.writePreamble())
        noCable(kCableNotConnected);
}

void LoggerSession::sendCommand(quint8 code)
{
    if (!link_.writeCommand(code))
        noCable(kNoCableForCommand);
}

void LoggerSession::pressConnection(bool connect)
{
    // Reports go out in this order: feature report (serial speed), then on
    // connect the preamble and command 1 or 7, on disconnect command 2.
    wanted_ = false;
    link_.stopReading();
    sendSpeed();
    state_.EmptyReportCount = 0;
    THidDevice* cable = link_.selectCable();
    if (!cable || !cable->CanReadWrite())
        return;

    if (connect) {
        wanted_ = true;
        downloading_ = recall_;
        notify([](SessionObserver& o) { o.linkStateChanged(SessionObserver::LinkState::Connected); });
        state_.ReportHex.clear();
        link_.stopReading();
        sendPreamble();
        link_.startReading(THidDataEvent(this, &LoggerSession::takeReport));
        if (recall_) {
            // The message box runs the event loop: reports already arrive.
            tell(QString::fromUtf8(kRecordDeleted));
            if (table_.rowCount() > 0)
                table_.clear();
            state_.NextRecordNo = 1;
            state_.RecordCount = 0;
            startNewRecording();
            sendCommand(MeterCommands::SendStored);
        } else {
            sendCommand(MeterCommands::StartLive);
        }
    } else {
        sendCommand(MeterCommands::Stop); // while the reader still runs
        link_.stopActive();
        notify([](SessionObserver& o) { o.linkStateChanged(SessionObserver::LinkState::Idle); });
    }
}

void LoggerSession::takeReport(THidDevice*, quint8, const quint8* data, quint16 size)
{
    FrameBuilder(state_).takeReport(data, size, downloading_, frameActions_);
}

void LoggerSession::watchdogTick()
{
    // The rest runs on every third tick after a frame last reset the count,
    // so the link shows as alive briefly once per reading.
    if (state_.LinkWatchdog != kWatchdogTicks) {
        ++state_.LinkWatchdog;
        return;
    }
    if (state_.EmptyReportCount >= kSilentReports) {
        state_.EmptyReportCount = 0;
        wanted_ = false; // the meter is off: a cable coming back is not taken up
        notify([](SessionObserver& o) { o.connectionReleased(); });
        link_.stopActive();
        tell(QString::fromUtf8(kMeterNotReady));
    }
    notify([](SessionObserver& o) { o.readingsArriving(false); });
    state_.LinkWatchdog = 0;
}

void LoggerSession::showFrame()
{
    // A frame that cannot be decoded is dropped before anything changes; the
    // link goes on with the next one.
    const std::optional<DecodedReading> reading =
        ReadingDecoder::decode(state_.CurrentFrame, readout_.decimalSep);
    if (!reading)
        return;
    state_.LinkWatchdog = 0;
    notify([](SessionObserver& o) { o.readingsArriving(true); });
    const std::optional<Verdict> verdict = readout_.apply(*reading, state_);
    notify([&](SessionObserver& o) { o.readingDecoded(*reading, verdict); });
    recordReading();
}

void LoggerSession::recordReading()
{
    const ReadingTexts reading{state_.ChannelText, state_.ValueText, state_.UnitText,
                               state_.JudgeText};
    const schedule::Decision decision =
        schedule::recordReading(state_, schedule_, reading, table_, now_);
    if (decision.outcome == schedule::Outcome::Recorded) {
        const int row = table_.rowCount() - 1;
        notify([row](SessionObserver& o) { o.rowAppended(row); });
    }
    if (decision.toChart()) {
        const double value = state_.CurrentValue;
        notify([value](SessionObserver& o) { o.chartValueAdded(value); });
    }
}

void LoggerSession::scheduleTick()
{
    schedule::tick(state_, schedule_.intervalOn);
}

void LoggerSession::reloadInterval(qint32 seconds)
{
    schedule_.interval = seconds;
    state_.SampleCountdown = seconds;
}

void LoggerSession::startNewRecording()
{
    if (table_.rowCount() > 0)
        table_.clear();
    schedule::restartNumbering(state_);
    notify([](SessionObserver& o) { o.tableEmptied(); });
    tell(QString::fromUtf8(kRecordDeleted));
}
