#pragma once

#include <QString>

class QWidget;

namespace qv::ui {

inline const QString kAboutCaption = QStringLiteral("About Quadrivane");

// The program's version and licence.
QString AboutText();
// "About Quadrivane", a box with OK.
void ShowAbout(QWidget* parent);

}  // namespace qv::ui
