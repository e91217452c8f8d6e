// The compaction holds the window for as long as the file takes: the busy
// cursor shows from its start to its end, and what it tells on the way (here
// the write-back of a removed file at its close) comes while it shows.
#include <QApplication>
#include <QCursor>
#include <QFile>

#include "AnalysisFixture.h"
#include "analysis/ButAnaly.h"
#include "controls/StaX.h"

using CompactionCursorTest = AnalysisPageTest;

TEST_F(CompactionCursorTest, TheBusyCursorShowsThroughoutTheCompaction)
{
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_TRUE(QFile::remove(m_db.m_strDBPath));
    std::vector<std::pair<QString, Qt::CursorShape>> told;
    const MessageBoxHook previous = SetMessageBoxHook([&told](const MsgBoxRequest& req) {
        const QCursor* cursor = QApplication::overrideCursor();
        told.emplace_back(req.text, cursor ? cursor->shape() : Qt::ArrowCursor);
        return MsgBoxResult::Ok;
    });
    m_page->m_btCompact->click();
    SetMessageBoxHook(previous);

    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told.front().first.contains(QStringLiteral("DBServer.mdb"))) << told.front().first.toStdString();
    EXPECT_EQ(told.front().second, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the arrow again afterwards
    EXPECT_TRUE(QFile::exists(m_db.m_strDBPath));
    EXPECT_TRUE(m_page->m_stDBSize->text().startsWith(m_texts.value(218) + QLatin1Char(' ')));
}
