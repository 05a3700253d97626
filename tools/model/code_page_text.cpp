// Telling a name the ANSI code page cannot spell.
#include "tools/model/code_page_text.h"

std::string UnspellableNameText(const std::string& name, unsigned codePage, Rendering rendering) {
  return Shown(name, rendering) + ": the name holds characters that this Windows' code page (" +
         std::to_string(codePage) + ") has no letters for, shown as \"?\". No program that names files in "
         "that code page can open it: not the Kavelo2 tools, and not the launcher, which cannot run from such a "
         "folder either. Put the launcher's folder where this code page can spell its whole path (plain letters "
         "and digits always can).";
}
