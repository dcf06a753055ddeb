#include "scripted_dialogs.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <utility>

#include "live_boxes.h"

namespace rq30 {
namespace {

DialogAnswer DecliningAnswer(DialogButtons buttons) {
  switch (buttons) {
    case DialogButtons::kOk:
      return DialogAnswer::kOk;
    case DialogButtons::kYesNo:
      return DialogAnswer::kNo;
    case DialogButtons::kOkCancel:
    case DialogButtons::kYesNoCancel:
      break;
  }
  return DialogAnswer::kCancel;
}

}  // namespace

ScriptedDialogs::ScriptedDialogs() {
  InstallDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs() {
  DropQueuedBoxes();  // never shown by the real dialogs after the test
  if (&Dialogs() == this) InstallDialogs(nullptr);
}

std::vector<DialogCall> ScriptedDialogs::Messages() const {
  std::vector<DialogCall> messages;
  for (const DialogCall& call : calls_) {
    if (call.kind == DialogCall::Kind::kMessage) messages.push_back(call);
  }
  return messages;
}

void ScriptedDialogs::Record(const DialogCall& call) {
  calls_.push_back(call);
  if (onCall_) onCall_(call);
}

DialogAnswer ScriptedDialogs::Message(const QString& text, const QString& caption, DialogIcon icon,
                                      DialogButtons buttons) {
  DialogCall call;
  call.kind = DialogCall::Kind::kMessage;
  call.text = text;
  call.caption = caption;
  call.icon = icon;
  call.buttons = buttons;
  Record(call);
  if (closeWhen_) {
    // Like a real modal box: the event loop runs on underneath it.
    ++openBoxes_;
    QEventLoop loop;
    QElapsedTimer open;
    open.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
      if (closeWhen_() || open.elapsed() >= blockLimitMs_) loop.quit();
    });
    poll.start(5);
    loop.exec();
    --openBoxes_;
  }
  if (answers_.empty()) return DecliningAnswer(buttons);
  const DialogAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

QString ScriptedDialogs::NextFile(DialogCall call) {
  Record(call);
  if (files_.empty()) return QString();
  QString path = files_.front();
  files_.pop_front();
  return path;
}

QString ScriptedDialogs::OpenFile(const FileDialogOptions& options) {
  DialogCall call;
  call.kind = DialogCall::Kind::kOpenFile;
  call.file = options;
  return NextFile(std::move(call));
}

QString ScriptedDialogs::SaveFile(const FileDialogOptions& options) {
  DialogCall call;
  call.kind = DialogCall::Kind::kSaveFile;
  call.file = options;
  return NextFile(std::move(call));
}

std::optional<QColor> ScriptedDialogs::ChooseColour(const QColor& initial) {
  DialogCall call;
  call.kind = DialogCall::Kind::kColour;
  call.initialColour = initial;
  Record(call);
  if (colours_.empty()) return std::nullopt;
  const std::optional<QColor> colour = colours_.front();
  colours_.pop_front();
  return colour;
}

}  // namespace rq30
