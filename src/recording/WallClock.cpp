#include "recording/WallClock.h"

#include <QTimeZone>

QDateTime WallClock::now()
{
    const qint64 utcMs = QDateTime::currentMSecsSinceEpoch();
    const qint64 minute = utcMs / 60000;
    if (minute != minute_) {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(utcMs, Qt::LocalTime);
        offsetMs_ = qint64(local.offsetFromUtc()) * 1000;
        minute_ = minute;
    }
    return QDateTime::fromMSecsSinceEpoch(utcMs + offsetMs_, Qt::UTC);
}
