#pragma once

#include "core/wmbus/ByteView.h"

#include <string>

namespace tovan {

// The compound date and time types of EN 13757-3, as ISO text. Each gives an empty text for
// bytes that are no valid time point (the invalid bit set, a month 13, a minute 61): the
// caller then keeps the bytes as they came.
class DateTypes {
public:
    static std::string typeG(ByteView b); // date, 2 bytes: "2015-09-09"
    static std::string typeF(ByteView b); // date and time, 4 bytes: "2008-05-31 23:50"
    static std::string typeI(ByteView b); // date and time with seconds, 6 bytes
    static std::string typeJ(ByteView b); // time of day, 3 bytes: "12:34:56"

    // The type for a data length (2 G, 3 J, 4 F, 6 I); empty for any other length.
    static std::string forLength(ByteView b);
};

} // namespace tovan
