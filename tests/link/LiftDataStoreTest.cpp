// The four resets give every record its defined start.
#include <gtest/gtest.h>

#include "LinkTestUtil.h"
#include "link/LiftDataStore.h"

TEST(LiftDataStore, ResetsGiveDefinedRecords)
{
    CLiftDataStore store;
    for (int k = 0; k < kLiftSlots; ++k) {
        FillDistinct(store.m_pLiftInf[k], k);
        FillDistinct(store.m_pLiftPage[k], k);
        store.m_pLiftInf[k].strName = QStringLiteral("L%1").arg(k);
        store.m_pLiftCmd[k].nCarCall[3] = 0x11;
        store.m_pLiftCmd[k].nDownCallCnt[55] = 3;
        store.m_pLiftCmd[k].bOneShot = 1;
        store.m_pLiftFault[k].nReserved3 = 9;
    }
    store.ResetLiftRecords();
    store.ResetLiftPages();
    store.ResetLiftCmds();
    store.ResetLiftFaults();
    // Every field 0 but the numbers, the page fields the loader sets; the
    // previous status bits and the texts survive.
    for (int k = 0; k < kLiftSlots; ++k) {
        const std::map<std::string, long> set{{"nLiftNum", k + 1}, {"nRealAddr", k + 1}, {"nCurPage", 1}, {"nPageCount", 3}};
        EXPECT_EQ(store.m_pLiftInf[k].strName, QStringLiteral("L%1").arg(k));
        for (const FieldMap& fields : {Fields(store.m_pLiftInf[k]), Fields(store.m_pLiftPage[k]),
                                       Fields(store.m_pLiftCmd[k]), Fields(store.m_pLiftFault[k])})
            for (const auto& [name, value] : fields)
                EXPECT_TRUE(name == "nStatusBitsPrev" || value == (set.count(name) ? set.at(name) : 0)) << name << " of slot " << k;
    }
}
