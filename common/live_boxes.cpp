#include "live_boxes.h"

#include <QCoreApplication>
#include <QTimer>
#include <set>

namespace rq30 {
namespace {

int liveDepth = 0;
std::set<QString> pending;  // caption + text of each box waiting or open

}  // namespace

LiveCycleScope::LiveCycleScope() { ++liveDepth; }
LiveCycleScope::~LiveCycleScope() { --liveDepth; }

bool InLiveCycle() { return liveDepth > 0; }

int BoxesPending() { return static_cast<int>(pending.size()); }

void ShowBox(const QString& text, const QString& caption, DialogIcon icon, DialogButtons buttons,
             std::function<void(DialogAnswer)> answered) {
  if (!InLiveCycle() || !QCoreApplication::instance()) {
    const DialogAnswer answer = Dialogs().Message(text, caption, icon, buttons);
    if (answered) answered(answer);
    return;
  }
  const QString key = caption + QChar(u'\n') + text;
  if (!pending.insert(key).second) return;
  QTimer::singleShot(0, QCoreApplication::instance(), [=] {
    const DialogAnswer answer = Dialogs().Message(text, caption, icon, buttons);
    pending.erase(key);
    if (answered) answered(answer);
  });
}

}  // namespace rq30
