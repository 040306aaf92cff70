// The shutdown or log-off query: the program never refuses it; with no
// option stored it neither asks nor writes anything, with "Process before
// windows shutdown" it runs the clean run with its question before it answers,
// and with "Save settings as default when exit" it saves the selection, after
// the clean run when both are set.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"
#include "tests/gui/SessionQuery.h"
#include "tests/gui/Traces.h"

namespace gui {
namespace {

// The box checked on screen before the query: "IE address bar", over a
// planted typed-address list.
constexpr DWORD CheckedSelection = 1u << TargetIEAddressBar;
// How long the test makes sure that the query is still waiting.
constexpr DWORD StillWaiting = 200;

class SessionQueryTest : public QuenbyTest, public testing::WithParamInterface<bool> {
protected:
    // Stores "Option", plants the typed-address list, starts the program and
    // checks its box on screen (the selection itself is not stored).
    HWND StartWith(DWORD option) {
        EXPECT_TRUE(WriteDword(SettingsKey(QuenbyName), OptionValue, option));
        if (!m_traces.Plant(CheckedSelection))
            return nullptr;
        HWND main = Start();
        if (main)
            SetBoxes(CheckedSelection);
        return main;
    }

    bool PlaceWritten() { return ValueExists(SettingsKey(QuenbyName), PlaceValue); }

    // The query has not been answered while a box of the program is up.
    void ExpectStillWaiting(SessionQuery& query) {
        EXPECT_FALSE(query.WaitForAnswer(StillWaiting)) << "answered while a box is open";
    }

    void ExpectAnsweredYes(SessionQuery& query) {
        ASSERT_TRUE(query.WaitForAnswer(ShortTimeout)) << "no answer to the query";
        EXPECT_EQ(query.Answer(), TRUE);
        EXPECT_TRUE(Process().IsRunning()) << "the query alone ended the program";
    }

    Traces m_traces;
};

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

TEST_P(SessionQueryTest, WithOptionZeroShowsCleansAndWritesNothing) {
    HWND main = StartWith(0);
    ASSERT_TRUE(main);
    TreeSnapshot traces = m_traces.Capture();
    RegistrySnapshot settings = TakeSnapshot(CompanyKey);
    SessionQuery query(main, GetParam());
    ExpectAnsweredYes(query);
    EXPECT_TRUE(DialogsOf(Process().ProcessId(), main).empty()) << "a message box opened";
    EXPECT_TRUE(Differences(traces, m_traces.Capture()).empty()) << "something was cleaned";
    EXPECT_TRUE(Differences(settings, TakeSnapshot(CompanyKey)).empty())
        << "the query wrote to the settings";
}

TEST_P(SessionQueryTest, WithCleanAtShutdownAsksAndNoCleansNothing) {
    HWND main = StartWith(OptionCleanAtShutdown);
    ASSERT_TRUE(main);
    TreeSnapshot before = m_traces.Capture();
    SessionQuery query(main, GetParam());
    HWND question = ExpectMessageBox(CleanQuestion);
    ASSERT_TRUE(question);
    ExpectStillWaiting(query);
    Answer(question, IDNO);
    ExpectAnsweredYes(query);
    EXPECT_TRUE(DialogsOf(Process().ProcessId(), main).empty()) << "a box opened after No";
    EXPECT_TRUE(Differences(before, m_traces.Capture()).empty()) << "something was cleaned";
    EXPECT_FALSE(PlaceWritten());
}

TEST_P(SessionQueryTest, WithCleanAtShutdownYesCleansTheCheckedTargetsBeforeAnswering) {
    HWND main = StartWith(OptionCleanAtShutdown);
    ASSERT_TRUE(main);
    SessionQuery query(main, GetParam());
    HWND question = ExpectMessageBox(CleanQuestion);
    ASSERT_TRUE(question);
    Answer(question, IDYES);
    HWND finished = ExpectMessageBox(CleanFinished);
    ASSERT_TRUE(finished);
    EXPECT_TRUE(m_traces.LooksCleaned(TargetIEAddressBar)) << "not cleaned while the box is up";
    ExpectStillWaiting(query);
    Answer(finished, IDOK);
    ExpectAnsweredYes(query);
    EXPECT_FALSE(PlaceWritten());
    EXPECT_EQ(BoxesOnScreen(), CheckedSelection);
}

// A program hidden in the notification area still asks: its box shows
// although its main window does not.
TEST_P(SessionQueryTest, WithCleanAtShutdownAsksAlsoWhileHiddenInTheNotificationArea) {
    HWND main = StartWith(OptionCleanAtShutdown);
    ASSERT_TRUE(main);
    ASSERT_TRUE(SendWithin(main, WM_SYSCOMMAND, SC_MINIMIZE, 0));
    ASSERT_FALSE(IsWindowVisible(main));
    SessionQuery query(main, GetParam());
    HWND question = ExpectMessageBox(CleanQuestion);
    ASSERT_TRUE(question);
    EXPECT_TRUE(IsWindowVisible(question));
    Answer(question, IDNO);
    ExpectAnsweredYes(query);
    EXPECT_FALSE(m_traces.LooksCleaned(TargetIEAddressBar)) << "cleaned after No";
}

TEST_P(SessionQueryTest, WithBothOptionsSavesTheSelectionOnlyAfterNo) {
    HWND main = StartWith(OptionCleanAtShutdown | OptionSaveAtExit);
    ASSERT_TRUE(main);
    SessionQuery query(main, GetParam());
    HWND question = ExpectMessageBox(CleanQuestion);
    ASSERT_TRUE(question);
    EXPECT_FALSE(PlaceWritten()) << "saved before the question was answered";
    Answer(question, IDNO);
    ExpectAnsweredYes(query);
    EXPECT_EQ(ReadDword(SettingsKey(QuenbyName), PlaceValue), CheckedSelection);
    EXPECT_FALSE(m_traces.LooksCleaned(TargetIEAddressBar)) << "cleaned after No";
}

TEST_P(SessionQueryTest, WithBothOptionsSavesTheSelectionOnlyAfterTheCleanRun) {
    HWND main = StartWith(OptionCleanAtShutdown | OptionSaveAtExit);
    ASSERT_TRUE(main);
    SessionQuery query(main, GetParam());
    HWND question = ExpectMessageBox(CleanQuestion);
    ASSERT_TRUE(question);
    EXPECT_FALSE(PlaceWritten()) << "saved before the question was answered";
    Answer(question, IDYES);
    HWND finished = ExpectMessageBox(CleanFinished);
    ASSERT_TRUE(finished);
    EXPECT_FALSE(PlaceWritten()) << "saved before the clean run ended";
    Answer(finished, IDOK);
    ExpectAnsweredYes(query);
    EXPECT_EQ(ReadDword(SettingsKey(QuenbyName), PlaceValue), CheckedSelection);
    EXPECT_TRUE(m_traces.LooksCleaned(TargetIEAddressBar));
}

INSTANTIATE_TEST_SUITE_P(Reasons, SessionQueryTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "LogOff" : "Shutdown";
                         });

} // namespace
} // namespace gui
