#include "recording/TextPool.h"

quint32 TextPool::intern(const QString& text)
{
    const auto found = ids_.constFind(text);
    if (found != ids_.constEnd())
        return *found;
    const auto id = static_cast<quint32>(texts_.size());
    // Empty and null texts are the same in the table; keep one form.
    texts_.push_back(text.isNull() ? QString(QLatin1String("")) : text);
    ids_.insert(texts_.back(), id);
    return id;
}

void TextPool::clear()
{
    texts_.clear();
    ids_.clear();
}
