#include "views/ShowFloorDlg.h"

#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

#include "link/LiftInf.h"
#include "platform/ColorRef.h"
#include "platform/KeyGuard.h"
#include "platform/UiText.h"
#include "views/ButState.h"
#include "views/FloorB.h"
#include "views/FloorDlgB.h"
#include "views/LockMessages.h"
#include "views/ShowOneMessages.h"
#include "views/TileGeometry.h"

namespace {

constexpr COLORREF kBackground = 0x1E1E1E;
constexpr COLORREF kFramePen = 0xFFFFFF;
constexpr int kMargin = 10;
constexpr int kColumns = 8;
constexpr int kFirstColumn = 25;
constexpr int kFirstRow = 90;
constexpr int kModeRowGap = 20;   // between the mode buttons and the first floor row
constexpr int kLargeFromHeight = 600;

// Modes in the order of the button array: 7041 kind 2, 7042 kind 4, 7043 kind 3.
constexpr std::array<int, 3> kModeOfButton = {2, 4, 3};
constexpr std::array<int, 3> kModeCaption = {269, 276, 270};

QFont ArialFont(int tenths)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(PointTenthsToPixels(tenths));
    font.setWeight(QFont::Medium);
    return font;
}

} // namespace

ShowFloorDlg::ShowFloorDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("ShowFloorDlg"));
    CKeyGuard::Install(this, CKeyGuard::Keys::ReturnEscapeSpace);
    setModal(false);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, FromColorRef(kBackground));
    setPalette(pal);

    m_msgMap.On(WM_BUTSTATE_CLICK, [this](WPARAM w, LPARAM l) { return OnButStateClick(w, l); });
    m_msgMap.On(WM_FLOOR_TOGGLED, [this](WPARAM w, LPARAM l) { return OnFloorToggled(w, l); });
}

bool ShowFloorDlg::event(QEvent* event)
{
    if (m_msgMap.Dispatch(event))
        return true;
    return QDialog::event(event);
}

QString ShowFloorDlg::Text(int n) const
{
    return UiText(m_pTexts, n);
}

bool ShowFloorDlg::OnInitDialog()
{
    if (m_bInitDone)
        return true;
    m_bInitDone = true;
    for (int i = 0; i < kLockFloors; ++i) {
        CFloorB* b = new CFloorB(this);
        b->setObjectName(QString::number(7000 + i));
        b->m_nFloor = i + 1;
        b->m_hTarget = this;
        m_pFloorBtn[std::size_t(i)] = b;
    }
    m_btOk = new FloorDlgB(this);
    m_btOk->setObjectName(QStringLiteral("1"));
    m_btCancel = new FloorDlgB(this);
    m_btCancel->setObjectName(QStringLiteral("2"));
    connect(m_btOk, &QAbstractButton::clicked, this, &ShowFloorDlg::OnOK);
    connect(m_btCancel, &QAbstractButton::clicked, this, &ShowFloorDlg::OnCancel);
    for (std::size_t k = 0; k < m_pModeBtn.size(); ++k) {
        ButState* b = new ButState(this);
        b->setObjectName(QString::number(7041 + int(k)));
        b->m_nKind = kModeOfButton[k];
        b->m_hTarget = this;
        // The editor opens only for a lift that is online on an open port.
        b->m_bPermitted = 1;
        m_pModeBtn[k] = b;
    }
    return true;
}

ButState* ShowFloorDlg::ModeButton(int mode) const
{
    for (std::size_t k = 0; k < kModeOfButton.size(); ++k)
        if (kModeOfButton[k] == mode)
            return m_pModeBtn[k];
    return nullptr;
}

FloorSet* ShowFloorDlg::ModeSet(int mode)
{
    switch (mode) {
    case 2: return &m_Set2;
    case 3: return &m_Set3;
    case 4: return &m_Set4;
    default: return nullptr;
    }
}

QString ShowFloorDlg::FloorCaption(int floor) const
{
    const int i = floor - 1;
    QString name;
    if (m_pLiftInf && m_nLiftIndex >= 0 && m_nLiftIndex < 64) {
        const strLiftInf& lift = m_pLiftInf[m_nLiftIndex];
        if (i < lift.arrFloorNameHi.size())
            name = lift.arrFloorNameHi.at(i);
        if (i < lift.arrFloorNameLo.size())
            name += lift.arrFloorNameLo.at(i);
    }
    // A floor without a display text shows its number rather than nothing.
    return name.trimmed().isEmpty() ? QString::number(floor) : name;
}

void ShowFloorDlg::LayoutControls()
{
    const QRect client = rect();
    const int usableW = client.width() - 2 * kMargin;
    const int usableH = client.height() - 2 * kMargin;
    const int side = usableW / 12;
    const int colStep = usableW / kColumns;
    const int rowStep = usableH / 7;
    const int left = client.left() + kFirstColumn;
    const int top = client.top() + kFirstRow;
    const int buttonH = usableH / 16;

    const QFont floorFont = ArialFont(150);
    for (int i = 0; i < kLockFloors; ++i) {
        CFloorB* b = m_pFloorBtn[std::size_t(i)];
        b->setGeometry(left + (i % kColumns) * colStep, top + (i / kColumns) * rowStep, side, side);
        b->m_nFloor = i + 1;
        b->SetCaption(FloorCaption(i + 1));
        b->m_font = floorFont;
        b->m_hTarget = this;
        b->hide();
        b->show();
    }

    const QFont buttonFont = ArialFont(client.height() < kLargeFromHeight ? 100 : 120);
    const int okRow = top + 5 * rowStep;
    const int okWidth = colStep + side;
    m_btOk->setGeometry(left + 4 * colStep, okRow, okWidth, buttonH);
    m_btCancel->setGeometry(left + 6 * colStep, okRow, okWidth, buttonH);
    m_btOk->m_font = buttonFont;
    m_btCancel->m_font = buttonFont;
    m_btOk->SetCaption(Text(80));
    m_btCancel->SetCaption(Text(268));

    // One row above the floors: kind 3 first, kind 2 a quarter further, kind 4 half.
    const int modeTop = top - buttonH - kModeRowGap;
    const int modeWidth = usableW / 4 - kMargin;
    auto placeMode = [&](int mode, int x) {
        ButState* b = ModeButton(mode);
        b->setGeometry(x, modeTop, modeWidth, buttonH);
        b->m_font = buttonFont;
        b->m_hTarget = this;
        b->m_pTexts = m_pTexts;
    };
    placeMode(3, left);
    placeMode(2, left + usableW / 4);
    placeMode(4, left + usableW / 2);
    for (std::size_t k = 0; k < m_pModeBtn.size(); ++k)
        m_pModeBtn[k]->SetCaption(Text(kModeCaption[k]));
}

void ShowFloorDlg::RefreshFloorDlg()
{
    if (!m_bInitDone)
        return;
    LayoutControls();
    m_Set2.fill(0);
    m_Set3.fill(0);
    m_Set4.fill(0);

    const int flag2 = m_pMode2 ? *m_pMode2 : 0;
    const int flag3 = m_pMode3 ? *m_pMode3 : 0;
    const int flag4 = m_pMode4 ? *m_pMode4 : 0;
    ModeButton(2)->SetOnValue(flag2);
    ModeButton(4)->SetOnValue(flag4);
    ModeButton(3)->SetOnValue(flag3);

    // The offered floors show the set in force; the others are not offered,
    // whatever an earlier opening for a taller lift left on them.
    const int offered = std::clamp(m_nFloorCount, 0, kLockFloors);
    for (int i = 0; i < kLockFloors; ++i) {
        CFloorB* b = m_pFloorBtn[std::size_t(i)];
        if (i < offered)
            b->SetState(m_pLiveSet && (*m_pLiveSet)[std::size_t(i)] == 1 ? CFloorB::kIn : CFloorB::kOut);
        else
            b->SetState(CFloorB::kNone);
        b->update();
    }

    for (const auto& [flag, mode] : {std::pair{flag2, 2}, std::pair{flag3, 3}, std::pair{flag4, 4}}) {
        if (flag != 1)
            continue;
        if (m_pLiveSet)
            *ModeSet(mode) = *m_pLiveSet;
        m_nActiveMode = mode;
        m_nApply = 1;
    }
}

LRESULT ShowFloorDlg::OnButStateClick(WPARAM wParam, LPARAM lParam)
{
    ButState* button = ModeButton(int(lParam));
    FloorSet* set = ModeSet(int(lParam));
    if (!button || !set || wParam > 1)
        return 0;
    m_nApply = int(wParam);
    m_nActiveMode = int(lParam);
    if (wParam == 0) {
        for (ButState* b : m_pModeBtn)
            b->SetOnValue(b == button ? 1 : 0);
        for (int i = 0; i < kLockFloors; ++i)
            m_pFloorBtn[std::size_t(i)]->SetState((*set)[std::size_t(i)] == 1 ? CFloorB::kIn : CFloorB::kOut);
    } else {
        button->SetOnValue(0);
        set->fill(0);
        for (CFloorB* b : m_pFloorBtn)
            b->SetState(CFloorB::kOut);
    }
    update();
    return 0;
}

LRESULT ShowFloorDlg::OnFloorToggled(WPARAM wParam, LPARAM lParam)
{
    if (lParam < 1 || lParam > kLockFloors || (wParam != 1 && wParam != 2))
        return 0;
    const std::size_t i = std::size_t(lParam - 1);
    for (int mode : {2, 4, 3}) {
        if (ModeButton(mode)->m_nOnValue == 1)
            (*ModeSet(mode))[i] = wParam == 2 ? 1 : 0;
    }
    return 0;
}

void ShowFloorDlg::OnOK()
{
    m_nApply = 0;
    for (int mode : {2, 3, 4}) {
        if (ModeButton(mode)->m_nOnValue == 1) {
            if (m_pEditSet)
                *m_pEditSet = *ModeSet(mode);
            m_nApply = 1;
            break;
        }
    }
    PostMessage(m_hTarget, WM_FLOOR_LOCK, WPARAM(m_nApply), m_nActiveMode);
    hide();
}

void ShowFloorDlg::OnCancel()
{
    if (m_pEditSet && m_pLiveSet)
        *m_pEditSet = *m_pLiveSet;
    ModeButton(2)->SetOnValue(m_pMode2 ? *m_pMode2 : 0);
    ModeButton(4)->SetOnValue(m_pMode4 ? *m_pMode4 : 0);
    ModeButton(3)->SetOnValue(m_pMode3 ? *m_pMode3 : 0);
    hide();
}

void ShowFloorDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QPen pen(FromColorRef(kFramePen), 2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

void ShowFloorDlg::keyPressEvent(QKeyEvent* event)
{
    // Return, space and escape neither confirm nor close the editor.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
