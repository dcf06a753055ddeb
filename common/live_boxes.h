// Message boxes of the live cycle. A box shown from inside the main window's
// timer handler would hold that handler, and with it every further tick,
// until the operator answers: nothing read, nothing logged. While a live
// cycle scope is open, boxes are queued instead and shown from the event
// loop once the handler has returned, so the timer keeps ticking under
// them; a box already waiting or open is not queued a second time.
#pragma once

#include <QString>
#include <functional>

class QObject;

#include "operator_dialogs.h"

namespace rq30 {

// Marks the live cycle's handler while it runs (nests).
class LiveCycleScope {
 public:
  LiveCycleScope();
  ~LiveCycleScope();
  LiveCycleScope(const LiveCycleScope&) = delete;
  LiveCycleScope& operator=(const LiveCycleScope&) = delete;
};

bool InLiveCycle();

// Shows the box at once outside the live cycle; inside it, after the
// handler has returned, unless a box with the same caption and text is
// already waiting or open. `answered`, when given, gets the answer. A box
// queued for `context` is dropped when that object is destroyed first.
void ShowBox(const QString& text, const QString& caption, DialogIcon icon,
             DialogButtons buttons = DialogButtons::kOk,
             std::function<void(DialogAnswer)> answered = {}, QObject* context = nullptr);

// Boxes queued or open now (tests).
int BoxesPending();

// Forgets the boxes still queued: they are not shown (a test's scripted
// dialogs going away must not leave a real box behind).
void DropQueuedBoxes();

}  // namespace rq30
