#pragma once

#include "db/Schema.h"

#include <QList>

// Player grid column indices from `from` on, every other one: 20 gives the
// 30 actual-rating columns, 21 the 30 potential ones.
inline QList<int> everyOther(int from)
{
    QList<int> list;
    for (int i = from; i < db::schema::PlayerColumnCount; i += 2)
        list << i;
    return list;
}
