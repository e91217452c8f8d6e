#pragma once
// The database as the build makes it. The copy laid out beside the program may
// already hold a station's own lifts (a station run by hand from the build
// folder writes to it), so the tests start from the build's own product.
#include <QFile>
#include <QString>

inline QString ShippedDatabase()
{
    const QString product = QStringLiteral(LIFT_BINARY_DIR "/res/DBServer.mdb");
    return QFile::exists(product) ? product : QStringLiteral(LIFT_BINARY_DIR "/bin/SoftResoure/DB/DBServer.mdb");
}
