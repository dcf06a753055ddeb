// The test stand-in for the operator dialogs: records every call and answers
// from queues the test fills beforehand. It does not block unless told to
// (BlockUntil). With nothing
// queued it answers as an operator who declines: a message box gives Ok for
// an Ok box, No for a Yes/No box and Cancel otherwise; a file dialog gives an
// empty path (cancel); a colour dialog gives nothing (cancel).
//
//   ScriptedDialogs dialogs;          // installs itself
//   dialogs.QueueAnswer(DialogAnswer::kYes);
//   window.check_zapis->click();
//   ASSERT_EQ(dialogs.Calls().size(), 1u);
//   EXPECT_EQ(dialogs.Calls()[0].caption, "Clear");
#pragma once

#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "operator_dialogs.h"

namespace rq30 {

struct DialogCall {
  enum class Kind { kMessage, kOpenFile, kSaveFile, kColour };
  Kind kind = Kind::kMessage;
  // Message boxes.
  QString text;
  QString caption;
  DialogIcon icon = DialogIcon::kNone;
  DialogButtons buttons = DialogButtons::kOk;
  // File dialogs.
  FileDialogOptions file;
  // Colour dialogs.
  QColor initialColour;
};

class ScriptedDialogs : public OperatorDialogs {
 public:
  // Installs itself as Dialogs() and restores the real dialogs when
  // destroyed.
  ScriptedDialogs();
  ~ScriptedDialogs() override;
  ScriptedDialogs(const ScriptedDialogs&) = delete;
  ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

  void QueueAnswer(DialogAnswer answer) { answers_.push_back(answer); }
  // An empty path scripts a cancelled file dialog.
  void QueueFile(const QString& path) { files_.push_back(path); }
  // std::nullopt scripts a cancelled colour dialog.
  void QueueColour(std::optional<QColor> colour) { colours_.push_back(colour); }

  // Runs inside every call, after it is recorded and before it answers, as
  // code would run while a real modal box is open.
  void SetOnCall(std::function<void(const DialogCall&)> onCall) { onCall_ = std::move(onCall); }

  // Makes every message box block like a real modal one: it runs a nested
  // event loop (timers fire, other handlers run) until `close` returns true
  // or `limitMs` have passed, then answers. Without it a box answers at once.
  void BlockUntil(std::function<bool()> close, int limitMs = 10000) {
    closeWhen_ = std::move(close);
    blockLimitMs_ = limitMs;
  }
  // Message boxes open at this moment (inside their nested loop).
  int OpenBoxes() const { return openBoxes_; }

  const std::vector<DialogCall>& Calls() const { return calls_; }
  // Only the message boxes, in order.
  std::vector<DialogCall> Messages() const;
  void ClearCalls() { calls_.clear(); }

  DialogAnswer Message(const QString& text, const QString& caption, DialogIcon icon,
                       DialogButtons buttons) override;
  QString OpenFile(const FileDialogOptions& options) override;
  QString SaveFile(const FileDialogOptions& options) override;
  std::optional<QColor> ChooseColour(const QColor& initial) override;

 private:
  QString NextFile(DialogCall call);
  void Record(const DialogCall& call);

  std::deque<DialogAnswer> answers_;
  std::deque<QString> files_;
  std::deque<std::optional<QColor>> colours_;
  std::vector<DialogCall> calls_;
  std::function<void(const DialogCall&)> onCall_;
  std::function<bool()> closeWhen_;
  int blockLimitMs_ = 0;
  int openBoxes_ = 0;
};

}  // namespace rq30
