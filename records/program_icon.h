// The program's picture: a thermometer on a controller panel. The about and
// identification windows show it, and the main window may use it as its icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace rq30 {

// The picture at its full size (256 × 256); null only if the resource is missing.
QPixmap ProgramPicture();

QIcon ProgramIcon();

}  // namespace rq30
