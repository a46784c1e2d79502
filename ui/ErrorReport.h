#pragma once

#include <QString>

namespace qv::ui {

// The program's name as the user sees it in captions.
inline const QString kApplicationTitle = QStringLiteral("Quadrivane");

// Shows a failure to the user: the error icon, the program's title as
// caption, and the text followed by a full stop.
void ReportError(const QString& text);

}  // namespace qv::ui
