// CtrlFile.txt and LockTime.txt: their exact bytes, round trips through the
// page, and files that are missing, short, corrupt or out of range.
#include <QDir>
#include <QTemporaryDir>

#include "LockTestSupport.h"
#include "views/LockTimeFile.h"

using namespace showone_test;
using namespace lock_test;

namespace {

QStringList FilesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

TEST(CtrlFile, AMissingOrShortFileIsMadeWholeAndOtherLiftsKeepTheirRecords)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CtrlFile.txt"));
    EXPECT_TRUE(CCtrlFile::ReadRecord(path, 0).isEmpty());
    const QByteArray rec = MakeRecord('1', '9', {1, 40});
    ASSERT_TRUE(CCtrlFile::WriteRecord(path, 63, rec));
    QByteArray file = FileBytes(path);
    ASSERT_EQ(file.size(), 64 * 43);
    EXPECT_EQ(file.mid(2709, 43), rec) << "lift index 63 holds bytes 2709..2751";
    EXPECT_EQ(RecordOf(file, 62), CCtrlFile::NoLockRecord());
    EXPECT_EQ(FilesIn(dir.path()), QStringList{QStringLiteral("CtrlFile.txt")}) << "no temporary file stays";

    // One and a half records: lift 0 locked, then a torn record of lift 1.
    ASSERT_TRUE(WriteFile(path, MakeRecord('1', '4', {2}) + QByteArray("1800110")));
    ASSERT_TRUE(CCtrlFile::WriteRecord(path, 5, MakeRecord('0', '8', {3})));
    file = FileBytes(path);
    ASSERT_EQ(file.size(), 64 * 43);
    EXPECT_EQ(RecordOf(file, 0), MakeRecord('1', '4', {2}));
    EXPECT_EQ(RecordOf(file, 1), QByteArray("1800110") + CCtrlFile::NoLockRecord().mid(7));
    EXPECT_EQ(RecordOf(file, 5), MakeRecord('0', '8', {3}));

    // Refused: bad index, record or folder; the file stays as it is.
    EXPECT_FALSE(CCtrlFile::WriteRecord(path, 64, CCtrlFile::NoLockRecord()));
    EXPECT_FALSE(CCtrlFile::WriteRecord(path, -1, CCtrlFile::NoLockRecord()));
    EXPECT_FALSE(CCtrlFile::WriteRecord(path, 0, QByteArray("0")));
    EXPECT_FALSE(CCtrlFile::WriteRecord(dir.filePath(QStringLiteral("none/CtrlFile.txt")), 0, CCtrlFile::NoLockRecord()));
    EXPECT_EQ(FileBytes(path), file);
}

TEST(CtrlFilePage, CorruptShortOrMissingFilesReadAsNoLock)
{
    BoxLog boxes;
    ShowOneRig rig(kNoLine);
    ASSERT_TRUE(rig.ok());
    CShowOneDlg& page = rig.page();
    auto lockEverything = [&] {
        page.m_nWholeLock = 1;
        page.m_bFloorMode2 = page.m_bFloorMode3 = page.m_bFloorMode4 = 1;
        page.m_pFloorLive.fill(1);
        page.m_pLockBtn[0]->SetOnValue(1);
        page.m_pLockBtn[1]->SetOnValue(1);
    };
    // Bytes that mean nothing: quotes, NULs, high bytes, line breaks.
    QByteArray garbage(43, '\0');
    for (int i = 0; i < 43; ++i)
        garbage[i] = "\"\xff\n\x01x"[i % 5];
    // No file, garbage, the last lift's record beyond a short file's end, an
    // index no record has.
    for (const auto& [file, index] : {std::pair{QByteArray(), 0}, std::pair{garbage, 0},
                                      std::pair{QByteArray("19011"), 63}, std::pair{QByteArray("19011"), 200}}) {
        QFile::remove(CtrlFilePath());
        if (!file.isEmpty()) {
            ASSERT_TRUE(WriteFile(CtrlFilePath(), file));
        }
        page.m_nLiftIndex = index;
        lockEverything();
        page.LoadCtrlFile();
        EXPECT_EQ(page.m_nWholeLock + page.m_bFloorMode2 + page.m_bFloorMode3 + page.m_bFloorMode4, 0) << index;
        EXPECT_EQ(std::count(page.m_pFloorLive.begin(), page.m_pFloorLive.end(), 1), 0) << index;
        EXPECT_EQ(page.m_pLockBtn[0]->m_nOnValue + page.m_pLockBtn[1]->m_nOnValue, 0) << index;
    }
    page.SaveCtrlFile();
    EXPECT_EQ(FileBytes(CtrlFilePath()), QByteArray("19011")) << "no record for an index outside 0..63";

    // A file that ends inside the record: what is there counts, nothing else.
    page.m_nLiftIndex = 0;
    lockEverything();
    page.LoadCtrlFile();
    EXPECT_EQ(page.m_nWholeLock, 1);
    EXPECT_EQ(page.m_bFloorMode4, 1);
    EXPECT_EQ(page.m_pFloorLive[1] + page.m_pFloorLive[2], 2);
    EXPECT_EQ(std::count(page.m_pFloorLive.begin(), page.m_pFloorLive.end(), 1), 2);
}

TEST(LockTimeFile, WritesEightLinesWithPaddedTimes)
{
    const strLockTime lt{1, 1, 8, 30, 0, 18, 5, 59};
    EXPECT_EQ(CLockTimeFile::Format(lt), QByteArray("AllLock=1\nPartLock=1\nStartTimeH= 8\nStartTimeM=30\n"
                                                    "StartTimeS= 0\nEndTimeH=18\nEndTimeM= 5\nEndTimeS=59\n"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("LockTime.txt"));
    ASSERT_TRUE(WriteFile(path, "stale text that is longer than the new file will be ................"));
    ASSERT_TRUE(CLockTimeFile::Write(path, lt));
    EXPECT_EQ(FileBytes(path), CLockTimeFile::Format(lt));
    EXPECT_EQ(FilesIn(dir.path()), QStringList{QStringLiteral("LockTime.txt")});
    EXPECT_FALSE(CLockTimeFile::Write(dir.filePath(QStringLiteral("none/LockTime.txt")), lt));
}

TEST(LockTimeFile, AFileWithABadLineIsNotReadAndAnEmptyLineEndsTheReading)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("LockTime.txt"));
    auto read = [&](const QByteArray& text, strLockTime start) {
        EXPECT_TRUE(WriteFile(path, text));
        CLockTimeFile::Read(path, start);
        return start;
    };
    const strLockTime before{0, 0, 7, 15, 0, 19, 0, 30};

    // Only the two flags: the times stay.
    strLockTime r = read("AllLock=1\nPartLock=1\n", before);
    EXPECT_EQ(r.bModeLatch, 1);
    EXPECT_EQ(r.bPeriodOn, 1);
    EXPECT_EQ(r.nStartH, 7);
    EXPECT_EQ(r.nEndS, 30);

    // Out of range, not a number, a wrong key, a sign, a ninth line: the
    // file is not ours and nothing of it is taken.
    const QByteArray good = "AllLock=0\nPartLock=1\nStartTimeH= 8\nStartTimeM= 0\nStartTimeS= 0\n"
                            "EndTimeH=18\nEndTimeM= 0\nEndTimeS= 0\n";
    for (const auto& [from, to] : {std::pair{"H= 8", "H=24"}, std::pair{"M= 0\nStartTimeS", "M=8x\nStartTimeS"},
                                   std::pair{"S= 0\nEndTimeH", "S=-1\nEndTimeH"}, std::pair{"EndTimeH", "EndTime"},
                                   std::pair{"EndTimeS= 0\n", "EndTimeS= 0\nAllLock=1\n"}}) {
        r = read(QByteArray(good).replace(from, to), before);
        EXPECT_EQ(CLockTimeFile::Format(r), CLockTimeFile::Format(before)) << to;
    }
    // A line longer than any read buffer is one line, not two: its tail is
    // not read as the second line.
    r = read("AllLock=" + QByteArray(118, ' ') + "0PartLock=1\n" + good.mid(good.indexOf("StartTimeH")), before);
    EXPECT_EQ(CLockTimeFile::Format(r), CLockTimeFile::Format(before));
    // CR LF line ends read fine.
    r = read(QByteArray(good).replace("\n", "\r\n"), before);
    EXPECT_EQ(CLockTimeFile::Format(r), good);

    // An empty line ends it; what follows is not read.
    r = read("AllLock=1\n\nStartTimeH=9\n", before);
    EXPECT_EQ(r.bModeLatch, 1);
    EXPECT_EQ(r.nStartH, 7);

    // One endless line of digits and a binary file: nothing taken, nothing broken.
    r = read(QByteArray("AllLock=") + QByteArray(100000, '9'), before);
    EXPECT_EQ(r.bModeLatch, 0);
    r = read(QByteArray(3000, '\xff'), before);
    EXPECT_EQ(CLockTimeFile::Format(r), CLockTimeFile::Format(before));

    strLockTime untouched = before;
    EXPECT_EQ(CLockTimeFile::Read(dir.filePath(QStringLiteral("missing.txt")), untouched), 0);
    EXPECT_EQ(CLockTimeFile::Format(untouched), CLockTimeFile::Format(before));
}

TEST(LockTimePage, OnlyAPeriodReadOrSetInThisRunIsWrittenWhenThePageGoes)
{
    BoxLog boxes;
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("SoftResoure"))));
    SetAppFolder(dir.path());
    const QString path = dir.filePath(QStringLiteral("SoftResoure/LockTime.txt"));
    const QByteArray night = "AllLock=0\nPartLock=1\nStartTimeH=22\nStartTimeM=30\nStartTimeS= 0\n"
                             "EndTimeH= 6\nEndTimeM= 0\nEndTimeS= 0\n";
    ASSERT_TRUE(WriteFile(path, night));
    { CShowOneDlg page; }  // a run that showed no lift
    EXPECT_EQ(FileBytes(path), night);
    {
        CShowOneDlg page;
        page.OnInitDialog();
        page.m_pLockTimeDlg->m_nTime = {8, 0, 0, 23, 0, 0};
        page.m_pLockTimeDlg->m_bEnabled = 1;
        SendMessage(&page, WM_LOCKTIME_SET, 0, 1);  // refused (no line): the values stay in the page
    }
    SetAppFolder(QString());
    EXPECT_EQ(FileBytes(path), QByteArray("AllLock=0\nPartLock=1\nStartTimeH= 8\nStartTimeM= 0\nStartTimeS= 0\n"
                                        "EndTimeH=23\nEndTimeM= 0\nEndTimeS= 0\n"));
}
