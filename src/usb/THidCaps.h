#pragma once

#include <QtGlobal>

// Report lengths of a device, each including the report-ID byte; all zero
// when the device cannot be asked.
struct THidCaps {
    quint16 InputReportByteLength = 0;
    quint16 OutputReportByteLength = 0;
    quint16 FeatureReportByteLength = 0;
};
