#include "usb/THidDevice.h"

#include "usb/EControllerError.h"
#include "usb/THidDeviceController.h"
#include "usb/THidDeviceReadThread.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>

namespace {

// Strings come in buffers of 254 UTF-16 units; a string ends at its first NUL.
constexpr std::size_t StringUnits = 254;

// The units are taken as they are: QString::fromUtf16 would read a leading
// U+FEFF or U+FFFE as a byte-order mark, dropping it or swapping every unit.
QString textUpToNul(const std::u16string& units)
{
    const std::size_t length = std::min(units.find(u'\0'), std::min(units.size(), StringUnits));
    return QString(reinterpret_cast<const QChar*>(units.data()), qsizetype(length));
}

} // namespace

THidDevice::THidDevice(hid::Platform& platform, THidPnPInfo info, THidDeviceController* controller)
    : platform_(platform), controller_(controller), info_(std::move(info))
{
    if (controller_) {
        onReport_ = controller_->OnDeviceData();
        onUnplugged_ = controller_->OnDeviceUnplug();
    }
    main_ = platform_.open(info_.InterfacePath, hid::Access::ReadWrite);
    canReadWrite_ = main_ != nullptr;
    if (!main_)
        main_ = platform_.open(info_.InterfacePath, hid::Access::QueryOnly);
    if (!main_)
        throw EControllerError(EControllerError::CannotOpen);
    if (!main_->attributes(attributes_))
        throw EControllerError(EControllerError::CannotIdentify);
    // A listed device holds no open handle until an operation needs one.
    CloseMain();
}

THidDevice::~THidDevice()
{
    const THidDataEvent keptOnReport = onReport_;
    const THidPlugEvent keptOnUnplugged = onUnplugged_;
    SetOnReport(nullptr);
    onUnplugged_ = nullptr;
    CloseMain();
    CloseRead();
    if (controller_)
        controller_->CheckIn(this, keptOnReport, keptOnUnplugged);
}

bool THidDevice::OpenMain()
{
    if (Accessible() && !main_) {
        main_ = platform_.open(info_.InterfacePath, hid::Access::ReadWrite);
        canReadWrite_ = main_ != nullptr;
        if (!main_)
            main_ = platform_.open(info_.InterfacePath, hid::Access::QueryOnly);
    }
    return main_ != nullptr;
}

void THidDevice::CloseMain()
{
    main_.reset();
}

std::unique_ptr<hid::Handle> THidDevice::OpenRead()
{
    if (!Accessible())
        return nullptr;
    return platform_.open(info_.InterfacePath, hid::Access::Read);
}

void THidDevice::CloseRead()
{
    if (reader_)
        reader_->DropHandle();
}

THidCaps THidDevice::QueryCaps()
{
    if (!capsCached_ && OpenMain()) {
        hid::ReportLengths lengths;
        if (main_->reportLengths(lengths)) {
            caps_.InputReportByteLength = lengths.input;
            caps_.OutputReportByteLength = lengths.output;
            caps_.FeatureReportByteLength = lengths.feature;
            capsCached_ = true;
        }
        CloseMain();
    }
    return caps_;
}

QString THidDevice::QueryProduct()
{
    if (productText_.isEmpty() && OpenMain()) {
        std::u16string units;
        if (main_->productString(units))
            productText_ = textUpToNul(units);
        CloseMain();
    }
    return productText_;
}

QString THidDevice::QuerySerial()
{
    if (!serialText_.isEmpty() || !OpenMain())
        return serialText_;
    std::u16string serialUnits;
    if (main_->serialString(serialUnits)) {
        std::array<char16_t, StringUnits> serial{};
        std::copy_n(serialUnits.begin(), std::min(serialUnits.size(), StringUnits), serial.begin());

        // Some devices answer the serial-number request with their language
        // list. The list is read into a buffer pre-filled with 0xFFFF; its
        // length n is where the fill starts (a NUL written after the list
        // does not count). A serial number that differs from the list within
        // those n units is a real one; with no list readable, n is 0 and the
        // serial number counts as absent.
        std::array<char16_t, StringUnits> languages;
        languages.fill(0xFFFF);
        std::u16string languageUnits;
        if (main_->indexedString(0, languageUnits)) {
            const std::size_t copied = std::min(languageUnits.size(), StringUnits);
            std::copy_n(languageUnits.begin(), copied, languages.begin());
            if (copied < StringUnits)
                languages[copied] = 0;
        }
        std::size_t n = 0;
        for (std::size_t i = StringUnits; i-- > 0;) {
            if (languages[i] != 0xFFFF) {
                n = languages[i] == 0 ? i : i + 1;
                break;
            }
        }
        for (std::size_t k = 0; k < n; ++k) {
            if (languages[k] != serial[k]) {
                serialText_ = textUpToNul(std::u16string(serial.data(), serial.size()));
                break;
            }
        }
    }
    CloseMain();
    return serialText_;
}

bool THidDevice::WriteFeature(const quint8* buffer, std::size_t length)
{
    if (!OpenMain())
        return false;
    return main_->sendFeature(buffer, length);
}

bool THidDevice::WriteReport(const quint8* buffer, std::size_t length, std::size_t& written)
{
    written = 0;
    if (!OpenMain())
        return false;
    return main_->writeOutput(buffer, length, written);
}

void THidDevice::SetOnReport(THidDataEvent handler)
{
    if (!handler)
        StopReader();
    onReport_ = std::move(handler);
    StartReader();
}

void THidDevice::SetSliceMs(qint32 ms)
{
    if (ms < MinSliceMs || ms > MaxSliceMs)
        return;
    sliceMs_ = ms;
    if (reader_)
        reader_->SetSliceMs(ms);
}

void THidDevice::StartReader()
{
    if (!onReport_ || !pluggedIn_ || !checkedOut_ || !canReadWrite_ || reader_)
        return;
    // Reports are handed to the application's main thread; without an
    // application object there is no one to hand them to.
    if (!QCoreApplication::instance())
        return;
    const std::size_t length = QueryCaps().InputReportByteLength;
    // A device without input reports has nothing to read.
    if (length == 0)
        return;
    reader_ = std::make_shared<THidDeviceReadThread>(this, OpenRead(), length, sliceMs_);
    reader_->Start();
}

void THidDevice::StopReader()
{
    if (!reader_)
        return;
    std::shared_ptr<THidDeviceReadThread> reader = std::move(reader_);
    reader->Terminate();
}

bool THidDevice::ReaderRunning() const
{
    return reader_ && !reader_->Finished();
}

void THidDevice::MarkUnplugged()
{
    CloseMain();
    CloseRead();
    pluggedIn_ = false;
    // Cleared before the call: the handler may check the device in.
    const THidPlugEvent handler = std::move(onUnplugged_);
    onUnplugged_ = nullptr;
    if (handler)
        handler(this);
}
