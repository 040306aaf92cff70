// The shutdown or log-off query: the program never refuses it, and with no
// option stored it neither asks nor writes anything.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"
#include "tests/gui/SessionQuery.h"

namespace gui {
namespace {

class SessionQueryTest : public QuenbyTest, public testing::WithParamInterface<bool> {};

TEST_P(SessionQueryTest, WithoutOptionsIsAnsweredYesWithoutAQuestion) {
    HWND main = Start();
    ASSERT_TRUE(main);
    RegistrySnapshot before = TakeSnapshot(CompanyKey);
    SessionQuery query(main, GetParam());
    ASSERT_TRUE(query.WaitForAnswer(ShortTimeout)) << "no answer to the query";
    EXPECT_EQ(query.Answer(), TRUE);
    EXPECT_TRUE(DialogsOf(Process().ProcessId(), main).empty()) << "a message box opened";
    EXPECT_TRUE(Differences(before, TakeSnapshot(CompanyKey)).empty())
        << "the query wrote to the settings";
    // The query alone does not end the program: Windows ends it afterwards.
    EXPECT_TRUE(Process().IsRunning());
    EXPECT_TRUE(IsWindowVisible(main));
}

TEST_P(SessionQueryTest, WithTheSaveOptionSavesTheSelectionWithoutAQuestion) {
    ASSERT_TRUE(WriteDword(SettingsKey(QuenbyName), OptionValue, OptionSaveAtExit));
    HWND main = Start();
    ASSERT_TRUE(main);
    ASSERT_TRUE(SendWithin(Control(IdFirstCheckBox + 2), BM_CLICK, 0, 0));
    SessionQuery query(main, GetParam());
    ASSERT_TRUE(query.WaitForAnswer(ShortTimeout)) << "no answer to the query";
    EXPECT_EQ(query.Answer(), TRUE);
    EXPECT_TRUE(DialogsOf(Process().ProcessId(), main).empty()) << "a message box opened";
    EXPECT_EQ(ReadDword(SettingsKey(QuenbyName), PlaceValue), DWORD{0x04});
    EXPECT_TRUE(Process().IsRunning());
}

INSTANTIATE_TEST_SUITE_P(Reasons, SessionQueryTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "LogOff" : "Shutdown";
                         });

} // namespace
} // namespace gui
