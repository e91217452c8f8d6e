// A killed recorder leaves a sound file with every row it committed.

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "DbTestSupport.h"

TEST_F(DbTest, KilledRecorderLeavesASoundFileWithEveryCommittedRow)
{
    SetUpLift(1, 56);
    Page(1).nPageCount = 7;
    CloseDb();  // no connection crosses the fork
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // One new car call a save, each save reported once it has returned (and so is committed).
        close(fds[0]);
        if (!m_db.m_pAdo->OpenDatabase(false, m_path))
            _exit(3);
        for (int k = 0;; ++k) {
            Page(1).nCarLamp[k % 7] = 1 << ((k / 7) % 8);
            Page(1).nCarLampOld[k % 7] = 0;
            m_db.SaveLiftRecords(&Lift(1), &Page(1));
            const int rows = k + 1;
            if (write(fds[1], &rows, sizeof rows) != sizeof rows)
                _exit(4);
        }
    }
    close(fds[1]);
    int reported = 0, value = 0;
    while (reported < 400 && read(fds[0], &value, sizeof value) == sizeof value)
        reported = value;
    ASSERT_EQ(reported, 400) << "the recorder stopped early";
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    while (read(fds[0], &value, sizeof value) == sizeof value)
        reported = value;
    close(fds[0]);

    OpenDb();  // checks the file's integrity on the way
    const QStringList floors = Column(QStringLiteral("SELECT CallNum FROM KALOR_LiftData_1_1 ORDER BY rowid"));
    // Every reported row is there; at most the one save in flight is extra.
    EXPECT_GE(floors.size(), reported);
    EXPECT_LE(floors.size(), reported + 1);
    for (int k = 0; k < floors.size(); ++k)
        ASSERT_EQ(floors[k].toInt(), 8 * (k % 7) + (k / 7) % 8 + 1) << "row " << k;
}
