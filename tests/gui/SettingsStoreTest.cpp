// The stored selection: what the boxes show at start for each kind of stored
// "Place", and what "&Save check as default" writes.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"

#include <optional>

namespace gui {
namespace {

struct StoredPlace {
    const char* name;
    // What "Place" holds before the start: a REG_DWORD, a REG_SZ text, or
    // nothing at all.
    std::optional<DWORD> number;
    const char* text;
    // The boxes checked at start.
    DWORD shown;
};

// clang-format off
const StoredPlace StoredPlaces[] = {
    {"Missing", std::nullopt, nullptr, 0x00},
    {"Zero", 0x00, nullptr, 0x00},
    {"RealPlayerAndRecentDocuments", 0x05, nullptr, 0x05},
    {"RealPlayerAndRecycleBin", 0x81, nullptr, 0x81},
    {"AllEightWithTheNinthBitIgnored", 0x1FF, nullptr, 0xFF},
    {"HigherBitsIgnored", 0xFFFFFF00u | 0x42, nullptr, 0x42},
    // Another program's value of the wrong type reads as nothing stored.
    {"TextOfTheWrongType", std::nullopt, "255", 0x00},
};
// clang-format on

void PrintTo(const StoredPlace& place, std::ostream* out) {
    *out << place.name;
}

class RestoreTest : public QuenbyTest, public testing::WithParamInterface<StoredPlace> {};

TEST_P(RestoreTest, ChecksTheStoredBoxesAndWritesNothing) {
    const StoredPlace& place = GetParam();
    if (place.number) {
        ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), PlaceValue, *place.number));
    }
    if (place.text) {
        ASSERT_TRUE(WriteString(SettingsKey(QuenbyName), PlaceValue, place.text));
    }
    RegistrySnapshot before = TakeSnapshot(CompanyKey);
    ASSERT_TRUE(Start());
    EXPECT_EQ(BoxesOnScreen(), place.shown) << std::hex << "boxes 0x" << BoxesOnScreen();
    PostMessageA(Control(IdExit), BM_CLICK, 0, 0);
    EXPECT_TRUE(Process().WaitForExit(ShortTimeout)) << "the program still runs";
    if (place.number || place.text) {
        EXPECT_TRUE(Differences(before, TakeSnapshot(CompanyKey)).empty())
            << "the stored value changed";
    }
}

INSTANTIATE_TEST_SUITE_P(Places, RestoreTest, testing::ValuesIn(StoredPlaces),
                         [](const testing::TestParamInfo<StoredPlace>& info) {
                             return std::string(info.param.name);
                         });

class SaveSelectionTest : public QuenbyTest {
protected:
    void SaveAsDefault() {
        EXPECT_TRUE(SendWithin(Main(), WM_COMMAND, CommandSaveDefault, 0))
            << "the save command waits for something";
        EXPECT_TRUE(DialogsOf(Process().ProcessId(), Main()).empty()) << "a box opened";
    }

    std::optional<RawValue> StoredPlace() { return ReadValue(SettingsKey(QuenbyName), PlaceValue); }
};

TEST_F(SaveSelectionTest, SavingAllEightRestoredFromTheNinthBitWritesOnlyTheEightBits) {
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), PlaceValue, 0x1FF));
    ASSERT_TRUE(Start());
    SaveAsDefault();
    EXPECT_EQ(ReadDword(SettingsKey(QuenbyName), PlaceValue), DWORD{0xFF});
}

TEST_F(SaveSelectionTest, StoresTheBoxesOnScreenThatNoCleanRunHasUsed) {
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), PlaceValue, 0x05));
    ASSERT_TRUE(Start());
    // A clean run takes the boxes of its moment (only the empty bin)...
    SetBoxes(1u << TargetRecycleBin);
    ASSERT_TRUE(CleanAndAnswer(IDYES));
    // ...and the boxes change after it.
    const DWORD onScreen = (1u << TargetMediaPlayer) | (1u << TargetIEHistory);
    SetBoxes(onScreen);
    SaveAsDefault();
    EXPECT_EQ(ReadDword(SettingsKey(QuenbyName), PlaceValue), onScreen);
}

TEST_F(SaveSelectionTest, NoBoxCheckedStoresZeroAndKeepsTheValue) {
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), PlaceValue, 0x81));
    ASSERT_TRUE(Start());
    SetBoxes(0);
    SaveAsDefault();
    std::optional<RawValue> place = StoredPlace();
    ASSERT_TRUE(place) << "\"Place\" was deleted";
    EXPECT_EQ(place->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(place->bytes, std::string(sizeof(DWORD), '\0'));
}

TEST_F(SaveSelectionTest, ReplacesAValueOfTheWrongTypeWithANumber) {
    ASSERT_TRUE(WriteString(SettingsKey(QuenbyName), PlaceValue, "255"));
    ASSERT_TRUE(Start());
    SetBoxes(0x81);
    SaveAsDefault();
    EXPECT_EQ(ReadDword(SettingsKey(QuenbyName), PlaceValue), DWORD{0x81});
}

TEST_F(SaveSelectionTest, ACopyUnderAnotherNameStartsFromNothingAndSavesUnderItsOwnKey) {
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), PlaceValue, 0xFF));
    std::string other = CopyProgram("renamed", "Other.exe");
    ASSERT_FALSE(other.empty());
    ASSERT_TRUE(StartProgram(other));
    EXPECT_EQ(BoxesOnScreen(), 0u) << "the copy read the selection of Quenby.exe";
    SetBoxes(0x03);
    SaveAsDefault();
    EXPECT_EQ(ReadDword(SettingsKey("Other"), PlaceValue), DWORD{0x03});
    EXPECT_EQ(ReadDword(SettingsKey(QuenbyName), PlaceValue), DWORD{0xFF});
}

} // namespace
} // namespace gui
