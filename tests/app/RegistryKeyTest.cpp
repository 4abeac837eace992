#include "app/RegistryKey.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

constexpr const char* kBase = "Software\\Marlisk\\RegistryKeyTest";

class RegistryKeyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness::CleanRegistry();
        ASSERT_TRUE(key.SetKey(kBase, true));
    }
    void TearDown() override { harness::CleanRegistry(); }

    // Stores raw bytes of any type, bypassing the class under test.
    static void Raw(const char* name, DWORD type, const void* data, DWORD size)
    {
        HKEY h = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kBase, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExA(h, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        ::RegCloseKey(h);
    }

    CRegistryKey key;
};

TEST_F(RegistryKeyTest, IntegerReadsTakeOnlyExactlyFourBytesOfAnyType)
{
    const unsigned char eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    const unsigned char two[2] = {7, 0};
    const int four = -12345;
    const DWORD dword = 77;
    Raw("eight", REG_BINARY, eight, sizeof(eight));
    Raw("two", REG_BINARY, two, sizeof(two));
    Raw("four", REG_BINARY, &four, sizeof(four));
    Raw("dword", REG_DWORD, &dword, sizeof(dword));
    Raw("text", REG_SZ, "12", 3);

    struct Case {
        const char* name;
        int expected;
    } cases[] = {
        {"eight", 300},   // longer than 4 bytes: fallback
        {"two", 300},     // shorter: treated as unreadable
        {"four", -12345}, // the program's own format
        {"dword", 77},    // a hand-written REG_DWORD reads the same
        {"text", 300},    // 3 bytes of text: not a 4-byte value
        {"missing", 300},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(key.ReadInt(c.name, 300), c.expected) << c.name;
        EXPECT_EQ(key.ReadBool(c.name, 300), c.expected) << c.name;
    }
}

TEST_F(RegistryKeyTest, WritesStoreTheDocumentedTypesAndSizes)
{
    EXPECT_TRUE(key.WriteBool("flag", 5));
    EXPECT_EQ(key.ReadBool("flag", 0), 5);
    EXPECT_EQ(key.GetDataType("flag"), static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(key.GetDataSize("flag"), 4);

    EXPECT_TRUE(key.WriteInt("n", -2));
    EXPECT_EQ(key.ReadInt("n", 0), -2);
    EXPECT_EQ(key.GetDataType("n"), static_cast<DWORD>(REG_BINARY));

    const std::string utf8 = "C:\\Vid\xc3\xa9os\\\xe6\x97\xa5\xe6\x9c\xac";
    EXPECT_TRUE(key.WriteString("s", utf8));
    EXPECT_EQ(key.GetDataType("s"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(key.ReadString("s", "fallback"), utf8);

    EXPECT_EQ(key.GetValueCount(), 3);
    EXPECT_TRUE(key.ValueExists("s"));
    EXPECT_TRUE(key.DeleteValue("s"));
    EXPECT_FALSE(key.ValueExists("s"));
    EXPECT_FALSE(key.DeleteValue("s"));
    EXPECT_EQ(key.GetDataType("s"), 0u);
    EXPECT_EQ(key.GetDataSize("s"), -1);
}

TEST_F(RegistryKeyTest, StringReadsAcceptOnlyTextTypes)
{
    const DWORD dword = 65;
    const char bin[] = "C:\\Other";
    Raw("dword", REG_DWORD, &dword, sizeof(dword));
    Raw("binary", REG_BINARY, bin, sizeof(bin));
    Raw("expand", REG_EXPAND_SZ, "%TEMP%\\x", 9);
    Raw("twoParts", REG_SZ, "ab\0cd", 6);
    Raw("empty", REG_SZ, "", 1);

    EXPECT_EQ(key.ReadString("dword", "fb"), "fb");
    EXPECT_EQ(key.ReadString("binary", "fb"), "fb");
    EXPECT_EQ(key.ReadString("expand", "fb"), "%TEMP%\\x"); // not expanded
    EXPECT_EQ(key.ReadString("twoParts", "fb"), "ab");
    EXPECT_EQ(key.ReadString("empty", "fb"), "");
    EXPECT_EQ(key.ReadString("missing", "fb"), "fb");
}

TEST_F(RegistryKeyTest, KeyManagement)
{
    // Empty path: the root itself.
    CRegistryKey root;
    EXPECT_TRUE(root.SetKey("", false));
    EXPECT_EQ(root.GetKeyPath(), "");
    EXPECT_GT(root.GetSubKeyCount(), 0);

    // Opening without create fails for a missing key and leaves the path unchanged.
    EXPECT_FALSE(key.SetKey("Software\\Marlisk\\Nowhere", false));
    EXPECT_EQ(key.GetKeyPath(), kBase);
    EXPECT_FALSE(key.KeyExists("Software\\Marlisk\\Nowhere"));

    // A foreign root handle is refused; the previous root keeps working.
    CRegistryKey other;
    EXPECT_FALSE(other.SetRootKey(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234))));
    EXPECT_EQ(other.GetRootKey(), HKEY_CURRENT_USER);
    EXPECT_TRUE(other.SetKey(kBase, false));
    EXPECT_TRUE(other.SetRootKey(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(other.KeyExists(kBase));
    EXPECT_TRUE(other.KeyExists(kBase, HKEY_CURRENT_USER));

    // Sub-keys: a parent with children is not deleted; a missing key counts as deleted.
    EXPECT_TRUE(key.CreateKey(std::string(kBase) + "\\Child"));
    EXPECT_EQ(key.GetKeyPath(), std::string(kBase) + "\\Child");
    EXPECT_TRUE(key.SetKey(kBase, false));
    EXPECT_EQ(key.GetSubKeyCount(), 1);
    EXPECT_FALSE(key.DeleteKey(kBase));
    EXPECT_TRUE(key.KeyExists(kBase));
    EXPECT_TRUE(key.DeleteKey(std::string(kBase) + "\\Child"));
    EXPECT_TRUE(key.DeleteKey(std::string(kBase) + "\\Child"));
    EXPECT_EQ(key.GetSubKeyCount(), 0);

    // Reads and writes against a key that is gone: fallbacks and false, nothing created.
    EXPECT_TRUE(key.DeleteKey(kBase));
    EXPECT_EQ(key.ReadInt("n", 9), 9);
    EXPECT_FALSE(key.WriteInt("n", 1));
    EXPECT_FALSE(key.KeyExists(kBase));
    EXPECT_EQ(key.GetValueCount(), -1);

    // Close resets to the documented state.
    EXPECT_TRUE(other.Close());
    EXPECT_EQ(other.GetRootKey(), HKEY_CURRENT_USER);
    EXPECT_EQ(other.GetKeyPath(), "");
}

} // namespace
