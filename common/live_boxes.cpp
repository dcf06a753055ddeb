#include "live_boxes.h"

#include <QCoreApplication>
#include <QTimer>
#include <set>

namespace rq30 {
namespace {

int liveDepth = 0;
std::set<QString> pending;  // caption + text of each box waiting or open
unsigned generation = 0;    // DropQueuedBoxes() moves it on

}  // namespace

LiveCycleScope::LiveCycleScope() { ++liveDepth; }
LiveCycleScope::~LiveCycleScope() { --liveDepth; }

bool InLiveCycle() { return liveDepth > 0; }

int BoxesPending() { return static_cast<int>(pending.size()); }

void DropQueuedBoxes() {
  ++generation;
  pending.clear();
}

void ShowBox(const QString& text, const QString& caption, DialogIcon icon, DialogButtons buttons,
             std::function<void(DialogAnswer)> answered, QObject* context) {
  if (!InLiveCycle() || !QCoreApplication::instance()) {
    const DialogAnswer answer = Dialogs().Message(text, caption, icon, buttons);
    if (answered) answered(answer);
    return;
  }
  const QString key = caption + QChar(u'\n') + text;
  if (!pending.insert(key).second) return;
  const unsigned queuedIn = generation;
  QObject* owner = context ? context : QCoreApplication::instance();
  QTimer::singleShot(0, owner, [=] {
    if (queuedIn != generation) return;
    const DialogAnswer answer = Dialogs().Message(text, caption, icon, buttons);
    if (queuedIn != generation) return;
    pending.erase(key);
    if (answered) answered(answer);
  });
}

}  // namespace rq30
