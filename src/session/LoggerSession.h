#pragma once

#include "protocol/CableFeatureReport.h"
#include "protocol/FrameBuilder.h"
#include "recording/ReadingTable.h"
#include "recording/SamplingSchedule.h"
#include "recording/WallClock.h"
#include "session/CableLink.h"
#include "session/LoggerState.h"
#include "session/ReadoutUpdate.h"
#include "session/SessionObserver.h"

#include <QObject>

#include <vector>

// One recording session without widgets: the link to the meter's cable and
// the road of a reading from cable report to table row. A face feeds it
// plain values and presses, and shows what it reports to its observers.
// Lives on one thread (the GUI thread under a window); the cable's read
// thread hands each report over to it and waits.
class LoggerSession : public QObject {
public:
    explicit LoggerSession(QObject* parent = nullptr);
    ~LoggerSession() override;

    void addObserver(SessionObserver* observer);
    void removeObserver(SessionObserver* observer);

    LoggerState& state() { return state_; }
    ReadingTable& table() { return table_; }
    const CableList& cables() const { return link_.cables(); }
    THidDevice* const& activeCable() const { return link_.active(); }

    // Settings; each holds from the next report, reading or tick on.
    void setDecimalSeparator(const QString& separator) { readout_.decimalSep = separator; }
    void setLimits(const ReadoutLimits& limits) { readout_.limits = limits; }
    void setSchedule(const ScheduleSettings& settings) { schedule_ = settings; }
    void setRecordLimit(qint32 limit) { state_.RecordLimit = limit; }
    void setRecall(bool download) { recall_ = download; } // stored readings, not live ones
    void setSpeedBoxes(const CableFeatureReport::SpeedBoxes& boxes) { speed_ = boxes; }

    // The link. openDevices lists the devices (platform null: none); a
    // controller that cannot be made is reported as a message.
    void openDevices(hid::Platform* platform);
    void closeDevices();
    void pressConnection(bool connect); // the press and the state it asks for
    // The user quits: a cable that comes back is left alone.
    void forgoConnection() { wanted_ = false; }
    // A connect press succeeded and no disconnect, quit or silent meter has
    // ended it since: a cable that comes back is connected again.
    bool connectionWanted() const { return wanted_; }
    THidDevice* selectCable() { return link_.selectCable(); }
    void stopReading();
    void sendSpeed();
    void sendPreamble();
    void sendCommand(quint8 code);
    void takeReport(THidDevice* device, quint8 reportId, const quint8* data, quint16 size);
    void watchdogTick(); // every 10 ms

    // The reading's road from a built frame on, and the schedule's inputs.
    void showFrame();     // decodes state().CurrentFrame
    void recordReading(); // the current reading, through the schedule
    void scheduleTick();  // every second
    void reloadInterval(qint32 seconds);
    void startNewRecording();

private:
    void devicesChanged(QObject* sender);
    void deviceRemoved(THidDevice* device);
    void resumeLink();
    void tell(const QString& text);
    void noCable(const char* text);
    template <typename Call> void notify(Call call);

    LoggerState state_;
    ReadingTable table_;
    CableLink link_;
    ReadoutUpdate readout_;
    ScheduleSettings schedule_;
    CableFeatureReport::SpeedBoxes speed_{true, false, false}; // 2400, as the window starts
    bool recall_ = false;
    bool wanted_ = false;
    bool downloading_ = false; // the link was asked for stored readings
    WallClock clock_;
    std::function<QDateTime()> now_;
    FrameBuilder::Actions frameActions_;
    std::vector<SessionObserver*> observers_;
};
