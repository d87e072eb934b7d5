// ctest-label: unit
// The serial port list from an injected enumeration: the sixteen base ports, built-in ports
// named in place, other ports after them in a stable order, and the display-name rule.

#include "connection/CComPortList.h"

#include <gtest/gtest.h>

namespace {

using Record = CComPortList::SerialPortRecord;

TEST(ComPortList, AlwaysHoldsTheSixteenBasePortsInOrder)
{
    const CComPortList list([] { return std::vector<Record>{}; });
    ASSERT_EQ(list.GetCount(), 16);
    EXPECT_EQ(list.GetDisplayName(0), QStringLiteral("COM1"));
    EXPECT_EQ(list.GetDevicePath(0), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(list.GetDisplayName(15), QStringLiteral("COM16"));
    EXPECT_EQ(list.GetDevicePath(15), QStringLiteral("/dev/ttyS15"));
    for (int position : {-1, 16, 1000}) {
        EXPECT_EQ(list.GetDisplayName(position), QString()) << position;
        EXPECT_EQ(list.GetDevicePath(position), QString()) << position;
    }
}

TEST(ComPortList, NamesEnumeratedPortsAndOrdersThemStably)
{
    const std::vector<Record> records = {
        {"ttyUSB10", "/dev/ttyUSB10", "FT232R USB UART", ""},
        {"ttyUSB2", "/dev/ttyUSB2", "", "/dev/serial/by-id/usb-maker_cable-if00-port0"},
        {"ttyACM0", "/dev/ttyACM0", "Modem on ttyACM0", ""},
        {"ttyS2", "/dev/ttyS2", "Communications Port", ""},
        {"ttyS3", "/dev/ttyS3", "Serial port COM4", ""},
        {"ttyS20", "/dev/ttyS20", "", ""},
    };
    const CComPortList list([&] { return records; });
    ASSERT_EQ(list.GetCount(), 16 + 1 + 3);

    struct Expect { int position; const char* display; const char* path; };
    const Expect expected[] = {
        {2, "Communications Port (COM3)", "/dev/ttyS2"},
        {3, "Serial port COM4", "/dev/ttyS3"},
        {16, "COM21", "/dev/ttyS20"},
        {17, "Modem on ttyACM0", "/dev/ttyACM0"},
        {18, "ttyUSB2", "/dev/serial/by-id/usb-maker_cable-if00-port0"},
        {19, "FT232R USB UART (ttyUSB10)", "/dev/ttyUSB10"},
    };
    for (const Expect& e : expected) {
        EXPECT_EQ(list.GetDisplayName(e.position), QString::fromUtf8(e.display)) << e.position;
        EXPECT_EQ(list.GetDevicePath(e.position), QString::fromUtf8(e.path)) << e.position;
    }
}

TEST(ComPortList, ListsThisMachineWithoutFailing)
{
    const CComPortList list;
    EXPECT_GE(list.GetCount(), 16);
}

} // namespace
