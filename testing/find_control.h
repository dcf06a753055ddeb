// Finds a window's control by the object name the program gives it; a
// missing control ends the test at once with its name.
#pragma once

#include <QWidget>
#include <QtGlobal>

namespace rq30::testing {

template <typename T>
T* Find(QWidget& window, const char* name) {
  T* w = window.findChild<T*>(name);
  if (!w) qFatal("no control %s", name);
  return w;
}

}  // namespace rq30::testing
