#pragma once

namespace tovan {

// Why a port across the network could not be opened, or ended, where the system's own error
// codes (ECONNREFUSED, ETIMEDOUT, ECONNRESET, ...) do not tell. The values lie above every errno
// value, so they travel the same way as the system's codes.
enum RemoteError : int {
    REMOTE_BAD_ADDRESS = 1001, // not HOST:PORT after the prefix
    REMOTE_HOST_UNKNOWN,       // the name has no address
    REMOTE_LOOKUP_FAILED,      // the name server did not answer in time
    REMOTE_CLOSED,             // the server closed the connection
    REMOTE_NO_TELNET,          // no answer to the telnet negotiation
    REMOTE_NO_PORT_CONTROL,    // the server refused serial port control (COM-PORT-OPTION)
    REMOTE_NO_BINARY,          // the server refused to pass every byte value (BINARY)
    // A setting the server answered with another value: REMOTE_SETTING_REFUSED + RemoteSetting.
    REMOTE_SETTING_REFUSED = 1020,
    // A setting the server did not confirm in time: REMOTE_SETTING_UNCONFIRMED + RemoteSetting.
    REMOTE_SETTING_UNCONFIRMED = 1030,
};

// The line settings a port across the network sends, in the order it sends them.
enum RemoteSetting : int {
    SETTING_BAUD_RATE = 0,
    SETTING_DATA_SIZE,
    SETTING_PARITY,
    SETTING_STOP_BITS,
    SETTING_FLOW_CONTROL,
    SETTING_COUNT
};

} // namespace tovan
