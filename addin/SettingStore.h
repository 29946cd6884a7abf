// SPDX-License-Identifier: MIT
#pragma once
#include <QString>

namespace qm {

// The per-user store behind "DisplayOnConnect": string values by application, section and key.
class SettingStore {
public:
    virtual ~SettingStore() = default;
    virtual QString GetSetting(const QString& appName, const QString& section, const QString& key,
                               const QString& defaultValue) = 0;
    virtual void SaveSetting(const QString& appName, const QString& section, const QString& key,
                             const QString& value) = 0;
};

// ConfigDir()/<appName>.conf, [section] key=value, read and written by the profile layer with
// every settings file's guarantees; a failed save is reported on stderr.
SettingStore& DefaultSettingStore();

}  // namespace qm
