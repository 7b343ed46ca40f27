#include "session/CableLink.h"

#include "protocol/MeterCommands.h"
#include "usb/EControllerError.h"
#include "usb/THidDevice.h"
#include "usb/THidDeviceController.h"

namespace {

// A machine without HID devices, for a session given no platform.
class NoHidDevices final : public hid::Platform {
public:
    bool available() const override { return false; }
    std::vector<hid::InterfaceEntry> listInterfaces() override { return {}; }
    std::unique_ptr<hid::Handle> open(const QString&, hid::Access) override { return nullptr; }
    void setDeviceChangeHandler(std::function<void()>) override {}
};

} // namespace

CableLink::CableLink() = default;

CableLink::~CableLink()
{
    close();
}

QString CableLink::open(hid::Platform* platform, THidNotifyEvent onChange,
                        THidPlugEvent onRemoval)
{
    static NoHidDevices noHidDevices;
    try {
        controller_ = std::make_unique<THidDeviceController>(platform ? *platform : noHidDevices);
    } catch (const EControllerError& error) {
        return error.Message();
    }
    // The enumeration handler fills the list during the first cycle, which
    // binding the change handler runs: bound before it.
    controller_->SetOnArrival(THidPlugEvent(this, &CableLink::arrived));
    controller_->SetOnEnumerate(THidEnumerateEvent(this, &CableLink::enumerated));
    controller_->SetOnDeviceChange(std::move(onChange));
    controller_->SetOnDeviceDataError(THidDataErrorEvent(this, &CableLink::dataError));
    controller_->SetOnRemoval(std::move(onRemoval));
    return {};
}

void CableLink::close()
{
    active_ = nullptr;
    linked_ = nullptr;
    for (int row = 0; row < cables_.count(); ++row) {
        if (THidDevice* device = cables_.device(row))
            device->SetOnReport(nullptr);
    }
    cables_.clear();
    controller_.reset();
}

void CableLink::relist()
{
    // The controller keeps one object per plugged-in device, so the kept
    // object is listed again as itself; an unplugged one is checked in with
    // the other lines, which stops its reader.
    THidDevice* kept = linked_ && linked_->PluggedIn() ? linked_ : nullptr;
    linked_ = kept;
    if (active_ != kept)
        active_ = nullptr;
    cables_.clear(kept);
    if (controller_)
        controller_->EnumerateDevices();
    if (kept && cables_.rowOf(kept) < 0) {
        active_ = linked_ = nullptr;
        delete kept;
        kept = nullptr;
    }
    cables_.chooseCable(kept);
}

bool CableLink::enumerated(THidDevice* device, qint32 index)
{
    // The linked cable is still checked out: it takes its line again.
    cables_.add(CableList::caption(device),
                device == linked_ ? device : controller_->CheckOutAt(index));
    return true;
}

THidDevice* CableLink::selectCable()
{
    active_ = cables_.chosenDevice();
    return active_;
}

void CableLink::stopReading()
{
    if (selectCable() && active_->CanReadWrite())
        stopActive();
}

void CableLink::stopActive()
{
    if (!active_)
        return;
    active_->SetOnReport(nullptr);
    if (active_ == linked_)
        linked_ = nullptr;
}

void CableLink::startReading(const THidDataEvent& handler)
{
    if (!active_)
        return;
    active_->SetOnReport(handler);
    linked_ = active_;
}

bool CableLink::writeFeature(const CableFeatureReport::SpeedBoxes& boxes)
{
    if (!selectCable())
        return false;
    const auto report = CableFeatureReport::build(boxes);
    active_->WriteFeature(report.data(), report.size());
    return true;
}

bool CableLink::writeCommand(quint8 code)
{
    return writeOutput(false, code);
}

bool CableLink::writePreamble()
{
    return writeOutput(true, 0);
}

bool CableLink::writeOutput(bool preamble, quint8 code)
{
    if (!selectCable())
        return false;
    // Zero-filled and exactly as long as the cable's output report.
    const std::size_t length = active_->QueryCaps().OutputReportByteLength;
    const std::vector<quint8> report = preamble ? MeterCommands::preambleReport(length)
                                                : MeterCommands::commandReport(code, length);
    std::size_t written = 0;
    if (!report.empty())
        active_->WriteReport(report.data(), report.size(), written);
    return true;
}
