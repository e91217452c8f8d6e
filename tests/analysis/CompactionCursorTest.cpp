// The compaction holds the window for as long as the file takes: the busy
// cursor shows from its start to its end. Every connection the engine opens
// in the process is seen through its automatic extension hook, so the test
// looks at the cursor in the middle of the work (the compaction's own
// connection and the reopening after it), not only at its edges.
#include <QApplication>
#include <QCursor>

#include <sqlite3.h>

#include "AnalysisFixture.h"
#include "analysis/ButAnaly.h"
#include "controls/StaX.h"

namespace {

std::vector<Qt::CursorShape>* g_pSeen = nullptr;

int NoteCursorAtOpen(sqlite3*, char**, const sqlite3_api_routines*)
{
    if (g_pSeen) {
        const QCursor* cursor = QApplication::overrideCursor();
        g_pSeen->push_back(cursor ? cursor->shape() : Qt::ArrowCursor);
    }
    return SQLITE_OK;
}

} // namespace

using CompactionCursorTest = AnalysisPageTest;

TEST_F(CompactionCursorTest, TheBusyCursorShowsThroughoutTheCompaction)
{
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    std::vector<Qt::CursorShape> seen;
    g_pSeen = &seen;
    ASSERT_EQ(sqlite3_auto_extension(reinterpret_cast<void (*)()>(&NoteCursorAtOpen)), SQLITE_OK);
    std::vector<QString> told;
    const MessageBoxHook previous = SetMessageBoxHook([&told](const MsgBoxRequest& req) {
        told.push_back(req.text);
        return MsgBoxResult::Ok;
    });
    m_page->m_btCompact->click();
    SetMessageBoxHook(previous);
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&NoteCursorAtOpen));
    g_pSeen = nullptr;

    EXPECT_TRUE(told.empty()) << told.front().toStdString();
    ASSERT_FALSE(seen.empty());  // at least the reopening after the compaction
    for (const Qt::CursorShape shape : seen)
        EXPECT_EQ(shape, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the arrow again afterwards
    EXPECT_TRUE(m_page->m_stDBSize->text().startsWith(m_texts.value(218) + QLatin1Char(' ')));
}
