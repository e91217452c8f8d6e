#include <QDir>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "RenderUtil.h"
#include "controls/ButX.h"
#include "controls/EditX.h"
#include "controls/ListCtrlX.h"
#include "controls/StaX.h"
#include "controls/WaitDlg.h"

// Renders each control in the looks the station uses into
// <build>/artifacts/controls/ for a person to look at; the pixel checks are
// in the other tests.
namespace {

QString ArtifactDir()
{
    const QString dir = QStringLiteral(LIFT_BINARY_DIR "/artifacts/controls");
    QDir().mkpath(dir);
    return dir;
}

void Save(QWidget& widget, const QString& name)
{
    QCoreApplication::processEvents();  // pending layouts and scroll ranges
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(QColor(40, 40, 40));
    widget.render(&image);
    const QString path = ArtifactDir() + QLatin1Char('/') + name;
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    // Something was drawn: more than one colour.
    EXPECT_GT(CountPixels(image, [&](const QColor& c) { return c.rgb() != image.pixel(0, 0); }), 100);
}

} // namespace

TEST(Screenshots, EveryControlInItsStationLook)
{
    // The page bar: nine bar buttons at 35 pixels, the current page red, one
    // hovered, one pressed, one disabled.
    QWidget bar;
    bar.setAutoFillBackground(true);
    QPalette pal = bar.palette();
    pal.setColor(QPalette::Window, Qt::black);
    bar.setPalette(pal);
    auto* row = new QHBoxLayout(&bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    const QStringList captions = {QStringLiteral("系统配置"), QStringLiteral("全部电梯"), QStringLiteral("群组监视"),
                                  QStringLiteral("单梯监视"), QStringLiteral("故障分析"), QStringLiteral("连接"),
                                  QStringLiteral("Exit"), QStringLiteral("Log in"), QStringLiteral("Re-read all lift data")};
    QList<CButX*> buttons;
    for (const QString& caption : captions) {
        auto* button = new CButX(&bar);
        button->setText(caption);
        button->setFixedSize(104, 35);
        row->addWidget(button);
        buttons.append(button);
    }
    buttons[1]->SetCaptionColor(0xFF);  // the current page
    buttons[8]->SetCaptionColor(0xFFFFFF);
    buttons[7]->setEnabled(false);
    bar.move(200, 200);  // away from the pointer, so only the chosen button is hovered
    bar.show();
    QCoreApplication::processEvents();
    SendEnter(*buttons[2], QPoint(50, 17));
    SendMouse(*buttons[3], QEvent::MouseButtonPress, QPoint(50, 17), Qt::LeftButton);
    Save(bar, QStringLiteral("buttons.png"));

    // Labels and edits as on the login row and the pages.
    QWidget form;
    form.setAutoFillBackground(true);
    form.setPalette(pal);
    form.resize(420, 170);
    CStaX user(QStringLiteral("用户名"), &form), password(QStringLiteral("密码"), &form),
        status(QStringLiteral("端口 COM1 已打开"), &form), page(QStringLiteral("电梯名称"), &form);
    user.setGeometry(10, 12, 67, 17);
    password.setGeometry(200, 12, 67, 17);
    status.setGeometry(10, 140, 300, 17);
    page.setGeometry(10, 50, 100, 17);
    for (CStaX* label : {&user, &password, &status})
        label->SetColors(0xFFFF00, 0x000000);
    user.SetFontSize(100);
    password.SetFontSize(100);
    page.SetColors(0x14B1E4, 0);
    CEditX name(&form), help(&form, true);
    name.setGeometry(80, 10, 100, 21);
    name.setText(QStringLiteral("1号梯 North"));
    help.setGeometry(120, 48, 290, 80);
    help.setText(QStringLiteral("故障原因: 门锁回路断开\nCause: the door lock circuit opened while the car was running."));
    help.ResetTextColor();
    form.show();
    Save(form, QStringLiteral("labels_edits.png"));

    // The configuration page's lift list: white, grid lines, row height 20,
    // one selected row, coloured cells and a wrapped name.
    ClistCtrlX list;
    list.resize(640, 190);
    list.SetBkColor(0xFFFFFF);
    list.SetExtendedStyle(ClistCtrlX::LVS_EX_GRIDLINES | ClistCtrlX::LVS_EX_FULLROWSELECT);
    const QList<QPair<QString, int>> columns = {{QStringLiteral("电梯号"), 90}, {QStringLiteral("电梯名称"), 200},
                                                {QStringLiteral("所属群组"), 120}, {QStringLiteral("最高层"), 80},
                                                {QStringLiteral("状态"), 80}};
    CHeadCtrlX* header = list.GetHeaderCtrl();
    for (int c = 0; c < columns.size(); ++c) {
        list.InsertColumn(c, columns[c].first, ClistCtrlX::LVCFMT_CENTER, columns[c].second);
        header->m_strCaptions.append(columns[c].first);
        header->m_strAlign.append(QLatin1Char('1'));
    }
    header->m_nFontHeight = 13;
    header->SetHeightFactor(1.5f);
    list.SetRowHeight(20);
    const QStringList names = {QStringLiteral("1号楼 东梯"), QStringLiteral("1号楼 西梯"),
                               QStringLiteral("North tower goods lift serving the loading bay"),
                               QStringLiteral("地下车库穿梭电梯长名称没有空格的文字"), QStringLiteral("5号梯")};
    for (int r = 0; r < names.size(); ++r) {
        list.InsertItem(r, QString::number(r + 1));
        list.SetItemText(r, 1, names[r]);
        list.SetItemText(r, 2, QStringLiteral("%1:A区").arg(r % 2 + 1));
        list.SetItemText(r, 3, QString::number(18 + r));
        list.SetItemText(r, 4, r == 4 ? QStringLiteral("离线") : QStringLiteral("在线"));
    }
    list.m_listColBk.push_back({0, 0, RGB(0xE8, 0xF0, 0xFF)});
    list.m_listItemBk.push_back({4, 4, RGB(0xFF, 0xD0, 0xD0)});
    list.m_listItemText.push_back({4, 4, RGB(0xC0, 0, 0)});
    list.m_listColText.push_back({0, 3, RGB(0, 0x80, 0)});
    list.SetItemState(1, ClistCtrlX::LVIS_SELECTED, ClistCtrlX::LVIS_SELECTED);
    list.show();
    Save(list, QStringLiteral("list.png"));

    // The progress box half way.
    CWaitDlg box;
    box.resize(340, 130);
    SendMessage(&box, WM_SET_PERCENT, 0, 50);
    box.show();
    Save(box, QStringLiteral("waitdlg.png"));
}
