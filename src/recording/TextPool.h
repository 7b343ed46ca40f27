#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>

#include <vector>

// Interned texts: each distinct text is held once and rows refer to it by a
// 32-bit id. Channel, unit and judgement take a handful of values and value
// texts repeat heavily, so a large table holds few distinct texts.
class TextPool {
public:
    quint32 intern(const QString& text);
    const QString& text(quint32 id) const { return texts_[id]; }
    quint32 size() const { return static_cast<quint32>(texts_.size()); }
    void clear();

private:
    std::vector<QString> texts_;
    QHash<QString, quint32> ids_;
};
