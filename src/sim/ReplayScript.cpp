#include "sim/ReplayScript.h"

#include <QFile>

ReplayScript::ReplayScript(std::vector<std::string> messages, qint64 intervalUs)
    : messages_(std::move(messages)), next_(messages_.size()), intervalUs_(intervalUs)
{
}

std::unique_ptr<ReplayScript> ReplayScript::load(const QString& path, qint64 intervalUs,
                                                 QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return nullptr;
    }
    std::vector<std::string> messages;
    QString lineError;
    if (!parse(file.readAll(), messages, lineError)) {
        error = QStringLiteral("%1: %2").arg(path, lineError);
        return nullptr;
    }
    return std::make_unique<ReplayScript>(std::move(messages), intervalUs);
}

bool ReplayScript::parse(const QByteArray& contents, std::vector<std::string>& messages,
                         QString& lineError)
{
    messages.clear();
    const QList<QByteArray> lines = contents.split('\n');
    for (int n = 0; n < lines.size(); ++n) {
        const QByteArray line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.size() > kMaxDigits) {
            lineError =
                QStringLiteral("line %1: more than %2 frame digits").arg(n + 1).arg(kMaxDigits);
            return false;
        }
        std::string digits;
        for (char c : line) {
            const char upper = (c >= 'a' && c <= 'f') ? char(c - 'a' + 'A') : c;
            if (!((upper >= '0' && upper <= '9') || (upper >= 'A' && upper <= 'F'))) {
                lineError = QStringLiteral("line %1: '%2' is not a frame digit (0-9, A-F)")
                                .arg(n + 1)
                                .arg(QLatin1Char(c));
                return false;
            }
            digits.push_back(upper);
        }
        messages.push_back(std::move(digits));
    }
    return true;
}

void ReplayScript::start(quint8, qint64)
{
    next_ = 0;
}

std::optional<std::string> ReplayScript::next(qint64)
{
    if (next_ >= messages_.size())
        return std::nullopt;
    return messages_[next_++];
}
