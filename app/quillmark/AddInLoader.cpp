// SPDX-License-Identifier: MIT
#include "app/quillmark/AddInLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>

namespace qm {
namespace {

struct Found {
    QString file;
    QString description;
};

// Reads only the libraries' metadata: nothing is loaded until an add-in is created.
Found Locate(const QString& progId) {
    for (const QString& dir : AddInSearchPath()) {
        const QDir folder(dir);
        for (const QString& name : folder.entryList(QDir::Files)) {
            const QString file = folder.absoluteFilePath(name);
            if (!QLibrary::isLibrary(file)) continue;
            const QPluginLoader loader(file);
            const QJsonObject meta = loader.metaData();
            if (meta.value(QStringLiteral("IID")).toString() != QLatin1String(QM_ADDIN_FACTORY_IID)) continue;
            const QJsonArray classes =
                meta.value(QStringLiteral("MetaData")).toObject().value(QStringLiteral("Classes")).toArray();
            for (const auto& entry : classes) {
                const QJsonObject cls = entry.toObject();
                if (cls.value(QStringLiteral("ProgID")).toString() == progId)
                    return {file, cls.value(QStringLiteral("Description")).toString()};
            }
        }
    }
    return {};
}

}  // namespace

QStringList AddInSearchPath() {
    QStringList dirs;
    const QString fromEnv = qEnvironmentVariable("QUILLMARK_ADDIN_PATH");
    for (const QString& dir : fromEnv.split(QLatin1Char(':'), Qt::SkipEmptyParts)) dirs << dir;
    const QString exeDir = QCoreApplication::applicationDirPath();
    dirs << QDir::cleanPath(exeDir + QStringLiteral("/../lib/quillmark/addins"));
    dirs << QDir::cleanPath(exeDir + QStringLiteral("/../../addins"));
    return dirs;
}

vbide::AddInFactory* FindAddIn(const QString& progId, QString* error) {
    const Found found = Locate(progId);
    if (found.file.isEmpty()) {
        if (error)
            *error = QCoreApplication::translate("AddInLoader", "No add-in library for %1 was found in %2.")
                         .arg(progId, AddInSearchPath().join(QStringLiteral(", ")));
        return nullptr;
    }
    QPluginLoader loader(found.file);
    auto* factory = qobject_cast<vbide::AddInFactory*>(loader.instance());
    if (!factory && error)
        *error = QCoreApplication::translate("AddInLoader", "The add-in library %1 could not be loaded: %2")
                     .arg(found.file, loader.errorString());
    return factory;
}

QString AddInDescription(const QString& progId) { return Locate(progId).description; }

}  // namespace qm
