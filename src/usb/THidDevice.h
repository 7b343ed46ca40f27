#pragma once

#include "usb/THidCaps.h"
#include "usb/THidEvents.h"
#include "usb/THidPnPInfo.h"
#include "usb/platform/HidPlatform.h"

#include <QString>

#include <cstddef>
#include <memory>

class THidDeviceController;
class THidDeviceReadThread;

// One HID device interface as the controller lists it. The application
// checks a device out of the controller; a checked-out device with a report
// handler reads input reports on its own thread and delivers each one to the
// handler on the GUI thread. Destroying a checked-out device hands it back to
// the controller (check-in). Everything here runs on the GUI thread; the
// platform must outlive the device.
class THidDevice {
public:
    static constexpr qint32 DefaultSliceMs = 100;
    static constexpr qint32 MinSliceMs = 10;
    static constexpr qint32 MaxSliceMs = 10000;

    // Throws EControllerError when the interface cannot be opened or identified.
    THidDevice(hid::Platform& platform, THidPnPInfo info, THidDeviceController* controller);
    virtual ~THidDevice();
    THidDevice(const THidDevice&) = delete;
    THidDevice& operator=(const THidDevice&) = delete;

    const THidPnPInfo& InterfaceInfo() const { return info_; }
    const hid::Attributes& Attributes() const { return attributes_; }
    // The last opening of the main handle obtained read/write access.
    bool CanReadWrite() const { return canReadWrite_; }
    THidDeviceController* Controller() const { return controller_; }
    bool PluggedIn() const { return pluggedIn_; }
    bool CheckedOut() const { return checkedOut_; }
    bool InEvent() const { return inEvent_; }
    // Plugged in and held by the application or inside one of its handlers;
    // operations that open a handle refuse otherwise.
    bool Accessible() const { return pluggedIn_ && (checkedOut_ || inEvent_); }

    THidCaps QueryCaps();
    QString QueryProduct();
    QString QuerySerial(); // empty when the device has none
    // Byte 0 of buffer is the report ID. Both block until the system took the
    // report and report failure as false.
    bool WriteFeature(const quint8* buffer, std::size_t length);
    bool WriteReport(const quint8* buffer, std::size_t length, std::size_t& written);

    const THidDataEvent& OnReport() const { return onReport_; }
    // Starts the reader when the device can read, stops it when cleared.
    void SetOnReport(THidDataEvent handler);
    const THidDataErrorEvent& OnReportError() const { return onReportError_; }
    void SetOnReportError(THidDataErrorEvent handler) { onReportError_ = std::move(handler); }
    const THidPlugEvent& OnUnplugged() const { return onUnplugged_; }
    void SetOnUnplugged(THidPlugEvent handler) { onUnplugged_ = std::move(handler); }

    qint32 SliceMs() const { return sliceMs_; }
    void SetSliceMs(qint32 ms); // ignored outside MinSliceMs..MaxSliceMs

    bool OpenMain();
    void CloseMain();
    // A fresh handle for the read thread, or nullptr.
    std::unique_ptr<hid::Handle> OpenRead();
    void CloseRead();

    void StartReader();
    void StopReader();
    // A reader exists; it may have ended after a failing handler.
    bool HasReader() const { return reader_ != nullptr; }
    // A reader exists and its loop has not ended.
    bool ReaderRunning() const;
    // The running reader, for looking at its queue; none without one.
    const THidDeviceReadThread* Reader() const { return reader_.get(); }
    void MarkUnplugged();

private:
    friend class THidDeviceController;

    hid::Platform& platform_;
    THidDeviceController* controller_;
    THidPnPInfo info_;
    hid::Attributes attributes_;
    bool pluggedIn_ = true;
    bool checkedOut_ = false;
    bool inEvent_ = false;
    bool canReadWrite_ = false;
    std::unique_ptr<hid::Handle> main_;
    bool capsCached_ = false;
    THidCaps caps_;
    QString productText_;
    QString serialText_;
    qint32 sliceMs_ = DefaultSliceMs;
    std::shared_ptr<THidDeviceReadThread> reader_;
    THidDataEvent onReport_;
    THidDataErrorEvent onReportError_;
    THidPlugEvent onUnplugged_;
    // Lets the controller tell whether a handler it called destroyed the device.
    std::shared_ptr<const bool> lifetime_ = std::make_shared<const bool>(true);
};
