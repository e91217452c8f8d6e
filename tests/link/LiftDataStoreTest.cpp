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
    for (int k = 0; k < kLiftSlots; ++k) {
        const strLiftInf& r = store.m_pLiftInf[k];
        FieldMap inf = Fields(r);
        EXPECT_EQ(inf.at("nLiftNum"), k + 1);
        EXPECT_EQ(inf.at("nRealAddr"), k + 1);
        // The previous status bits and the texts survive the reset.
        EXPECT_EQ(r.strName, QStringLiteral("L%1").arg(k));
        inf.erase("nLiftNum");
        inf.erase("nRealAddr");
        inf.erase("nStatusBitsPrev");
        for (const auto& [name, value] : inf)
            EXPECT_EQ(value, 0) << name << " of slot " << k;

        FieldMap page = Fields(store.m_pLiftPage[k]);
        EXPECT_EQ(page.at("nCurPage"), 1);
        EXPECT_EQ(page.at("nPageCount"), 3);  // the loader sets it
        page.erase("nCurPage");
        page.erase("nPageCount");
        for (const auto& [name, value] : page)
            EXPECT_EQ(value, 0) << name;

        FieldMap cmd = Fields(store.m_pLiftCmd[k]);
        EXPECT_EQ(cmd.at("nLiftNum"), k + 1);
        cmd.erase("nLiftNum");
        for (const auto& [name, value] : cmd)
            EXPECT_EQ(value, 0) << name;

        for (const auto& [name, value] : Fields(store.m_pLiftFault[k]))
            EXPECT_EQ(value, 0) << name;
    }
}
