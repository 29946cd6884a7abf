// SPDX-License-Identifier: MIT
#include "addin/DisplaySetting.h"

#include <QSettings>

namespace qm {
namespace {

class QtSettingStore final : public SettingStore {
public:
    QString GetSetting(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue) override {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quillmark"), appName);
        return store.value(section + QLatin1Char('/') + key, defaultValue).toString();
    }
    void SaveSetting(const QString& appName, const QString& section, const QString& key,
                     const QString& value) override {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quillmark"), appName);
        store.setValue(section + QLatin1Char('/') + key, value);
        store.sync();
    }
};

}  // namespace

SettingStore& DefaultSettingStore() {
    static QtSettingStore store;
    return store;
}

}  // namespace qm
