#pragma once

#include <QString>

#include "model/settings.h"

class QSettings;
class QWidget;

namespace qv::ui {

struct TWindows;

// What the program remembers between runs, in the platform's usual place
// (QSettings of the organisation and application "Quadrivane"): the
// settings dialog's record, the computer's colours and each named top-level
// window's position and size, and the computer's level (0: the settings'
// players). A value missing or unreadable keeps the
// default, a number out of range is clamped, a window off every screen is
// brought back onto one.
//
// "help/showAtStartUp" belongs to the help window; nothing here writes it.
inline const QString kLevelKey = QStringLiteral("opponent/level");
inline const QString kShowAtStartUpKey = QStringLiteral("help/showAtStartUp");

void ReadSettings(QSettings& store, TSettings& settings);
void WriteSettings(QSettings& store, const TSettings& settings);

// One top-level window, by its object name; false when nothing usable is stored.
bool ReadWindowPlace(QSettings& store, QWidget* window);
void WriteWindowPlace(QSettings& store, const QWidget* window);

// Everything, at start-up (before the main window is shown) and at the end.
// The first start keeps the classic places, except that the statistics
// window opens beside the main window when the screen has room.
void RestoreStored(TWindows& windows, QSettings& store);
void KeepStored(const TWindows& windows, QSettings& store);
// The same on the program's own store. Keeping reports on stderr, and only
// there, when the store cannot be written.
void RestoreStored(TWindows& windows);
void KeepStored(const TWindows& windows);
// After OK or Apply: the dialog's record alone.
void KeepSettings(const TSettings& settings);

}  // namespace qv::ui
