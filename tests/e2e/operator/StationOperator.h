#pragma once
// The operator of a station that a test runs as a process of its own: loaded
// into it as an input plugin, it logs in with the name and password it was
// given, answers the serial settings with COM1, opens the all-lifts page, and
// writes to stderr each step it has taken and the text of every box it sees.
#include <QBasicTimer>
#include <QObject>
#include <QString>

class CStationOperator : public QObject {
public:
    CStationOperator(QString user, QString password);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void ReportNewBoxes();
    void Step();

    enum class Stage { Login, SerialSettings, AllLifts, Watching };
    Stage m_stage = Stage::Login;
    QString m_strUser;
    QString m_strPassword;
    QBasicTimer m_timer;
};
