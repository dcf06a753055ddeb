#include "colour_value.h"

#include <QGuiApplication>

namespace rq30 {
namespace {

struct SystemRole {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// Windows system colour indices (COLOR_SCROLLBAR = 0 ... COLOR_MENUBAR = 30)
// with the palette role that plays the same part in a Qt window.
bool RoleOfSystemIndex(int index, SystemRole& out) {
  constexpr auto A = QPalette::Active;
  constexpr auto I = QPalette::Inactive;
  constexpr auto D = QPalette::Disabled;
  static const struct {
    int index;
    SystemRole role;
  } kRoles[] = {
      {0, {A, QPalette::Button}},            // scroll bar track
      {1, {A, QPalette::Dark}},              // desktop
      {2, {A, QPalette::Highlight}},         // active title bar
      {3, {I, QPalette::Mid}},               // inactive title bar
      {4, {A, QPalette::Window}},            // menu
      {5, {A, QPalette::Base}},              // window background
      {6, {A, QPalette::Shadow}},            // window frame
      {7, {A, QPalette::WindowText}},        // menu text
      {8, {A, QPalette::Text}},              // window text
      {9, {A, QPalette::HighlightedText}},   // title bar text
      {10, {A, QPalette::Window}},           // active border
      {11, {I, QPalette::Window}},           // inactive border
      {12, {A, QPalette::Dark}},             // application workspace
      {13, {A, QPalette::Highlight}},        // selection
      {14, {A, QPalette::HighlightedText}},  // selected text
      {15, {A, QPalette::Button}},           // button face
      {16, {A, QPalette::Dark}},             // button shadow
      {17, {D, QPalette::Text}},             // grey text
      {18, {A, QPalette::ButtonText}},       // button text
      {19, {I, QPalette::WindowText}},       // inactive title text
      {20, {A, QPalette::Light}},            // button highlight
      {21, {A, QPalette::Shadow}},           // 3D dark shadow
      {22, {A, QPalette::Midlight}},         // 3D light
      {23, {A, QPalette::ToolTipText}},      // tooltip text
      {24, {A, QPalette::ToolTipBase}},      // tooltip background
      {26, {A, QPalette::Link}},             // hot-tracked item
      {27, {A, QPalette::Highlight}},        // active title gradient
      {28, {I, QPalette::Mid}},              // inactive title gradient
      {29, {A, QPalette::Highlight}},        // menu highlight
      {30, {A, QPalette::Window}},           // menu bar
  };
  for (const auto& entry : kRoles) {
    if (entry.index == index) {
      out = entry.role;
      return true;
    }
  }
  return false;
}

}  // namespace

QColor ColourFromValue(int32_t value, const QPalette& palette) {
  const auto bits = static_cast<uint32_t>(value);
  if (IsSystemColourValue(value)) {
    SystemRole role{};
    if (!RoleOfSystemIndex(static_cast<int>(bits & 0xFF), role)) return QColor(Qt::black);
    return palette.color(role.group, role.role);
  }
  return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                static_cast<int>((bits >> 16) & 0xFF));
}

QColor ColourFromValue(int32_t value) {
  return ColourFromValue(value, QGuiApplication::palette());
}

int32_t ValueFromColour(const QColor& colour) {
  const QColor rgb = colour.toRgb();
  return static_cast<int32_t>(static_cast<uint32_t>(rgb.red()) |
                              (static_cast<uint32_t>(rgb.green()) << 8) |
                              (static_cast<uint32_t>(rgb.blue()) << 16));
}

}  // namespace rq30
