#pragma once

struct QMetaObject;

namespace qv::ui {

// Left to the toolkit, a top-level window built on a plain widget reads to a
// screen reader as a nameless pane. Windows of the class registered here read
// as windows, named by their titles. Call it from the class's constructor.
void ReadAsWindow(const QMetaObject& windowClass);

}  // namespace qv::ui
