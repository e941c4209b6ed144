#pragma once

#include <QString>

// Registers the project file type with the desktop for the running
// executable: a shared-mime-info package, the program's icon and a desktop
// entry under the user's data folder, then refreshes the desktop's caches when their tools
// are installed. Never fails; anything that goes wrong is left alone.
void RegisterFileAssociation(const QString& executable);
