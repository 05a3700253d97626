// The dialog's frame inside its monitor's work area: centred on opening, moved back in when it
// sticks out, on any monitor and while a display change has shrunk the screen before the work
// area followed.
#include "tools/kavelo2-settings/frame_placement.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

RECT Rect(LONG left, LONG top, LONG right, LONG bottom) { return {left, top, right, bottom}; }

TEST(FramePlacement, CentredOrKeptInsideTheWorkArea) {
  struct Case {
    const char* name;
    RECT frame;
    RECT area;
    bool centre;
    AnnouncedScreen announced;
    POINT at;
  };
  const RECT primary = Rect(0, 0, 1024, 738);  // 1024x768 with the task bar at the bottom
  const RECT left = Rect(-1280, -200, 0, 824);  // a second monitor left of the primary, higher up
  const std::vector<Case> cases = {
      {"centred on opening", Rect(5, 5, 405, 305), primary, true, {}, {312, 219}},
      {"kept where it stands", Rect(100, 50, 500, 350), primary, false, {}, {100, 50}},
      {"off to the left", Rect(-150, 40, 250, 340), primary, false, {}, {0, 40}},
      {"under the task bar", Rect(600, 600, 1000, 900), primary, false, {}, {600, 438}},
      {"larger than the area: its top left inside", Rect(30, 30, 1230, 930), primary, false, {}, {0, 0}},
      {"larger and centred", Rect(0, 0, 1200, 900), primary, true, {}, {0, 0}},
      {"centred on a second monitor", Rect(0, 0, 400, 300), left, true, {}, {-840, 162}},
      {"on a second monitor, sticking out right", Rect(-200, -250, 200, 50), left, false, {}, {-400, -200}},
      {"on a second monitor, kept", Rect(-1000, -100, -600, 200), left, false, {}, {-1000, -100}},
      {"the area cut by a smaller screen", Rect(500, 300, 900, 600), primary, false, {800, 600}, {400, 300}},
      {"centred in the smaller screen", Rect(0, 0, 400, 300), primary, true, {800, 600}, {200, 150}},
      {"a larger screen leaves the area", Rect(700, 300, 1100, 600), primary, false, {1280, 1024}, {624, 300}},
  };
  for (const Case& c : cases) {
    POINT at = PlaceFrame(c.frame, c.area, c.centre, c.announced);
    EXPECT_EQ(at.x, c.at.x) << c.name;
    EXPECT_EQ(at.y, c.at.y) << c.name;
  }
}

}  // namespace
