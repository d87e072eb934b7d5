// ctest-label: integration
// The communication settings in a temporary profile: defaults, the derived serial values,
// the character size that is always 8 bits, and the round trip.

#include "connection/ComSettings.h"
#include "app/CSettingsProfile.h"
#include "TestProfile.h"

#include <gtest/gtest.h>

namespace {

TEST(ComSettings, StartsFromTheDefaultsInAnEmptyProfile)
{
    TestProfile profile;
    const ComSettings settings;
    EXPECT_EQ(settings.Mode, 0);
    EXPECT_EQ(settings.Address, 1);
    EXPECT_EQ(settings.COMPort, 0);
    EXPECT_EQ(settings.Baudrate, 5);
    EXPECT_EQ(settings.GetBaudRate(), 38400);
    EXPECT_EQ(settings.Character, 1);
    EXPECT_EQ(settings.GetDataBits(), 8);
    EXPECT_EQ(settings.Parity, 1);
    EXPECT_EQ(settings.Stop, 0);
    EXPECT_EQ(settings.GetStopBits(), 0);
    EXPECT_EQ(settings.ServerAddress, QStringLiteral("192.168.0.1")); // the default, never contacted here
    EXPECT_EQ(settings.ServicePort, QStringLiteral("502"));
    EXPECT_TRUE(settings.COMPortName.isEmpty());
    EXPECT_TRUE(settings.COMPortDisplayName.isEmpty());
    EXPECT_EQ(settings.GetPortNumber(), 1);
}

TEST(ComSettings, DerivesTheSerialLineValues)
{
    TestProfile profile;
    ComSettings s;
    struct Case { int index; int rate; };
    for (const Case c : {Case{0, 1200}, Case{1, 2400}, Case{2, 4800}, Case{3, 9600}, Case{4, 19200}, Case{5, 38400},
                         Case{6, 1200}, Case{9, 1200}, Case{-1, 1200}}) {
        s.Baudrate = c.index;
        EXPECT_EQ(s.GetBaudRate(), c.rate) << c.index;
    }
    struct Pair { int in; int out; };
    for (const Pair c : {Pair{0, 7}, Pair{1, 8}, Pair{2, 7}}) {
        s.Character = c.in;
        EXPECT_EQ(s.GetDataBits(), c.out);
    }
    for (const Pair c : {Pair{0, 0}, Pair{1, 2}, Pair{2, 0}, Pair{-3, 0}}) {
        s.Stop = c.in;
        EXPECT_EQ(s.GetStopBits(), c.out);
    }
    s.Parity = 4;
    EXPECT_EQ(s.GetParity(), 4);
}

TEST(ComSettings, RoundTripsEveryStoredFieldButNeverTheNodes)
{
    TestProfile profile;
    ComSettings s;
    s.Mode = 2;
    s.Address = 17;
    s.COMPort = 3;
    s.COMPortName = QStringLiteral("/dev/ttyUSB0");
    s.COMPortDisplayName = QStringLiteral("USB serial (ttyUSB0)");
    s.IRCOMPortName = QStringLiteral("ir");
    s.IRCOMPortDisplayName = QStringLiteral("IR");
    s.Baudrate = 9;
    s.Parity = 3;
    s.Stop = 1;
    s.ServerAddress = QStringLiteral("127.0.0.1");
    s.ServicePort = QStringLiteral("1502");
    s.OwnNode = {1, 2, 3, 4, 5, 6};
    s.SaveComSettings();

    const ComSettings loaded;
    EXPECT_EQ(loaded.Mode, 2);
    EXPECT_EQ(loaded.Address, 17);
    EXPECT_EQ(loaded.COMPort, 3);
    EXPECT_EQ(loaded.GetPortNumber(), 4);
    EXPECT_EQ(loaded.COMPortName, s.COMPortName);
    EXPECT_EQ(loaded.COMPortDisplayName, s.COMPortDisplayName);
    EXPECT_EQ(loaded.IRCOMPortName, s.IRCOMPortName);
    EXPECT_EQ(loaded.IRCOMPortDisplayName, s.IRCOMPortDisplayName);
    EXPECT_EQ(loaded.Baudrate, 9) << "an out-of-range index is kept";
    EXPECT_EQ(loaded.GetBaudRate(), 1200);
    EXPECT_EQ(loaded.Parity, 3);
    EXPECT_EQ(loaded.Stop, 1);
    EXPECT_EQ(loaded.ServerAddress, s.ServerAddress);
    EXPECT_EQ(loaded.ServicePort, s.ServicePort);
    EXPECT_EQ(loaded.OwnNode, ComSettings::NodeAddress{}) << "hardware addresses are never stored";
    EXPECT_FALSE(CSettingsProfile::Open()->contains(QStringLiteral("ComSettings/OwnNode")));
}

TEST(ComSettings, AlwaysUsesEightDataBitsWhateverIsStored)
{
    TestProfile profile;
    CSettingsProfile::Open()->setValue(QStringLiteral("ComSettings/Character"), 0);
    ComSettings s;
    EXPECT_EQ(s.Character, 1);
    s.SaveComSettings();
    EXPECT_EQ(CSettingsProfile::Open()->value(QStringLiteral("ComSettings/Character")).toInt(), 1);
}

} // namespace
