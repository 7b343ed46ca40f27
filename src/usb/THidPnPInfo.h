#pragma once

#include <QString>
#include <QtGlobal>

// One device interface found by enumeration. InstanceHandle is the identity
// of the device: two listings refer to the same device when they are equal.
struct THidPnPInfo {
    quint32 InstanceHandle = 0;
    QString InterfacePath;
};
