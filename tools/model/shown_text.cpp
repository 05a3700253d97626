// Showing quoted text on one line, escaped as the place it is shown needs.
#include "tools/model/shown_text.h"

std::string Shown(const std::string& text, Rendering rendering) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    bool visible = (byte >= 0x20 && byte < 0x7F) || (byte >= 0x80 && rendering == Rendering::Dialog);
    if (visible) {
      shown += c;
    } else {
      shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
    }
  }
  return shown;
}

std::string Quoted(const std::string& text, Rendering rendering) { return "\"" + Shown(text, rendering) + "\""; }
