// SPDX-License-Identifier: MIT
// The add-in library's entry point: hosts find it by the programmatic identifier in addin.json.
#include <QObject>
#include <QtPlugin>

#include "addin/Connect.h"
#include "addin/SettingStore.h"
#include "platform/qt/Services.h"

namespace qm {

class QuillmarkAddInFactory : public QObject, public vbide::AddInFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QM_ADDIN_FACTORY_IID FILE "addin.json")
    Q_INTERFACES(qm::vbide::AddInFactory)

public:
    vbide::IDTExtensibility* CreateObject(const QString& progId) override {
        if (progId != QLatin1String("ZI98VudAv.Connect")) return nullptr;
        return new Connect(DefaultServices(), DefaultSettingStore());
    }
};

}  // namespace qm

#include "AddInPlugin.moc"
