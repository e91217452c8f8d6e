// The floor-lock editor on its own: what it shows when opened from the page,
// how the mode buttons and floor buttons edit the working sets, what OK and
// Cancel hand back.
#include <QKeyEvent>

#include "LockTestSupport.h"

using namespace showone_test;
using namespace lock_test;

namespace {

std::vector<int> FloorStates(const ShowFloorDlg& dlg)
{
    std::vector<int> out;
    for (const CFloorB* b : dlg.m_pFloorBtn)
        out.push_back(b->GetState());
    return out;
}

} // namespace

class FloorLockEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.ok());
        page().m_pFloorLive[1] = 1;   // floors 2 and 5 locked in hall-call mode
        page().m_pFloorLive[4] = 1;
        page().m_pFloorEdit = page().m_pFloorLive;
        page().m_bFloorMode3 = 1;
    }
    CShowOneDlg& page() { return m_rig.page(); }
    ShowFloorDlg& dlg() { return *page().m_pFloorDlg; }
    void Open()
    {
        SendMessage(&page(), WM_BUTSTATE_CLICK, 0, 1);
        ASSERT_TRUE(dlg().isVisible());
        dlg().m_hTarget = &m_sink;  // OK posts here instead of the page
    }
    void Click(QWidget* w)
    {
        QTest::mouseClick(w, Qt::LeftButton);
        QTest::qWait(20);  // the posted messages
    }

    BoxLog m_boxes;
    ShowOneRig m_rig{kNoLine};
    MessageSink m_sink;
};

TEST_F(FloorLockEditor, OpensWithTheSetInForceAndOnlyTheLiftsFloors)
{
    Open();
    EXPECT_TRUE(m_boxes.texts().isEmpty());
    const std::vector<int> states = FloorStates(dlg());
    for (int i = 0; i < 40; ++i) {
        const int expected = i >= 12 ? CFloorB::kNone : (i == 1 || i == 4) ? CFloorB::kIn : CFloorB::kOut;
        EXPECT_EQ(states[std::size_t(i)], expected) << "floor " << i + 1;
    }
    EXPECT_EQ((std::array{dlg().ModeButton(2)->m_nOnValue, dlg().ModeButton(3)->m_nOnValue,
                          dlg().ModeButton(4)->m_nOnValue}), (std::array{0, 1, 0}));
    EXPECT_EQ(dlg().m_Set3, page().m_pFloorLive);
    EXPECT_EQ(dlg().m_nActiveMode, 3);
    // A floor that is not offered ignores the click.
    Click(dlg().m_pFloorBtn[20]);
    EXPECT_EQ(dlg().m_pFloorBtn[20]->GetState(), CFloorB::kNone);
    EXPECT_EQ(dlg().m_Set3[20], 0);
    EXPECT_EQ(dlg().m_pFloorBtn[11]->GetCaption(), QStringLiteral("12"));
}

TEST_F(FloorLockEditor, EachModeEditsItsOwnSetAndOkHandsOverTheOneThatIsOn)
{
    Open();
    // Switching car-call locks on: only its button is on, its set is empty,
    // and every one of the 40 floors can now be chosen.
    Click(dlg().ModeButton(2));
    EXPECT_EQ(dlg().ModeButton(2)->m_nOnValue, 1);
    EXPECT_EQ(dlg().ModeButton(3)->m_nOnValue, 0);
    EXPECT_EQ(FloorStates(dlg()), std::vector<int>(40, CFloorB::kOut));
    Click(dlg().m_pFloorBtn[6]);
    Click(dlg().m_pFloorBtn[30]);
    Click(dlg().m_pFloorBtn[30]);  // and out again
    EXPECT_EQ(dlg().m_Set2[6], 1);
    EXPECT_EQ(dlg().m_Set2[30], 0);
    EXPECT_EQ(dlg().m_Set3[6], 0) << "a mode that is off keeps its set";

    // Back to hall calls: its own set shows again.
    Click(dlg().ModeButton(3));
    EXPECT_EQ(dlg().m_pFloorBtn[1]->GetState(), CFloorB::kIn);
    EXPECT_EQ(dlg().m_pFloorBtn[6]->GetState(), CFloorB::kOut);
    Click(dlg().m_pFloorBtn[8]);

    Click(dlg().m_btOk);
    EXPECT_FALSE(dlg().isVisible());
    ASSERT_EQ(m_sink.messages.size(), 1u);
    EXPECT_EQ(m_sink.messages[0].msg, WM_FLOOR_LOCK);
    EXPECT_EQ(m_sink.messages[0].wParam, 1u);
    EXPECT_EQ(m_sink.messages[0].lParam, 3);
    FloorSet expected{};
    expected[1] = expected[4] = expected[8] = 1;
    EXPECT_EQ(page().m_pFloorEdit, expected);
    EXPECT_EQ(page().m_pFloorLive[8], 0) << "the set in force changes only after the controller confirms";
}

TEST_F(FloorLockEditor, CancelForgetsTheEditAndKeysDoNotCloseIt)
{
    Open();
    for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&dlg(), &press);
    }
    EXPECT_TRUE(dlg().isVisible());

    Click(dlg().ModeButton(4));
    Click(dlg().m_pFloorBtn[0]);
    page().m_pFloorEdit[9] = 1;  // as an earlier refused edit may have left it
    Click(dlg().m_btCancel);
    EXPECT_FALSE(dlg().isVisible());
    EXPECT_TRUE(m_sink.messages.empty());
    EXPECT_EQ(page().m_pFloorEdit, page().m_pFloorLive);
    EXPECT_EQ(dlg().ModeButton(4)->m_nOnValue, 0);
    EXPECT_EQ(dlg().ModeButton(3)->m_nOnValue, 1);
}

TEST_F(FloorLockEditor, ReopenedForALowerLiftOffersOnlyItsFloors)
{
    Open();
    Click(dlg().ModeButton(2));  // all 40 floors become choosable
    Click(dlg().m_btCancel);
    page().m_bFloorMode3 = 0;
    m_rig.lift().nMaxFloor = 6;
    Open();
    const std::vector<int> states = FloorStates(dlg());
    EXPECT_EQ(std::count(states.begin(), states.end(), CFloorB::kNone), 34);
    EXPECT_EQ(states[5], CFloorB::kOut);
    // A lift taller than the 40 lockable floors gets all 40.
    Click(dlg().m_btCancel);
    m_rig.lift().nMaxFloor = 255;
    Open();
    const std::vector<int> tall = FloorStates(dlg());
    EXPECT_EQ(std::count(tall.begin(), tall.end(), CFloorB::kNone), 0);
}

