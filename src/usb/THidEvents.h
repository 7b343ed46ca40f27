#pragma once

#include "usb/THidHandler.h"

#include <QtGlobal>

class QObject;
class THidDevice;

// The handler types of the HID devices and their controller. Bind a member
// function as THidDataEvent(this, &TFCOMM::HidDataArrived).

// A device appeared, disappeared or was marked unplugged.
using THidPlugEvent = THidHandler<void(THidDevice* HidDev)>;

// One input report: ReportID is its first byte, Data points to the Size bytes
// after it and is valid only during the call.
using THidDataEvent =
    THidHandler<void(THidDevice* HidDev, quint8 ReportID, const quint8* Data, quint16 Size)>;

// A read could not be issued; Error is the system error code.
using THidDataErrorEvent = THidHandler<void(THidDevice* HidDev, quint32 Error)>;

// Called for each plugged-in device with its list index; false stops the walk.
using THidEnumerateEvent = THidHandler<bool(THidDevice* HidDev, qint32 Idx)>;

// Plain notification: Sender is the controller.
using THidNotifyEvent = THidHandler<void(QObject* Sender)>;
