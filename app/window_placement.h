// Where the main window opens: the stored position, unless it lies off every
// screen (a monitor removed, a resolution lowered, a damaged store), in which
// case the window goes onto the primary screen so the operator can reach it.
#pragma once

#include <QList>
#include <QRect>

namespace rq30 {

// `stored` is the frame the store gives; `screens` the available areas of
// all screens, `primary` that of the primary one. A window counts as
// reachable when a strip along its top (where the title bar is) at least
// kGrip pixels tall and wide lies on some screen.
QRect PlaceOnScreen(const QRect& stored, const QList<QRect>& screens, const QRect& primary);

constexpr int kGrip = 40;

}  // namespace rq30
