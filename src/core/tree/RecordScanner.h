#pragma once

#include "core/tree/ListRecord.h"

#include <cstddef>

namespace tovan {

// Reads one record of a command-list file byte by byte: the '#' line, the label line and the
// data line (or '{' for a folder), with everything it passes over or changes on the way.
// Bytes come as a text-mode reader sees them (CR before LF already dropped).
class RecordScanner {
public:
    // Takes the next byte, read on `line`. True when the record is complete.
    bool feed(char byte, std::size_t line);
    // The file ended: a data line that ends it is complete, a record cut off earlier is lost.
    ListRecord finish();
    ListRecord take() { return std::move(m_record); }

private:
    enum class State { Idle, AfterMarker, InLabel, AfterLabel, InData, AfterClose };

    void betweenRecords(char byte);
    void afterMarker(char byte);
    void inLabel(char byte);
    bool afterLabel(char byte);
    bool inData(char byte);
    void noteSkipped();

    ListRecord m_record;
    State m_state = State::Idle;
    std::size_t m_line = 0;
    bool m_quoteLast = false; // the label's last byte so far was a dropped quote
};

} // namespace tovan
