// The program's run: the table image and the link made once, the windows
// created in their order, the session's end watched, and the message loop
// until the main window closes. main() calls it; a test runs the same in a
// process of its own, with `started` setting the scene.
#pragma once

#include <functional>

struct ProgramWindows;

namespace rq30 {

int RunProgram(const std::function<void(ProgramWindows&)>& started = {});

}  // namespace rq30
