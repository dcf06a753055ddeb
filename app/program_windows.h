// The program's windows, created once in their order and alive until the
// end: the main window first (it opens the settings store), then the port
// dialog (it reads the port settings from that store and opens the line),
// then the windows shown from the menu.
#pragma once

#include "about_ident.h"
#include "aboutbox.h"
#include "link.h"
#include "load_form.h"
#include "rotace_3d.h"
#include "rychlostzaznamu.h"
#include "table_image.h"
#include "unit_hl.h"
#include "unitmenumod.h"
#include "unitport.h"
#include "unitzaznam.h"

struct ProgramWindows {
  ProgramWindows(rq30::TableImage& image, rq30::Link& link);

  Tvtq45 main;
  Tport port;
  TAboutBox about;
  Tabout_ident ident;
  Tmenu_mod editor;
  TFormZaznam records;
  Trotace3D chartSettings;
  Tform_zaznam recordingRate;
  Tload_form loader;
};
