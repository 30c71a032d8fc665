#pragma once

#include <cstdint>

namespace tovan {

// Codes of the messages every part sends to its console's single entry point,
// OwnerEndpoint::deliver(). Payloads that are texts end after `length` bytes or at the first
// zero byte, whichever comes first.
enum ConsoleCode : std::uint32_t {
    CD_LOAD_COMMAND = 0,    // tree -> console: frame text of the selected command (none: folder)
    CD_SEND_SELECTED = 1,   // tree -> console: bytes of a double-clicked command
    CD_SAVE_COMMAND = 2,    // composer -> console: frame text built by Save
    CD_SEND_FRAME = 3,      // composer -> console: bytes to transmit
    CD_TOGGLE_PERIODIC = 4, // composer -> console: periodic sending switched
    CD_RX_FRAME = 5,        // reader thread -> console: one received frame
    CD_TX_FRAME = 6,        // SendFrame -> console: echo of a frame about to be written
    CD_STORE_LIST = 7,      // document -> console: path to save the command list to
    CD_TEST_TELEGRAM = 8,   // test sequence -> console: telegram hex text with its zero byte
    // Reader thread -> console: the port went away (unplugged adapter, closed pty, a failing
    // wait for it). Payload: one byte, the slot index, then why in words. Sent once; the reader
    // has ended and the slot stays taken until the console calls ClosePort.
    CD_PORT_LOST = 9,
    // Reader thread -> console, only when the console asked for it
    // (SerialChannel::SetReportDiscards): bytes the frame assembler threw away. Payload: one
    // reason byte (DiscardReason), then the discarded bytes. Comes in order with the frames.
    CD_RX_DISCARDED = 10,
    // Writer thread -> console, through the reader and in order with what it delivers: a frame
    // shown as transmitted did not reach the line. Payload: the error code (errno), 4 bytes,
    // least significant first.
    CD_TX_FAILED = 11,
};

} // namespace tovan
