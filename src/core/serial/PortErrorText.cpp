#include "core/serial/PortErrorText.h"

#include "core/serial/RemoteError.h"

#include <cerrno>
#include <cstring>

namespace tovan {

namespace {

// The system's text, with a lower-case first letter as it stands inside a sentence.
std::string systemText(int error) {
    std::string text = std::strerror(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' && (text.size() < 2 || text[1] > 'Z'))
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

} // namespace

std::string portLossReason(int error) {
    switch (error) {
    case EPIPE:
        return "the other end hung up";
    case REMOTE_CLOSED:
        return "the server closed the connection";
    case ECONNRESET:
        return "the connection was reset (the server or the network dropped it)";
    case ETIMEDOUT:
        return "the server stopped answering (the network connection timed out)";
    case EHOSTUNREACH:
    case ENETUNREACH:
        return "the server can no longer be reached";
    case EIO:
    case ENXIO:
    case ENODEV:
        return "the device was removed";
    default:
        return systemText(error);
    }
}

std::string transmitFailureReason(int error) {
    if (error == ETIMEDOUT)
        return "the line did not take the frame in time (is a handshake holding it?)";
    if (error == REMOTE_CLOSED)
        return "the server closed the connection";
    return systemText(error);
}

} // namespace tovan
