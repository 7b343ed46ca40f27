#pragma once

#include <QString>
#include <QtGlobal>

// Frame-building part of the logger's shared run-time state: the meter bytes
// of the message being collected and the frame built last.
struct FrameAssemblyState {
    QString CurrentFrame; // the meter frame assembled last
    QString ReportHex;    // collected meter bytes, two hex digits each
    bool FrameCollecting = false;
    qint32 EmptyReportCount = 0; // consecutive cable reports without meter bytes
};
