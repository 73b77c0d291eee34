// Default serial-port settings in the device registry: the settings text, reading, storing
// and the dialog's answer.
#include "platform/kernel/comm.h"

#include "platform/base/lasterror.h"
#include "platform/registry/registry.h"
#include "platform/ui/ui.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

namespace zortest {
namespace {

void setString(HKEY root, const std::string &path, const char *name, const std::string &value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKey(root, path.c_str(), &key), LONG(ERROR_SUCCESS));
    RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()), DWORD(value.size() + 1));
    RegCloseKey(key);
}

void addSerialDevice(const std::string &portName)
{
    setString(HKEY_DYN_DATA, "Config Manager\\Enum\\C29A01" + portName, "HardWareKey", "SERENUM\\" + portName);
    setString(HKEY_LOCAL_MACHINE, "Enum\\SERENUM\\" + portName, "PortName", portName);
}

TEST(CommSettings, TextRoundTripsAndOddTextIsRefused)
{
    for (const char *text : {"9600,n,8,1", "115200,e,7,2,x", "300,m,5,1.5,p", "2400,s,6,1", "1200,o,8,1"}) {
        std::optional<DCB> dcb = zorplat::ParseCommSettings(text);
        ASSERT_TRUE(dcb) << text;
        EXPECT_EQ(zorplat::FormatCommSettings(*dcb), text);
    }
    for (const char *text : {"", "9600", "9600,n,8", "9600,q,8,1", "9600,n,9,1", "9600,n,4,1", "0,n,8,1",
                             "9600,n,8,3", "9600,n,8,1,z", "96x0,n,8,1", "9600,n,8,1,x,x", "99999999999,n,8,1"})
        EXPECT_FALSE(zorplat::ParseCommSettings(text)) << text;
}

TEST(CommSettings, DefaultsAreReadAndStoredPerDevice)
{
    TempRoot root;
    addSerialDevice("COM1");
    COMMCONFIG config{};
    DWORD size = 4;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetDefaultCommConfig("COM1", &config, &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, sizeof(COMMCONFIG));

    ASSERT_TRUE(GetDefaultCommConfig("COM1:", &config, &size));
    EXPECT_EQ(config.dwSize, sizeof(COMMCONFIG));
    EXPECT_EQ(zorplat::FormatCommSettings(config.dcb), "9600,n,8,1");

    config.dcb.BaudRate = 57600;
    ASSERT_TRUE(SetDefaultCommConfig("com1", &config, sizeof config));
    COMMCONFIG back{};
    size = sizeof back;
    ASSERT_TRUE(GetDefaultCommConfig("COM1", &back, &size));
    EXPECT_EQ(back.dcb.BaudRate, 57600u);

    config.dcb.ByteSize = 9;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetDefaultCommConfig("COM1", &config, sizeof config));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // Settings someone spoiled by hand are reported, not guessed at.
    setString(HKEY_LOCAL_MACHINE, "Enum\\SERENUM\\COM1", "Settings", "fast please");
    EXPECT_FALSE(GetDefaultCommConfig("COM1", &back, &size));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);

    EXPECT_FALSE(GetDefaultCommConfig("COM2", &back, &size));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(CommSettings, TheHeadlessDialogAnswersOkAndChangesNothing)
{
    TempRoot root;
    addSerialDevice("COM3");
    COMMCONFIG config{};
    DWORD size = sizeof config;
    ASSERT_TRUE(GetDefaultCommConfig("COM3", &config, &size));
    config.dcb.BaudRate = 4800;
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(CommConfigDialog("COM3", nullptr, &config));
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
    EXPECT_EQ(config.dcb.BaudRate, 4800u);
    EXPECT_FALSE(CommConfigDialog("COM4", nullptr, &config));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

} // namespace
} // namespace zortest
