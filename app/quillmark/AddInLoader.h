// SPDX-License-Identifier: MIT
#pragma once
#include <QString>
#include <QStringList>

#include "addin/VBIDE.h"

namespace qm {

// Folders searched for add-in libraries: $QUILLMARK_ADDIN_PATH (colon-separated), then the
// installed folder beside the executable (../lib/quillmark/addins), then the build tree's.
QStringList AddInSearchPath();

// The factory of the add-in library whose metadata lists progId, loaded; null with a
// message in *error when none is found or it fails to load. The library stays loaded.
vbide::AddInFactory* FindAddIn(const QString& progId, QString* error);

// Description of the class progId from its library's metadata, or empty.
QString AddInDescription(const QString& progId);

}  // namespace qm
