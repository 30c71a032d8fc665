#pragma once

#include "core/wmbus/ByteView.h"
#include "core/wmbus/DataRecord.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovan {

// Reads the data records of a telegram's application data (EN 13757-3): DIF and DIFEs, VIF
// and VIFEs from all tables, the value coded as the DIF says and scaled as the VIF says.
// A record that cannot be read ends the list, with the reason and the bytes from there on
// kept as hex; nothing past the data is ever read.
class RecordParser {
public:
    static RecordList parse(ByteView data);

    // The number of bytes of the record header (DIB and VIB) at `at`; 0 when it is not whole.
    static std::size_t headerLength(ByteView bytes, std::size_t at);

    // Puts the records of a compact frame back together: each header of `layout` followed by
    // its data from `data`. False when the data does not fill the layout exactly.
    static bool rebuild(ByteView layout, ByteView data, std::vector<std::uint8_t>& records);

    // The most DIFEs or VIFEs one record may have.
    static constexpr std::size_t MAX_EXTENSIONS = 10;
};

} // namespace tovan
