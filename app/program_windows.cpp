#include "program_windows.h"

ProgramWindows::ProgramWindows(rq30::TableImage& image, rq30::Link& link)
    : main(image, link),
      port(main.SettingsStore(), link),
      ident(image, link),
      editor(image, link),
      records(image, link),
      chartSettings(&main.Chart()),
      loader(image, link, editor) {
  Tvtq45::Windows windows;
  windows.port = &port;
  windows.about = &about;
  windows.ident = &ident;
  windows.editor = &editor;
  windows.records = &records;
  windows.chartSettings = &chartSettings;
  windows.recordingRate = &recordingRate;
  windows.loader = &loader;
  main.SetWindows(windows);
}
