#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <optional>

#include "platform/MessageBoxDlg.h"
#include "platform/ModelessBoxes.h"

namespace {
std::mutex g_hookMutex;
MessageBoxHook g_hook;
QString g_okText;
QString g_cancelText;
std::atomic<bool> g_unattended{false};

// What a box ended without a button of its own answers (a signal's close,
// Escape, the window's close button, nobody there): the refusal.
MsgBoxResult Refusal(MsgBoxKind kind)
{
    switch (kind) {
    case MsgBoxKind::OkCancel: return MsgBoxResult::Cancel;
    case MsgBoxKind::YesNo: return MsgBoxResult::No;
    default: return MsgBoxResult::Ok;
    }
}
} // namespace

void SetUpMessageBox(CMessageBoxDlg& box, const MsgBoxRequest& req)
{
    box.setWindowTitle(req.caption);
    box.SetBoxText(req.text);
    if (req.bTopmost)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    switch (req.kind) {
    case MsgBoxKind::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgBoxKind::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgBoxKind::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    {
        std::lock_guard lock(g_hookMutex);
        if (QAbstractButton* ok = box.button(QMessageBox::Ok); ok && !g_okText.isEmpty())
            ok->setText(g_okText);
        if (QAbstractButton* cancel = box.button(QMessageBox::Cancel); cancel && !g_cancelText.isEmpty())
            cancel->setText(g_cancelText);
    }
    if (req.bDefaultSecond && req.kind != MsgBoxKind::Ok)
        box.setDefaultButton(req.kind == MsgBoxKind::YesNo ? QMessageBox::No : QMessageBox::Cancel);
}

namespace {

// A box nobody is there to see: a line of the log, and the answer that does nothing.
MsgBoxResult LogUnattended(MsgBoxRequest req, const MessageBoxHook& hook)
{
    const QByteArray line = (req.caption + QStringLiteral(": ") + req.text + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
    std::fflush(stderr);
    req.bModeless = true;
    if (hook)
        hook(req);
    return Refusal(req.kind);
}

// The answer when no real box is shown: unattended, or an installed hook's.
std::optional<MsgBoxResult> AnswerWithoutBox(const MsgBoxRequest& req)
{
    MessageBoxHook hook;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_hook;
    }
    if (g_unattended)
        return LogUnattended(req, hook);
    if (hook)
        return hook(req);
    return std::nullopt;
}

MsgBoxResult ShowRealBox(const MsgBoxRequest& req)
{
    CMessageBoxDlg box;
    SetUpMessageBox(box, req);
    const CModelessBoxes::Waiting waiting;
    // A box that waits for the operator during long work shows the arrow
    // over it, not the busy cursor the work has set.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    const int answer = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    // Only a button of the box answers: a box ended otherwise is refused.
    switch (answer) {
    case QMessageBox::Ok: return req.kind == MsgBoxKind::YesNo ? MsgBoxResult::No : MsgBoxResult::Ok;
    case QMessageBox::Cancel: return MsgBoxResult::Cancel;
    case QMessageBox::Yes: return req.kind == MsgBoxKind::YesNo ? MsgBoxResult::Yes : Refusal(req.kind);
    case QMessageBox::No: return MsgBoxResult::No;
    default: return Refusal(req.kind);
    }
}
} // namespace

QString StationCaption()
{
    return QStringLiteral("KALOR");
}

MsgBoxResult AfxMessageBox(const QString& text, const QString& caption, MsgBoxKind kind, bool bDefaultSecond)
{
    return AfxMessageBox(MsgBoxRequest{text, caption, kind, bDefaultSecond});
}

MsgBoxResult AfxMessageBox(const MsgBoxRequest& asked)
{
    // Without a caption the toolkit would title the box with the executable's name.
    MsgBoxRequest req = asked;
    if (req.caption.isEmpty())
        req.caption = StationCaption();
    if (const auto answer = AnswerWithoutBox(req))
        return *answer;
    auto* app = QCoreApplication::instance();
    if (!app)
        return MsgBoxResult::Ok;
    if (QThread::currentThread() == app->thread())
        return ShowRealBox(req);
    MsgBoxResult result = MsgBoxResult::Ok;
    QMetaObject::invokeMethod(app, [&] { result = ShowRealBox(req); }, Qt::BlockingQueuedConnection);
    return result;
}

void AfxMessageBoxModeless(const QString& text)
{
    MsgBoxRequest req{.text = text, .caption = StationCaption(), .kind = MsgBoxKind::Ok, .bModeless = true};
    if (AnswerWithoutBox(req))
        return;
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    QMetaObject::invokeMethod(app, [req] { CModelessBoxes::Show(req); }, Qt::QueuedConnection);
}

void SetMessageBoxButtonTexts(const QString& ok, const QString& cancel)
{
    std::lock_guard lock(g_hookMutex);
    g_okText = ok;
    g_cancelText = cancel;
}

void SetMessageBoxesUnattended(bool bUnattended)
{
    g_unattended = bUnattended;
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    std::lock_guard lock(g_hookMutex);
    MessageBoxHook previous = std::move(g_hook);
    g_hook = std::move(hook);
    return previous;
}

MessageBoxRecorder::MessageBoxRecorder(MsgBoxResult answer)
    : m_answer(answer)
{
    m_previous = SetMessageBoxHook([this](const MsgBoxRequest& req) {
        std::lock_guard lock(m_mutex);
        m_texts << req.text;
        if (!req.bModeless)
            ++m_nModal;
        if (req.kind == MsgBoxKind::Ok)
            return MsgBoxResult::Ok;
        return m_answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHook(std::move(m_previous)); }

QStringList MessageBoxRecorder::texts() const
{
    std::lock_guard lock(m_mutex);
    return m_texts;
}

int MessageBoxRecorder::count() const
{
    std::lock_guard lock(m_mutex);
    return int(m_texts.size());
}

int MessageBoxRecorder::modalCount() const
{
    std::lock_guard lock(m_mutex);
    return m_nModal;
}

void MessageBoxRecorder::clear()
{
    std::lock_guard lock(m_mutex);
    m_texts.clear();
    m_nModal = 0;
}

void MessageBoxRecorder::setAnswer(MsgBoxResult answer)
{
    std::lock_guard lock(m_mutex);
    m_answer = answer;
}
