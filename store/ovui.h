#pragma once

#include <optional>

#include <QList>

// Index access that never fails for an index past the end.
namespace store {

template <class T> std::optional<T> objectAtIndexSafely(const QList<T> &list, quint64 index)
{
    if (index >= quint64(list.size()))
        return std::nullopt;
    return list.at(qsizetype(index));
}

template <class T> void removeObjectAtIndexSafely(QList<T> &list, quint64 index)
{
    if (index < quint64(list.size()))
        list.removeAt(qsizetype(index));
}

} // namespace store
