// The serial-settings dialog's captions come from the text table, which an
// imported workbook may have filled: they show as written, markup and all.
#include <QLabel>
#include <gtest/gtest.h>

#include "config/ComSetDlg.h"
#include "support/PixelProbes.h"
#include "support/PlainTextProbe.h"
#include "support/StationFixture.h"

TEST(ComSetDlgTest, CaptionsWithMarkupShowAsWritten)
{
    QStringList texts = view_test::MakeTexts();
    texts[9] = view_test::MarkupText();
    texts[10] = QStringLiteral("<i>波特率</i>");
    CComSetDlg dlg;
    dlg.m_pTexts = &texts;
    QStringList shown;
    int plain = 0;
    station_test::WhenModal<CComSetDlg>([&](CComSetDlg* open) {
        for (const char* id : {"1056", "1057"}) {
            if (auto* caption = open->findChild<QLabel*>(QLatin1String(id))) {
                shown << caption->text();
                plain += view_test::DrawsAsPlainText(caption) ? 1 : 0;
            }
        }
        open->reject();
    });
    EXPECT_EQ(dlg.DoModal(), QDialog::Rejected);
    EXPECT_EQ(shown, (QStringList{texts[9], texts[10]}));
    EXPECT_EQ(plain, 2);
}
