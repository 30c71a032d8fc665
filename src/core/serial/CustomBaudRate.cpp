// Kept apart: the kernel's termios2 header cannot live beside <termios.h>.
#include "core/serial/CustomBaudRate.h"

#include <asm/termbits.h>
#include <cerrno>
#include <cstdint>
#include <sys/ioctl.h>

namespace tovan {

int setCustomBaudRate(int fd, std::uint32_t baudRate) {
    struct termios2 tio {};
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return errno;
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_ispeed = baudRate;
    tio.c_ospeed = baudRate;
    if (::ioctl(fd, TCSETS2, &tio) != 0)
        return errno;
    return 0;
}

} // namespace tovan
