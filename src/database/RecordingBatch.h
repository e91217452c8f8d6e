#pragma once
// The recording saves of one view refresh, written to the file together when
// the scope ends: one transaction and one sync for all lifts, however many
// of them open a new day table at midnight.
#include "database/DBServer.h"

class CRecordingBatch {
public:
    explicit CRecordingBatch(CDBServer* pDB)
        : m_pDB(pDB)
    {
        if (m_pDB)
            m_pDB->BeginRecordingBatch();
    }
    ~CRecordingBatch()
    {
        if (m_pDB)
            m_pDB->EndRecordingBatch();
    }
    CRecordingBatch(const CRecordingBatch&) = delete;
    CRecordingBatch& operator=(const CRecordingBatch&) = delete;

private:
    CDBServer* m_pDB;
};
