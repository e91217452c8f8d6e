// Fault occurrences as the replies hand them over: the last save of a run
// writes them all, a burst beyond the queue's bound included, what the ring
// had no room for is told at the close, and a lift that goes takes its
// occurrences along.
#include "DbTestSupport.h"

namespace {

class FaultOccurrenceTest : public DbTest {
protected:
    // A fault that flaps on every reply: count occurrences, no save between.
    void Flap(int n, int count)
    {
        for (int k = 0; k < count; ++k)
            TakeFaultCode(Lift(n), k % 2 == 0 ? 21 : 22);
    }
    int FaultRows(int n) { return Count(QStringLiteral("KALOR_LiftData_%1_Err").arg(n)); }
};

} // namespace

TEST_F(FaultOccurrenceTest, TheLastSaveWritesEveryInstalledLiftsOccurrencesAndCountsWhatHadNoRoom)
{
    SetUpLift(2, 8);
    SetUpLift(3, 8);
    m_db.m_nLanguageKind = 2;
    // Lift 2: more than its ring holds; lift 3: one the scan saw; slot 4 has
    // no lift installed, and its fault came and went.
    Flap(2, int(CFaultRing::kCapacity) + 4);
    TakeFaultCode(Lift(3), 111);
    TakeFaultCode(Lift(4), 77);
    TakeFaultCode(Lift(4), 0);
    m_db.SaveCountedFaults(m_store.m_pLiftInf);
    EXPECT_EQ(FaultRows(2), int(CFaultRing::kCapacity));
    EXPECT_EQ(Column(QStringLiteral("SELECT ErrCount || '/' || LiftState FROM KALOR_LiftData_3_Err")), QStringList{"111/7"});
    ExpectBoxes(0);
    m_db.CloseDatabase();
    EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("4 fault occurrences came while the station was busy, beyond "
                                                          "the room to keep them, and were not recorded.")});
    ExpectBoxes(1);

    // The free slot's occurrence went: the lift installed there starts clean.
    OpenDb();
    SetUpLift(4, 8);
    m_db.SaveLiftFault(&Lift(4), &Fault(4));
    EXPECT_EQ(FaultRows(4), 0);
}

TEST_F(FaultOccurrenceTest, ADeletedLiftTakesItsOccurrencesAlongAndTheNextLiftInItsSlotStartsClean)
{
    SetUpLift(5, 8);
    RaiseFault(5, 50);
    TakeFaultCode(Lift(5), 51);
    TakeFaultCode(Lift(5), 0);
    TakeFaultCode(Lift(5), 52);
    m_db.m_nLanguageKind = 2;
    EXPECT_TRUE(m_db.DeleteLift(&Lift(5), nullptr));
    EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("Lift 5 was deleted: its 0 calls and 2 faults not yet written "
                                                          "to the database were dropped with it.")});
    ExpectBoxes(1);

    SetUpLift(5, 8);
    RaiseFault(5, 53);
    EXPECT_EQ(Column(QStringLiteral("SELECT ErrCount FROM KALOR_LiftData_5_Err")), QStringList{"53"});
}
