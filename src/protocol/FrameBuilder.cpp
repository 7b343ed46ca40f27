#include "protocol/FrameBuilder.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

bool frameAt(const QString& frame, int position, const char* text)
{
    return frame.mid(position - 1, int(qstrlen(text))) == QLatin1String(text);
}

} // namespace

void FrameBuilder::takeReport(const quint8* data, quint16 size, bool download,
                              const Actions& actions)
{
    const int count = size > 0 ? data[0] & 0x0F : 0;
    if (size > 0)
        ++state_.EmptyReportCount;

    if (count >= 1 && count <= 9) {
        state_.EmptyReportCount = 0;
        state_.FrameCollecting = true;
        // Bytes after the twentieth never reach a frame, so they are not
        // kept: a cable that never ends a message cannot grow the text.
        const int present = qMin<int>(count, size - 1);
        for (int i = 1; i <= present && state_.ReportHex.size() < 2 * kMaxFrameLength; ++i) {
            state_.ReportHex.append(QLatin1Char(kHexDigits[data[i] >> 4]));
            state_.ReportHex.append(QLatin1Char(kHexDigits[data[i] & 0x0F]));
        }
        return;
    }

    if (state_.FrameCollecting) {
        state_.CurrentFrame = meterFrame(state_.ReportHex);
        const QString frame = state_.CurrentFrame; // the actions may change the state
        if (download) {
            if (frameAt(frame, 17, "7DA") && actions.showFrame)
                actions.showFrame();
            if (frameAt(frame, 7, "99") && actions.stopDownload)
                actions.stopDownload();
        } else if (frameAt(frame, 17, "1DA") && actions.showFrame) {
            actions.showFrame();
        }
        state_.ReportHex.clear();
    }
    state_.FrameCollecting = false;
}

QString FrameBuilder::meterFrame(const QString& reportHex)
{
    QString frame;
    const int bytes = qMin<int>(int(reportHex.size() / 2), kMaxFrameLength);
    frame.reserve(bytes);
    for (int i = 0; i < bytes; ++i)
        frame.append(reportHex.at(2 * i + 1));
    return frame;
}
