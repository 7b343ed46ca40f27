#pragma once

#include "protocol/CableFeatureReport.h"
#include "session/CableList.h"
#include "usb/THidEvents.h"

#include <QString>
#include <QtGlobal>

#include <memory>

class QObject;
class THidDeviceController;
namespace hid {
class Platform;
}

// The HID side of the link: the controller, the listed devices with the
// cable chosen, the device the last action used (ActiveCable) and the
// reports written to it. Every action that talks to the cable first takes
// the chosen device as ActiveCable; the watchdog's stop uses it as last set.
class CableLink {
public:
    CableLink();
    ~CableLink();
    CableLink(const CableLink&) = delete;
    CableLink& operator=(const CableLink&) = delete;

    // Creates the controller (platform null: a machine without HID devices)
    // and binds its handlers; binding onChange runs the first device-change
    // cycle at once. The message of a controller that cannot be made, or
    // empty text.
    QString open(hid::Platform* platform, THidNotifyEvent onChange, THidPlugEvent onRemoval);
    // Readers end and the devices go back before the controller goes.
    void close();
    // The listed devices are checked in and listed afresh, the cable chosen.
    // The linked cable, while it stays plugged in, keeps its object, its line
    // and its reader, so no report is lost to another device coming or going;
    // one that has left is checked in and the link is gone. ActiveCable is
    // cleared unless it is the kept object: it must not outlive its object.
    void relist();

    const CableList& cables() const { return cables_; }
    THidDevice* const& active() const { return active_; }
    THidDevice* selectCable(); // ActiveCable := the chosen device
    // The device reading for the session (none: no link).
    THidDevice* linked() const { return linked_; }

    void stopReading();   // ActiveCable := chosen; its reader stops
    void stopActive();    // the reader of ActiveCable as last set stops
    void startReading(const THidDataEvent& handler); // on ActiveCable

    // Each returns false when no cable is chosen. Write failures go
    // unreported: the watchdog notices the missing readings.
    bool writeFeature(const CableFeatureReport::SpeedBoxes& boxes);
    bool writeCommand(quint8 code);
    bool writePreamble();

private:
    bool enumerated(THidDevice* device, qint32 index);
    void arrived(THidDevice*) {}
    void dataError(THidDevice*, quint32) {}
    bool writeOutput(bool preamble, quint8 code);

    std::unique_ptr<THidDeviceController> controller_;
    CableList cables_;
    THidDevice* active_ = nullptr;
    THidDevice* linked_ = nullptr;
};
