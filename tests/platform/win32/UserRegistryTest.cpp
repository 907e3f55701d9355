// A round trip through the current user's registry, in a key of the test's
// own that is deleted again.

#include "platform/UserRegistry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace kairos::platform {
namespace {

class UserRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(DeleteRegistryKey(key_), 0); }
    void TearDown() override { EXPECT_EQ(DeleteRegistryKey(key_), 0); }

    const std::string key_ = "Software\\Kairos-test\\" + std::to_string(GetCurrentProcessId());
};

// The order of enumeration is the registry's own (wine's is by name), so
// the lines are compared by name.
std::vector<RegistryValue> ByName(std::vector<RegistryValue> values) {
    std::sort(values.begin(), values.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return values;
}

TEST_F(UserRegistryTest, KeepsJapaneseLines) {
    const std::vector<RegistryValue> written = {
        {"HistoryCount", "10"}, {"1", "目覚まし ①"}, {"2", "アラーム=\"朝\""}, {"3", ""}};
    for (const RegistryValue& value : written)
        ASSERT_EQ(WriteRegistryString(key_, "AlarmMessages", value.name, value.text), 0);
    std::vector<RegistryValue> read;
    ASSERT_EQ(ReadRegistrySection(key_, "AlarmMessages", read), 0);
    EXPECT_EQ(ByName(read), ByName(written));

    ASSERT_EQ(WriteRegistryString(key_, "AlarmMessages", "1", "起床"), 0);
    ASSERT_EQ(ReadRegistrySection(key_, "AlarmMessages", read), 0);
    ASSERT_EQ(read.size(), written.size());
    EXPECT_EQ(ByName(read)[0], (RegistryValue{"1", "起床"}));
}

TEST_F(UserRegistryTest, AnErasedSectionIsMissingAndItsNeighbourStays) {
    ASSERT_EQ(WriteRegistryString(key_, "A", "1", "x"), 0);
    ASSERT_EQ(WriteRegistryString(key_, "B", "1", "y"), 0);
    EXPECT_EQ(EraseRegistrySection(key_, "A"), 0);
    EXPECT_EQ(EraseRegistrySection(key_, "A"), 0);
    std::vector<RegistryValue> read{{"stale", "value"}};
    EXPECT_EQ(ReadRegistrySection(key_, "A", read), ENOENT);
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(ReadRegistrySection(key_, "B", read), 0);
    EXPECT_EQ(read, (std::vector<RegistryValue>{{"1", "y"}}));
}

TEST_F(UserRegistryTest, TheUsersWholeHiveIsNeverAddressed) {
    std::vector<RegistryValue> read;
    EXPECT_EQ(DeleteRegistryKey(""), EINVAL);
    EXPECT_EQ(EraseRegistrySection("", "Software"), EINVAL);
    EXPECT_EQ(ReadRegistrySection(key_, "", read), EINVAL);
    EXPECT_TRUE(UserRegistryAvailable());
}

}  // namespace
}  // namespace kairos::platform
