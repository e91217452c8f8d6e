#pragma once
// Runs the statements of one operation in a single transaction, so the file
// is synced once rather than once per statement. Statements stay independent:
// one that fails does not undo the others; the scope commits when it ends
// unless Rollback was called. Inside another transaction it does nothing: the
// outer one decides.
#include "database/AdoConnection.h"

class CDbTransaction {
public:
    explicit CDbTransaction(CAdoConnection& conn)
        : m_conn(conn)
        , m_bActive(conn.IsOpen() && !conn.InTransaction() && conn.BeginTrans())
    {
    }
    ~CDbTransaction() { Commit(); }
    CDbTransaction(const CDbTransaction&) = delete;
    CDbTransaction& operator=(const CDbTransaction&) = delete;

    bool IsActive() const { return m_bActive; }
    bool Commit()
    {
        if (!m_bActive)
            return false;
        m_bActive = false;
        return m_conn.CommitTrans();
    }
    void Rollback()
    {
        if (m_bActive)
            m_conn.RollbackTrans();
        m_bActive = false;
    }

private:
    CAdoConnection& m_conn;
    bool m_bActive;
};
