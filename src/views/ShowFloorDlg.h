#pragma once
// The floor-lock editor of the single-lift page: 40 floor buttons, the three
// floor-lock modes (2 car calls, 3 hall calls, 4 all calls) and OK/Cancel.
// Each mode keeps its own working set while the editor is open; OK posts the
// set of the mode that is on (or a clear when none is) to the page, which
// sends it to the controller. A modeless window owned by the page.
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <array>
#include <cstdint>

#include "link/LiftFrames.h"
#include "platform/WindowMessage.h"

class ButState;
class CFloorB;
class FloorDlgB;
struct strLiftInf;

using FloorSet = std::array<std::int32_t, kLockFloors>;

class ShowFloorDlg : public QDialog {
    Q_OBJECT
public:
    explicit ShowFloorDlg(QWidget* parent = nullptr);

    bool OnInitDialog();
    // Lays the editor out for its present size and fills it from the page.
    void RefreshFloorDlg();

    LRESULT OnButStateClick(WPARAM wParam, LPARAM lParam);
    LRESULT OnFloorToggled(WPARAM wParam, LPARAM lParam);
    void OnOK();
    void OnCancel();

    // Mode 2, 3 or 4: its button and its working set; null for other values.
    ButState* ModeButton(int mode) const;
    FloorSet* ModeSet(int mode);

    QPointer<QObject> m_hTarget;  // the page, receiver of WM_FLOOR_LOCK
    std::array<CFloorB*, kLockFloors> m_pFloorBtn{};  // 7000..7039, floor i + 1
    FloorDlgB* m_btOk = nullptr;      // 1
    FloorDlgB* m_btCancel = nullptr;  // 2
    // 7041 kind 2, 7042 kind 4, 7043 kind 3.
    std::array<ButState*, 3> m_pModeBtn{};
    int m_nApply = 0;       // 1 set the edited floors, 0 clear
    int m_nActiveMode = 2;  // 2, 3 or 4
    int m_nFloorCount = 0;  // floors offered
    int m_nLiftIndex = 0;
    const QStringList* m_pTexts = nullptr;
    strLiftInf* m_pLiftInf = nullptr;  // the 64 lift records
    FloorSet* m_pLiveSet = nullptr;    // the page's set in force
    FloorSet* m_pEditSet = nullptr;    // the page's set to send
    FloorSet m_Set2{};
    FloorSet m_Set4{};
    FloorSet m_Set3{};
    int* m_pMode2 = nullptr;  // the page's mode flags
    int* m_pMode4 = nullptr;
    int* m_pMode3 = nullptr;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LayoutControls();
    QString FloorCaption(int floor) const;
    QString Text(int n) const;

    CMessageMap m_msgMap;
    bool m_bInitDone = false;
};
