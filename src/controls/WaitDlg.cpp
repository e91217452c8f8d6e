#include "controls/WaitDlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainterPath>
#include <QProgressBar>
#include <QRegion>
#include <QVBoxLayout>
#include <algorithm>

namespace {
// The box's template size (213 x 67 dialog units) in pixels.
constexpr int kWidth = 320;
constexpr int kHeight = 109;
} // namespace

CWaitDlg::CWaitDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setModal(false);
    m_MsgMap.On(WM_SET_PERCENT, [this](WPARAM w, LPARAM l) { return OnSetPercent(w, l); });
    OnInitDialog();
}

bool CWaitDlg::OnInitDialog()
{
    // Black for the box and what lies on it.
    QPalette pal = palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        pal.setColor(role, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    m_pProgress = new QProgressBar(this);
    // The bar keeps its own trough, so an empty bar still shows as a bar.
    QPalette barPal = QApplication::palette(m_pProgress);
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        barPal.setColor(role, barPal.color(role));  // set, so not inherited from the box
    m_pProgress->setPalette(barPal);
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    m_pProgress->setTextVisible(false);
    m_pProgress->setFocusPolicy(Qt::NoFocus);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 0, 24, 0);
    layout->addWidget(m_pProgress, 0, Qt::AlignVCenter);

    resize(kWidth, kHeight);
    UpdateRegion();
    // Where the window system has no translucency the box is simply opaque.
    setWindowOpacity(kAlpha / 255.0);
    return true;
}

LRESULT CWaitDlg::OnSetPercent(WPARAM /*wParam*/, LPARAM lParam)
{
    // The bar keeps to its range, as a progress control does with a position
    // outside it.
    const LPARAM percent = std::clamp<LPARAM>(lParam, 0, 100);
    m_pProgress->setValue(int(percent));
    return 0;
}

int CWaitDlg::GetPos() const
{
    return m_pProgress->value();
}

bool CWaitDlg::event(QEvent* event)
{
    if (m_MsgMap.Dispatch(event))
        return true;
    return QDialog::event(event);
}

void CWaitDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();  // neither confirms nor closes the box
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CWaitDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    UpdateRegion();
}

void CWaitDlg::UpdateRegion()
{
    QPainterPath path;
    const double radius = kCornerSize / 2.0;
    path.addRoundedRect(QRectF(0, 0, width() + 1, height() + 1), radius, radius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}
