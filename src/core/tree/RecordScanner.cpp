#include "core/tree/RecordScanner.h"

namespace tovan {

namespace {

bool isDropped(char c) {
    return c == '"' || c == '#' || c == '{' || c == '}';
}

} // namespace

bool RecordScanner::feed(char byte, std::size_t line) {
    m_line = line;
    switch (m_state) {
    case State::Idle:
    case State::AfterClose:
        betweenRecords(byte);
        return false;
    case State::AfterMarker:
        afterMarker(byte);
        return false;
    case State::InLabel:
        inLabel(byte);
        return false;
    case State::AfterLabel:
        return afterLabel(byte);
    case State::InData:
        return inData(byte);
    }
    return false;
}

ListRecord RecordScanner::finish() {
    if (m_state == State::InData) {
        m_record.kind = RecordKind::Command;
        return take();
    }
    m_record.cutOff = m_state == State::InLabel || m_state == State::AfterLabel;
    return take();
}

void RecordScanner::noteSkipped() {
    if (m_record.skippedLines.empty() || m_record.skippedLines.back() != m_line)
        m_record.skippedLines.push_back(m_line);
}

void RecordScanner::betweenRecords(char byte) {
    if (byte == '#')
        m_state = State::AfterMarker;
    else if (byte != '\n' && byte != ' ')
        noteSkipped();
}

void RecordScanner::afterMarker(char byte) {
    if (byte == ' ') {
        ++m_record.indentation;
    } else if (byte == '"') {
        m_state = State::InLabel;
        m_record.line = m_line;
    } else if (byte == '}') {
        m_state = State::AfterClose;
        m_record.closeBlocks.push_back({m_line, m_record.indentation});
        m_record.indentation = 0;
    } else if (byte != '\n') {
        noteSkipped();
    }
}

void RecordScanner::inLabel(char byte) {
    if (byte == '\n') {
        if (m_quoteLast)
            m_record.droppedFromLabel.pop_back(); // the closing quote
        m_state = State::AfterLabel;
    } else if (isDropped(byte)) {
        m_record.droppedFromLabel += byte;
        m_quoteLast = byte == '"';
    } else {
        m_record.label += byte;
        m_quoteLast = false;
    }
}

bool RecordScanner::afterLabel(char byte) {
    if (byte == '{') {
        m_record.kind = RecordKind::Folder;
        return true;
    }
    if (byte == '\n' || byte == ' ')
        return false;
    if (byte == '#' && m_record.markerForData == 0)
        m_record.markerForData = m_line;
    if (isDropped(byte) || byte == ',') {
        m_record.droppedFromData += byte;
        return false;
    }
    m_record.data += byte;
    m_state = State::InData;
    return false;
}

bool RecordScanner::inData(char byte) {
    if (byte == '\n') {
        m_record.kind = RecordKind::Command;
        return true;
    }
    if (byte == ',') {
        m_record.data += ' ';
        ++m_record.commasInData;
    } else if (isDropped(byte)) {
        m_record.droppedFromData += byte;
    } else {
        m_record.data += byte;
    }
    return false;
}

} // namespace tovan
