#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A sysfs tree in a temporary directory, laid out like the kernel's:
//
//   devices/usb1/1-1/                  USB device (idVendor, product, ...)
//   devices/usb1/1-1/1-1:1.0/          USB interface
//   devices/usb1/1-1/1-1:1.0/0003:VVVV:PPPP.NNNN/          HID device
//   devices/usb1/1-1/1-1:1.0/0003:VVVV:PPPP.NNNN/hidraw/hidrawM/device -> ../..
//   dev/char/MAJOR:MINOR -> ../../devices/.../hidraw/hidrawM
class FakeSysfs {
public:
    FakeSysfs();

    QString root() const { return dir_.path(); }
    // Creates a directory below the root and returns its full path.
    QString makeDir(const QString& relative);
    // Writes an attribute file below the root.
    void write(const QString& relative, const QByteArray& contents);
    // Adds the hidraw node under hidDir (relative) and the dev/char link.
    QString addHidraw(const QString& hidDir, const QString& node, const QString& devNumber);

private:
    QTemporaryDir dir_;
};
