#include "core/serial/PortNames.h"

#include "core/serial/PortSettings.h"

#include <gtest/gtest.h>

using namespace tovan;

TEST(PortNames, ResolveToDevices) {
    EXPECT_EQ(resolvePortName("COM1"), "/dev/ttyS0");
    EXPECT_EQ(resolvePortName("com12"), "/dev/ttyS11");
    EXPECT_EQ(resolvePortName("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(resolvePortName("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"),
              "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    EXPECT_EQ(resolvePortName("COM0"), "/dev/COM0");
    EXPECT_EQ(resolvePortName("COMX"), "/dev/COMX");
    EXPECT_EQ(resolvePortName(""), "");
    EXPECT_EQ(resolvePortName("../etc/passwd"), "");
}

TEST(PortSettings, InitialValuesAndHandshakeRows) {
    EXPECT_EQ(PortSettings::forFamily(ModuleFamily::VX31).dcb.BaudRate, 115200u);
    EXPECT_EQ(PortSettings::forFamily(ModuleFamily::VM77).dcb.BaudRate, 9600u);
    EXPECT_EQ(PortSettings::generic().dcb.BaudRate, 9600u);
    EXPECT_EQ(PortSettings().portName, "COM1");

    DcbTemplate dcb;
    dcb.fOutX = 1;
    dcb.setRtsCtsHandshake();
    EXPECT_EQ(dcb.fOutxCtsFlow, 1);
    EXPECT_EQ(dcb.fRtsControl, RTS_CONTROL_HANDSHAKE);
    EXPECT_EQ(dcb.fDtrControl, DTR_CONTROL_DISABLE);
    EXPECT_EQ(dcb.fOutxDsrFlow + dcb.fOutX + dcb.fInX, 0);
    dcb.setNoHandshake();
    EXPECT_EQ(dcb, DcbTemplate{});
}
