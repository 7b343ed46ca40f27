#include "session/CableList.h"

#include "usb/THidDevice.h"

namespace {

const char* const kCableProduct = "USB to Serial";

} // namespace

QString CableList::caption(THidDevice* device)
{
    QString text = device->QueryProduct();
    if (text.isEmpty()) {
        text = QString::asprintf("Device VID=%.4X PID=%.4X", device->Attributes().VendorID,
                                 device->Attributes().ProductID);
    }
    const QString serial = device->QuerySerial();
    if (!serial.isEmpty())
        text += QStringLiteral(" (Serial=%1)").arg(serial);
    return text;
}

void CableList::add(const QString& caption, THidDevice* checkedOut)
{
    lines_.push_back({caption, checkedOut});
}

void CableList::clear(const THidDevice* spared)
{
    chosen_ = -1;
    for (const Line& line : lines_) {
        if (line.device != spared)
            delete line.device;
    }
    lines_.clear();
}

void CableList::chooseCable(const THidDevice* kept)
{
    chosen_ = kept ? rowOf(kept) : -1;
    if (chosen_ >= 0)
        return;
    for (int row = 0; row < count(); ++row) {
        if (caption(row) == QLatin1String(kCableProduct))
            chosen_ = row;
    }
}

int CableList::rowOf(const THidDevice* device) const
{
    for (int row = 0; row < count(); ++row) {
        if (lines_[std::size_t(row)].device == device)
            return row;
    }
    return -1;
}

THidDevice* CableList::device(int row) const
{
    return row >= 0 && row < count() ? lines_[std::size_t(row)].device : nullptr;
}
