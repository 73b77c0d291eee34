// Loading modules by Windows name, their exports, and the string tables compiled into them.
#include "platform/base/lasterror.h"
#include "platform/kernel/module.h"
#include "platform/kernel/stringtable.h"
#include "tests/support/TempRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

class ModuleTest : public ::testing::Test {
protected:
    ModuleTest()
    {
        fs::copy_file(std::string(ZORVALINE_BIN_DIR) + "/zortestmodule.so",
                      root.driveC("WINDOWS/SYSTEM/TESTMOD.DLL"));
    }

    zortest::TempRoot root;
};

TEST_F(ModuleTest, BareNameIsFoundInTheSystemFolderAndExportsResolve)
{
    HMODULE module = LoadLibrary("testmod");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(LoadLibrary("C:\\Windows\\System\\TestMod.dll"), module) << "same module, one more reference";

    using Answer = int (*)();
    auto answer = reinterpret_cast<Answer>(GetProcAddress(module, "TestModuleAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);

    // The instance the module computes for itself is the handle its host holds.
    using Instance = HINSTANCE (*)();
    auto instance = reinterpret_cast<Instance>(GetProcAddress(module, "TestModuleInstance"));
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance(), module);
    EXPECT_EQ(GetModuleHandle("TESTMOD.DLL"), module);

    SetLastError(kSentinel);
    EXPECT_EQ(GetProcAddress(module, "InitializeMonitorEx"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(module, "malloc"), nullptr) << "only the module's own exports";
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_NE(GetProcAddress(module, "TestModuleAnswer"), nullptr) << "one reference left";
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(ModuleTest, MissingOrBrokenModulesFailWithModNotFound)
{
    SetLastError(kSentinel);
    EXPECT_EQ(LoadLibrary("C:\\WINDOWS\\SYSTEM\\NOSUCH.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LoadLibrary("nosuch"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    root.writeFile(root.driveC("WINDOWS/SYSTEM/BROKEN.DLL"), "not a shared library");
    EXPECT_EQ(LoadLibrary("broken.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LoadLibrary(""), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(GetModuleHandle("NOSUCH.DLL"), nullptr);
}

TEST_F(ModuleTest, EachModuleReadsItsOwnStringTable)
{
    HMODULE module = LoadLibrary("TESTMOD.DLL");
    ASSERT_NE(module, nullptr);
    char buffer[64];
    EXPECT_EQ(LoadString(module, 1, buffer, sizeof buffer), 11);
    EXPECT_STREQ(buffer, "Module text");
    EXPECT_EQ(LoadString(nullptr, 1, buffer, sizeof buffer), 12) << "null: the program's own table";
    EXPECT_STREQ(buffer, "Program text");
    EXPECT_EQ(LoadString(GetModuleHandle(nullptr), 1, buffer, sizeof buffer), 12);

    using LoadOwn = int (*)(UINT, LPSTR, int);
    auto loadOwn = reinterpret_cast<LoadOwn>(GetProcAddress(module, "TestModuleLoadString"));
    ASSERT_NE(loadOwn, nullptr);
    EXPECT_EQ(loadOwn(2, buffer, sizeof buffer), 42);
    EXPECT_STREQ(buffer, "Tab\there, line\nbreak, back\\slash, \"quoted\"");

    // Cut to size - 1 bytes, never inside a UTF-8 character ("ü" is two bytes at 2..3).
    EXPECT_EQ(LoadString(module, 1, buffer, 7), 6);
    EXPECT_STREQ(buffer, "Module");
    EXPECT_EQ(LoadString(module, 3, buffer, 4), 2);
    EXPECT_STREQ(buffer, "Gr");
    EXPECT_EQ(LoadString(module, 3, buffer, 5), 4);
    EXPECT_STREQ(buffer, "Gr\xc3\xbc");
    EXPECT_EQ(LoadString(module, 1, buffer, 1), 0);
    EXPECT_STREQ(buffer, "");

    SetLastError(kSentinel);
    EXPECT_EQ(LoadString(module, 999, buffer, sizeof buffer), 0);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(zorplat::LoadStringText(module, 3), "Gr\xc3\xbc\xc3\x9f" "e aus M\xc3\xbcnchen");

    // Unloading takes the module's table with it.
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(zorplat::LoadStringText(module, 1), std::nullopt);
}

TEST(StringTableTest, ParsesEntriesAndReportsEveryBadLine)
{
    const zorplat::StringTable table = zorplat::ParseStringTable(
        "# comment\r\n"
        "\r\n"
        "301\tFirst\\n\r\n"
        "302\t\r\n"
        "303\tkeeps\ttabs and = signs\n"
        "no tab here\n"
        "x1\ttext\n"
        "70000\ttoo large\n"
        "304\tbad \\q escape\n"
        "305\tends in \\\n"
        "301\tduplicate\n"
        "306\tlast line without newline");
    EXPECT_EQ(table.texts.size(), 4u);
    EXPECT_EQ(table.texts.at(301), "First\n");
    EXPECT_EQ(table.texts.at(302), "");
    EXPECT_EQ(table.texts.at(303), "keeps\ttabs and = signs");
    EXPECT_EQ(table.texts.at(306), "last line without newline");
    ASSERT_EQ(table.errors.size(), 6u);
    EXPECT_EQ(table.errors[0].rfind("line 6:", 0), 0u) << table.errors[0];
    EXPECT_EQ(table.errors[5].rfind("line 11:", 0), 0u) << table.errors[5];
}

TEST(StringTableTest, ShippedTablesAreWellFormed)
{
    const fs::path resources = fs::path(ZORVALINE_SOURCE_DIR) / "resources";
    for (const auto &entry : fs::directory_iterator(resources)) {
        if (entry.path().extension() != ".strings")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        const zorplat::StringTable table =
            zorplat::ParseStringTable(zortest::TempRoot::readFile(entry.path().string()));
        EXPECT_FALSE(table.texts.empty());
        for (const std::string &error : table.errors)
            ADD_FAILURE() << error;
    }
}

} // namespace
