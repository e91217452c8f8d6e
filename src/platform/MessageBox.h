#pragma once
// Message boxes and prompts go through one replaceable hook so that tests can
// record them instead of blocking on a modal dialog.
#include <QString>
#include <QStringList>
#include <functional>
#include <mutex>

class QWidget;
class CMessageBoxDlg;

enum class MsgBoxKind { Ok, OkCancel, YesNo };
enum class MsgBoxResult { Ok, Cancel, Yes, No };

struct MsgBoxRequest {
    QString text;
    QString caption;
    MsgBoxKind kind = MsgBoxKind::Ok;
    bool bDefaultSecond = false;  // Cancel (or No) is the default answer
    bool bTopmost = false;        // kept above every other window
    bool bModeless = false;       // shown and left open; the caller goes on at once
};

using MessageBoxHook = std::function<MsgBoxResult(const MsgBoxRequest&)>;

// The station's caption: the title of every box and dialog of its own.
QString StationCaption();

// Shows a box (or hands it to the installed hook), titled with the station's
// caption when no caption is given. Safe from any thread: a call from a
// worker is carried to the user-interface thread and waited for.
MsgBoxResult AfxMessageBox(const QString& text, const QString& caption = QString(),
                           MsgBoxKind kind = MsgBoxKind::Ok, bool bDefaultSecond = false);
MsgBoxResult AfxMessageBox(const MsgBoxRequest& req);

// Shows an OK box without waiting for it: for faults found inside a timer
// handler, where a modal loop would stop the handler's own work. A text that
// is showing already is not shown again.
void AfxMessageBoxModeless(const QString& text);

// Gives a real box the request's title, text, buttons and default button.
void SetUpMessageBox(CMessageBoxDlg& box, const MsgBoxRequest& req);

// Captions of the OK and Cancel buttons of the real box, in the language in
// force (empty: the toolkit's own).
void SetMessageBoxButtonTexts(const QString& ok, const QString& cancel);

// Once nobody may be there to answer (the station ends on a signal), every
// box goes to the log (stderr) instead and nothing waits: an OK box is
// answered OK, a question with its cancel or no. An installed hook still gets
// each, as a box that does not wait.
void SetMessageBoxesUnattended(bool bUnattended);

// Installs a hook; returns the previous one. An empty hook restores the real box.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Test helper: records every box, answers with a chosen result, restores the
// previous hook when it goes.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(MsgBoxResult answer = MsgBoxResult::Ok);
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    QStringList texts() const;
    int count() const;
    int modalCount() const;  // boxes that waited for an answer
    void clear();
    void setAnswer(MsgBoxResult answer);

private:
    mutable std::mutex m_mutex;
    QStringList m_texts;
    int m_nModal = 0;
    MsgBoxResult m_answer;
    MessageBoxHook m_previous;
};
