#include "platform/ModelessBoxes.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "platform/MessageBoxDlg.h"

CModelessBoxes& CModelessBoxes::Instance()
{
    static CModelessBoxes boxes;
    return boxes;
}

void CModelessBoxes::Show(const MsgBoxRequest& req)
{
    CModelessBoxes& boxes = Instance();
    if (boxes.IsShowingOrDue(req.text))
        return;
    if (boxes.m_nWaiting > 0)
        boxes.m_due.push_back(req.text);
    else
        boxes.ShowNow(req);
}

bool CModelessBoxes::IsShowingOrDue(const QString& text)
{
    std::erase_if(m_shown, [](const Shown& shown) { return shown.box.isNull() || !shown.box->isVisible(); });
    return std::any_of(m_shown.begin(), m_shown.end(), [&](const Shown& shown) { return shown.text == text; }) ||
           std::find(m_due.begin(), m_due.end(), text) != m_due.end();
}

void CModelessBoxes::ShowNow(const MsgBoxRequest& req)
{
    // The box owns itself and goes when it is closed.
    auto* box = new CMessageBoxDlg;
    box->setAttribute(Qt::WA_DeleteOnClose);
    SetUpMessageBox(*box, req);
    // Not modal: the box holds up nothing. But a window that runs a modal
    // loop blocks every window that is not its own, so the box is made the
    // modal window's own, and its button and keys reach it.
    box->setModal(false);
    if (const QWidget* modal = QApplication::activeModalWidget()) {
        box->winId();
        if (QWindow* over = modal->window()->windowHandle(); over && box->windowHandle())
            box->windowHandle()->setTransientParent(over);
    }
    box->show();
    m_shown.push_back({box, req.text});
}

void CModelessBoxes::ShowDue()
{
    while (m_nWaiting == 0 && !m_due.empty()) {
        const QString text = m_due.front();
        m_due.pop_front();
        // Asked afresh: once nobody may answer any more, it goes to the log.
        AfxMessageBoxModeless(text);
    }
}

CModelessBoxes::Waiting::Waiting()
{
    ++Instance().m_nWaiting;
}

CModelessBoxes::Waiting::~Waiting()
{
    if (--Instance().m_nWaiting == 0 && !Instance().m_due.empty()) {
        // After the answered box has gone from the screen.
        QTimer::singleShot(0, [] { Instance().ShowDue(); });
    }
}
