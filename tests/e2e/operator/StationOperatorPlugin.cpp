// Qt loads it when QT_QPA_GENERIC_PLUGINS names "stationoperator:<name>/<password>".
#include <QGenericPlugin>

#include "StationOperator.h"

class CStationOperatorPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "StationOperatorPlugin.json")
public:
    QObject* create(const QString& key, const QString& specification) override
    {
        if (key.compare(QLatin1String("stationoperator"), Qt::CaseInsensitive) != 0)
            return nullptr;
        const qsizetype slash = specification.indexOf(QLatin1Char('/'));
        return new CStationOperator(specification.left(slash), specification.mid(slash + 1));
    }
};

#include "StationOperatorPlugin.moc"
