// The clean run on planted traces: the question and the completion box, what
// No, an empty selection and all eight targets leave behind, the order of the
// targets, and that no window of the shell shows up along the way.
#include "tests/gui/QuenbyIds.h"
#include "tests/gui/QuenbyTest.h"
#include "tests/gui/Traces.h"

#include <array>
#include <set>

namespace gui {
namespace {

// Enough history files that walking them takes a while, so that the order of
// the targets can be watched while the run goes on.
constexpr int SlowHistoryFiles = 400;
constexpr DWORD WatchInterval = 1;
// How long a box that must not come is waited for.
constexpr DWORD NoBoxTimeout = 500;

std::string DescribeWindow(HWND window) {
    return "class \"" + ClassName(window) + "\", title \"" + WindowText(window) + "\", process " +
           std::to_string(ProcessOf(window));
}

// What the desktop and the traces showed while a confirmed clean ran.
struct RunObservation {
    // Windows that appeared besides the program's question and completion box.
    std::vector<std::string> otherWindows;
    // A target seen cleaned while an earlier one was not yet.
    std::set<std::string> orderFaults;
    // Looks taken after the first target was cleaned and before the history
    // was: they show that the order was watched while the run went on.
    int looksDuringRun = 0;
};

class CleanRunTest : public QuenbyTest {
protected:
    // Presses "&Clean", answers Yes and waits for the completion box, which it
    // checks and closes. Meanwhile it notes every new top-level window and,
    // with `traces`, the order in which the targets' traces go.
    RunObservation WatchedClean(const Traces* traces) {
        RunObservation seen;
        std::vector<HWND> present = VisibleTopLevelWindows();
        std::set<HWND> known(present.begin(), present.end());
        auto lookAtDesktop = [&] {
            for (HWND window : VisibleTopLevelWindows()) {
                if (known.insert(window).second && !IsOwnMessageBox(window))
                    seen.otherWindows.push_back(DescribeWindow(window));
            }
        };

        PostMessageA(Control(IdClean), BM_CLICK, 0, 0);
        HWND question = nullptr;
        WaitUntil(
            [&] {
                question = OwnMessageBox();
                lookAtDesktop();
                return question != nullptr;
            },
            ShortTimeout, WatchInterval);
        if (!ExpectMessageBox(CleanQuestion))
            return seen;
        PostMessageA(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);

        HWND finished = nullptr;
        WaitUntil(
            [&] {
                if (traces)
                    LookAtTraces(*traces, seen);
                finished = IsWindow(question) ? nullptr : OwnMessageBox();
                lookAtDesktop();
                return finished != nullptr;
            },
            CleanRunTimeout, WatchInterval);
        if (ExpectMessageBox(CleanFinished))
            Answer(finished, IDOK);
        lookAtDesktop();
        return seen;
    }

    HWND OwnMessageBox() {
        std::vector<HWND> dialogs = DialogsOf(Process().ProcessId(), Main());
        return dialogs.empty() ? nullptr : dialogs.front();
    }

    bool IsOwnMessageBox(HWND window) {
        return ProcessOf(window) == Process().ProcessId() && ClassName(window) == "#32770" &&
               GetWindow(window, GW_OWNER) == Main() && WindowText(window) == QuenbyName;
    }

    // Looks at the targets from the last to the first: a later target seen
    // cleaned before an earlier one is then seen not yet cleaned proves that
    // the later one went first.
    static void LookAtTraces(const Traces& traces, RunObservation& seen) {
        std::array<bool, TargetCount> cleaned{};
        for (int target = TargetCount - 1; target >= 0; --target)
            cleaned[target] = traces.LooksCleaned(target);
        for (int later = 1; later < TargetCount; ++later) {
            for (int earlier = 0; earlier < later; ++earlier) {
                if (cleaned[later] && !cleaned[earlier])
                    seen.orderFaults.insert("target " + std::to_string(later) +
                                            " cleaned before target " + std::to_string(earlier));
            }
        }
        if (cleaned[TargetRealPlayer] && !cleaned[TargetIEHistory])
            ++seen.looksDuringRun;
    }
};

TEST_F(CleanRunTest, NoLeavesEveryTraceAndShowsNoCompletion) {
    Traces traces;
    ASSERT_TRUE(traces.Plant(AllTargets));
    ASSERT_TRUE(Start());
    SetBoxes(AllTargets);
    TreeSnapshot before = traces.Capture();

    ASSERT_TRUE(CleanAndAnswer(IDNO));
    EXPECT_EQ(WaitForDialog(NoBoxTimeout), nullptr) << "a box opened after No";
    EXPECT_EQ(JoinLines(Differences(before, traces.Capture())), "");
    EXPECT_EQ(BoxesOnScreen(), AllTargets);
    EXPECT_TRUE(IsWindowVisible(Main()));
}

TEST_F(CleanRunTest, YesWithNoBoxCheckedCleansNothingAndStillReportsCompletion) {
    Traces traces;
    ASSERT_TRUE(traces.Plant(AllTargets));
    ASSERT_TRUE(Start());
    TreeSnapshot before = traces.Capture();

    ASSERT_TRUE(CleanAndAnswer(IDYES));
    EXPECT_EQ(JoinLines(Differences(before, traces.Capture())), "");
    EXPECT_EQ(WaitForDialog(NoBoxTimeout), nullptr) << "a third box opened";
}

TEST_F(CleanRunTest, AllEightTargetsLeaveTheCleanedStateInOrderAndNoShellWindow) {
    Traces traces;
    ASSERT_TRUE(traces.Plant(AllTargets, SlowHistoryFiles));
    ASSERT_TRUE(Start());
    SetBoxes(AllTargets);
    TreeSnapshot before = traces.Capture();

    RunObservation seen = WatchedClean(&traces);
    EXPECT_EQ(JoinLines(seen.otherWindows), "") << "windows other than the two boxes";
    EXPECT_EQ(JoinLines({seen.orderFaults.begin(), seen.orderFaults.end()}), "");
    EXPECT_GT(seen.looksDuringRun, 0) << "the run was over before its order could be watched";

    EXPECT_EQ(JoinLines(Differences(traces.AfterClean(before, AllTargets), traces.Capture())), "")
        << "differences from the cleaned state";
    traces.ExpectHeldIndexFileWiped();
    EXPECT_EQ(BoxesOnScreen(), AllTargets) << "the run changed the selection";
    EXPECT_TRUE(Process().IsRunning());
}

TEST_F(CleanRunTest, TargetsWithoutDataDoNotStopTheOnesAfterThem) {
    // No player was ever installed, the folders and the auto-complete store
    // are empty: only the browser keys and the recycle bin hold something.
    DWORD planted =
        (1u << TargetIEAddressBar) | (1u << TargetIEPasswords) | (1u << TargetRecycleBin);
    Traces traces;
    ASSERT_TRUE(traces.Plant(planted));
    ASSERT_TRUE(Start());
    SetBoxes(AllTargets);
    TreeSnapshot before = traces.Capture();

    ASSERT_TRUE(CleanAndAnswer(IDYES));
    for (int target : {TargetIEAddressBar, TargetIEPasswords, TargetRecycleBin})
        EXPECT_TRUE(traces.LooksCleaned(target)) << "target " << target;
    EXPECT_EQ(JoinLines(Differences(traces.AfterClean(before, AllTargets), traces.Capture())), "");
}

TEST_F(CleanRunTest, EmptyingAnEmptyRecycleBinShowsNoWindowOfTheShell) {
    ASSERT_TRUE(Start());
    SetBoxes(1u << TargetRecycleBin);
    RunObservation seen = WatchedClean(nullptr);
    EXPECT_EQ(JoinLines(seen.otherWindows), "") << "windows other than the two boxes";
    EXPECT_TRUE(RecycledNames().empty());
}

TEST_F(CleanRunTest, ACopyNamedOtherCaptionsBothBoxesOther) {
    std::string other = CopyProgram("renamed", "Other.exe");
    ASSERT_FALSE(other.empty());
    ASSERT_TRUE(StartProgram(other));
    EXPECT_TRUE(CleanAndAnswer(IDNO, "Other"));
    EXPECT_TRUE(CleanAndAnswer(IDYES, "Other"));
}

} // namespace
} // namespace gui
