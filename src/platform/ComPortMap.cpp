#include "platform/ComPortMap.h"

#include <QSettings>

QString ComDevicePath(int port)
{
    const QByteArray env = qgetenv(QStringLiteral("LIFT_COM%1").arg(port).toLatin1().constData());
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    QSettings settings;
    const QString stored = settings.value(QStringLiteral("Ports/COM%1").arg(port)).toString();
    if (!stored.isEmpty())
        return stored;
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}
