#pragma once
// The in-memory picture of the 64 lift slots: four parallel tables indexed by
// the 0-based lift index.
#include <array>
#include <memory>

#include "link/LiftCmd.h"
#include "link/LiftFault.h"
#include "link/LiftInf.h"
#include "link/LiftPage.h"

constexpr int kLiftSlots = 64;
constexpr int kStations = 16;

class CLiftDataStore {
public:
    CLiftDataStore();
    CLiftDataStore(const CLiftDataStore&) = delete;
    CLiftDataStore& operator=(const CLiftDataStore&) = delete;

    void ResetLiftRecords();
    void ResetLiftPages();
    void ResetLiftCmds();
    void ResetLiftFaults();

    // The four tables, 64 records each; the pointers stay valid for the store's life.
    std::unique_ptr<std::array<strLiftInf, kLiftSlots>> m_LiftInf;
    std::unique_ptr<std::array<strLiftPage, kLiftSlots>> m_LiftPage;
    std::unique_ptr<std::array<strLiftCmd, kLiftSlots>> m_LiftCmd;
    std::unique_ptr<std::array<strLiftFault, kLiftSlots>> m_LiftFault;

    strLiftInf* m_pLiftInf;
    strLiftPage* m_pLiftPage;
    strLiftCmd* m_pLiftCmd;
    strLiftFault* m_pLiftFault;
};
