// SPDX-License-Identifier: MIT
#include "addin/SettingStore.h"

#include <QtGlobal>

#include <cerrno>
#include <cstring>

#include "platform/Profile.h"

namespace qm {
namespace {

// Values here are a flag or a short word; a longer one is cut like any profile read.
constexpr std::size_t kValueBufferSize = 4096;

// A name that cannot place the file outside the config folder.
std::string StoreFile(const QString& appName) {
    QString name = appName;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return (name + QStringLiteral(".conf")).toStdString();
}

class ProfileSettingStore final : public SettingStore {
public:
    QString GetSetting(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue) override {
        std::string value;
        win::GetPrivateProfileString(section.toStdString(), key.toStdString(), defaultValue.toStdString(),
                                     value, kValueBufferSize, StoreFile(appName));
        return QString::fromStdString(value);
    }
    void SaveSetting(const QString& appName, const QString& section, const QString& key,
                     const QString& value) override {
        const std::string file = StoreFile(appName);
        if (!WriteProfileString(section.toStdString(), key.toStdString(), value.toStdString(), file, "\n")) {
            const int error = errno;
            qWarning("cannot save %s in %s: %s", qPrintable(key), file.c_str(), std::strerror(error));
        }
    }
};

}  // namespace

SettingStore& DefaultSettingStore() {
    static ProfileSettingStore store;
    return store;
}

}  // namespace qm
