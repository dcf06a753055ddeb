// The program's application object: an exception that escapes an event
// handler is shown in an error box with its message, and the program goes on.
#pragma once

#include <QApplication>

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};
