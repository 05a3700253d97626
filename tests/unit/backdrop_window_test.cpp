// The black backdrop window: its class, its creation, its painting, its place beneath the
// application, and the wait that keeps it serviced while the application runs.
#include "launcher/backdrop_window.h"
#include "tests/unit/launcher_fixture.h"

#include <string>
#include <vector>

namespace {

HINSTANCE Instance() { return reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(0x400000)); }

// The calls among `names` in the order they were made.
std::vector<std::string> CallsAmong(std::initializer_list<const char*> names) {
  std::vector<std::string> calls;
  for (const std::string& call : Sim().calls) {
    for (const char* name : names) {
      if (call == name) calls.push_back(call);
    }
  }
  return calls;
}

class Backdrop : public LauncherTest {};

TEST_F(Backdrop, TheClassIsABlackArrowCursorClassWithoutIcons) {
  RegisterBackdropClass(Instance());
  ASSERT_EQ(Sim().registeredClasses.size(), 1u);
  const SimRegisteredClass& registered = Sim().registeredClasses[0];
  const WNDCLASSEXA& c = registered.fields;
  EXPECT_EQ(c.cbSize, sizeof(WNDCLASSEXA));
  EXPECT_EQ(c.style, 3u);
  EXPECT_EQ(c.lpfnWndProc, &BackdropWindowProc);
  EXPECT_EQ(c.cbClsExtra, 0);
  EXPECT_EQ(c.cbWndExtra, 0);
  EXPECT_EQ(c.hInstance, Instance());
  EXPECT_EQ(c.hIcon, nullptr);
  EXPECT_EQ(c.hIconSm, nullptr);
  EXPECT_EQ(c.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(c.hbrBackground, GetStockObject(BLACK_BRUSH));
  EXPECT_EQ(registered.menuName, "Kavelo2");
  EXPECT_EQ(registered.className, "Kavelo2WindowClass");
}

TEST_F(Backdrop, TheWindowIsABorderlessUntitledPopupAtTheOrigin) {
  RegisterBackdropClass(Instance());
  EXPECT_EQ(CreateBackdropWindow(Instance(), 1024, 768), SimBackdropHandle());
  ASSERT_EQ(Sim().createdWindows.size(), 1u);
  const SimCreatedWindow& w = Sim().createdWindows[0];
  EXPECT_EQ(w.exStyle, WS_EX_LEFT);
  EXPECT_EQ(w.className, "Kavelo2WindowClass");
  EXPECT_TRUE(w.titleNull);
  EXPECT_EQ(w.style, WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(w.x, 0);
  EXPECT_EQ(w.y, 0);
  EXPECT_EQ(w.width, 1024);
  EXPECT_EQ(w.height, 768);
  EXPECT_EQ(w.parent, nullptr);
  EXPECT_EQ(w.menu, nullptr);
  EXPECT_EQ(w.instance, Instance());
  EXPECT_EQ(w.param, nullptr);
  EXPECT_EQ(Sim().showCalls, (std::vector<std::pair<HWND, int>>{{SimBackdropHandle(), SW_SHOWNORMAL}}));
  // UpdateWindow paints it black at once.
  EXPECT_EQ(CallsAmong({"ShowWindow", "UpdateWindow", "FillRect"}),
            (std::vector<std::string>{"ShowWindow", "UpdateWindow", "FillRect"}));
}

TEST_F(Backdrop, PaintAndEraseFillTheWholeClientAreaBlack) {
  RegisterBackdropClass(Instance());
  HWND window = CreateBackdropWindow(Instance(), 800, 600);
  Sim().fills.clear();
  for (UINT message : {WM_PAINT, WM_ERASEBKGND}) {
    EXPECT_EQ(BackdropWindowProc(window, message, 0x1234, 0), 0);
  }
  ASSERT_EQ(Sim().fills.size(), 2u);
  for (const SimFill& fill : Sim().fills) {
    EXPECT_EQ(fill.rect.left, 0);
    EXPECT_EQ(fill.rect.top, 0);
    EXPECT_EQ(fill.rect.right, 800);
    EXPECT_EQ(fill.rect.bottom, 600);
    EXPECT_EQ(fill.brush, GetStockObject(BLACK_BRUSH));
    // Erasing uses its own paint pair, not the DC that came with the message.
    EXPECT_NE(fill.dc, reinterpret_cast<HDC>(static_cast<UINT_PTR>(0x1234)));
  }
  EXPECT_EQ(Sim().paintsOpen, 0);
  EXPECT_TRUE(Sim().defaultHandled.empty());

  EXPECT_EQ(BackdropWindowProc(window, WM_DESTROY, 0, 0), 0);
  EXPECT_EQ(Sim().quitCodes, std::vector<int>{0});
  BackdropWindowProc(window, WM_DISPLAYCHANGE, 32, 0);
  EXPECT_EQ(Sim().defaultHandled, std::vector<UINT>{WM_DISPLAYCHANGE});
}

HWND Application() { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x2101)); }
HWND OtherWindow() { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x2102)); }

// The created backdrop, which lies beneath whether or not it ever had the activation; without
// `beneath`, the window of its class as it is being shown, before its creation is complete.
HWND ShownBackdrop(bool beneath) {
  RegisterBackdropClass(Instance());
  if (beneath) return CreateBackdropWindow(Instance(), 1024, 768);
  return CreateWindowExA(WS_EX_LEFT, kBackdropClassName, nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr,
                         nullptr, Instance(), nullptr);
}

// Dispatches what the window posted to itself, as the launcher's wait does.
void DispatchQueued() {
  while (!Sim().queuedMessages.empty()) {
    MSG message = Sim().queuedMessages.front();
    Sim().queuedMessages.pop_front();
    DispatchMessageA(&message);
  }
}

struct UserAction {
  const char* name;
  UINT message;
  WPARAM wParam;
  LRESULT result;
};

TEST_F(Backdrop, AClickOrAskingItToCloseNeitherActivatesNorClosesIt) {
  const UserAction actions[] = {
      {"click", WM_MOUSEACTIVATE, 0, MA_NOACTIVATE},
      {"Alt+F4 or the system menu's Close", WM_SYSCOMMAND, SC_CLOSE, 0},
      {"a task list's Close", WM_CLOSE, 0, 0},
  };
  for (bool beneath : {false, true}) {
    for (const UserAction& action : actions) {
      ResetPlatform();
      HWND window = ShownBackdrop(beneath);
      EXPECT_EQ(BackdropWindowProc(window, action.message, action.wParam, 0), action.result) << action.name;
      EXPECT_TRUE(Sim().destroyedWindows.empty()) << action.name;
      EXPECT_TRUE(Sim().quitCodes.empty()) << action.name;
      EXPECT_TRUE(Sim().foregroundRequests.empty()) << action.name;
    }
  }
}

TEST_F(Backdrop, ComesToTheFrontWhileShownAndKeepsItsPlaceOnceShownWhetherOrNotItWasActive) {
  for (bool beneath : {false, true}) {
    ResetPlatform();
    HWND window = ShownBackdrop(beneath);
    WINDOWPOS raise{window, HWND_TOP, 0, 0, 800, 600, 0};
    EXPECT_EQ(BackdropWindowProc(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&raise)), 0);
    EXPECT_EQ(raise.flags, beneath ? SWP_NOZORDER : 0u) << beneath;
    // The size and place asked for stand.
    EXPECT_EQ(std::vector<int>({raise.x, raise.y, raise.cx, raise.cy}), std::vector<int>({0, 0, 800, 600}));

    // Activated as it is shown, it keeps the activation, whatever lies in front of it then; once
    // beneath, it hands it on.
    Sim().windowStack = {{Application(), true, false}, {window, true, false}};
    Sim().foreground = window;
    BackdropWindowProc(window, WM_ACTIVATE, WA_ACTIVE, 0);
    DispatchQueued();
    EXPECT_EQ(Sim().foregroundRequests.empty(), !beneath) << beneath;
  }
}

struct HandOnCase {
  const char* name;
  std::vector<SimWindow> inFront;  // the windows in front of the backdrop, from the top down
  bool userMovedOn;                // another window is in the foreground when the hand-on comes
  std::vector<HWND> requested;     // SetForegroundWindow calls
};

void PrintTo(const HandOnCase& c, std::ostream* out) { *out << c.name; }

class BackdropHandOn : public LauncherTest, public ::testing::WithParamInterface<HandOnCase> {};

// An activation that reaches the backdrop once it lies beneath (Alt+Tab to it, a task bar
// button) goes on to the window in front of it, once the launcher's wait dispatches it.
TEST_P(BackdropHandOn, GivesTheActivationToTheWindowInFront) {
  const HandOnCase& c = GetParam();
  SCOPED_TRACE(c.name);
  HWND window = ShownBackdrop(true);
  Sim().windowStack = c.inFront;
  Sim().windowStack.push_back({window, true, false});
  Sim().windowStack.push_back({OtherWindow(), true, false});
  Sim().foreground = window;
  EXPECT_EQ(BackdropWindowProc(window, WM_ACTIVATE, WA_ACTIVE, 0), 0);
  EXPECT_TRUE(Sim().foregroundRequests.empty()) << "handed on only once the activation is complete";
  if (c.userMovedOn) Sim().foreground = OtherWindow();
  DispatchQueued();
  EXPECT_EQ(Sim().foregroundRequests, c.requested);
}

HWND Hidden() { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x2103)); }
HWND Taskbar() { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x2104)); }

INSTANTIATE_TEST_SUITE_P(
    Cases, BackdropHandOn,
    ::testing::Values(HandOnCase{"application", {{Application(), true, false}}, false, {Application()}},
                      HandOnCase{"hidden windows passed over",
                                 {{Application(), true, false}, {Hidden(), false, false}}, false, {Application()}},
                      // The task bar lies in front of every window; it is no one to hand back to.
                      HandOnCase{"only topmost windows in front", {{Taskbar(), true, true}}, false, {}},
                      HandOnCase{"nothing in front", {}, false, {}},
                      HandOnCase{"the user moved on meanwhile", {{Application(), true, false}}, true, {}}));

struct ScreenSize {
  DWORD width, height;
};

struct SizeCase {
  ScreenSize current;
  ScreenSize chosen;
  int width, height;
};

class BackdropSize : public LauncherTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(BackdropSize, CoversTheLargerOfTheOldAndTheNewScreen) {
  const SizeCase& c = GetParam();
  Sim().currentMode = MakeMode(c.current.width, c.current.height, 32, 60);
  AddModes({MakeMode(c.chosen.width, c.chosen.height, 32, 60)});
  WriteConfig("WIDTH:" + std::to_string(c.chosen.width) + "\nBACKDROP:1\n");
  const int showCommand = 7;  // SW_SHOWMINNOACTIVE
  RunLauncher(Instance(), showCommand);
  ASSERT_EQ(Sim().createdWindows.size(), 1u);
  EXPECT_EQ(Sim().createdWindows[0].width, c.width);
  EXPECT_EQ(Sim().createdWindows[0].height, c.height);
  // Up before the switch, and the launcher's own show command comes last.
  EXPECT_EQ(CallsAmong({"RegisterClassExA", "CreateWindowExA", "ShowWindow", "UpdateWindow",
                        "ChangeDisplaySettingsA"}),
            (std::vector<std::string>{"RegisterClassExA", "CreateWindowExA", "ShowWindow",
                                      "UpdateWindow", "ShowWindow", "ChangeDisplaySettingsA",
                                      "ChangeDisplaySettingsA"}));
  ASSERT_EQ(Sim().showCalls.size(), 2u);
  EXPECT_EQ(Sim().showCalls[1].second, showCommand);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BackdropSize,
                         ::testing::Values(SizeCase{{1024, 768}, {640, 480}, 1024, 768},
                                           SizeCase{{640, 480}, {800, 600}, 800, 600},
                                           // An unknown current mode leaves the chosen size.
                                           SizeCase{{0, 0}, {640, 480}, 640, 480}));

TEST_F(Backdrop, NothingIsRegisteredOrCreatedWithoutAChosenModeOrWithoutTheEntry) {
  for (const char* config : {"WIDTH:123\nBACKDROP:1\n", "WIDTH:640\nBACKDROP:0\n"}) {
    ResetSim();
    Sim().modulePath = ProgramPath("Kavelo2.exe");
    AddModes({MakeMode(640, 480, 32, 60)});
    WriteConfig(config);
    RunLauncher(Instance(), SW_SHOWNORMAL);
    EXPECT_TRUE(Sim().registeredClasses.empty()) << config;
    EXPECT_TRUE(Sim().createdWindows.empty()) << config;
    EXPECT_EQ(Sim().processStarts.size(), 1u) << config;
  }
}

TEST_F(Backdrop, AFailedCreationLetsTheRunGoOnWithoutOne) {
  Sim().windowCreationFails = true;
  AddModes({MakeMode(640, 480, 32, 60)});
  WriteConfig("WIDTH:640\nBACKDROP:1\n");
  RunLauncher(Instance(), SW_SHOWNORMAL);
  EXPECT_EQ(Sim().createdWindows.size(), 1u);
  EXPECT_TRUE(Sim().showCalls.empty());
  EXPECT_EQ(Sim().processStarts.size(), 1u);
  EXPECT_EQ(Sim().modeChanges.size(), 2u);
}

TEST_F(Backdrop, TheWaitDispatchesWhatArrivesUntilTheProcessEnds) {
  AddModes({MakeMode(640, 480, 32, 60)});
  WriteConfig("WIDTH:640\nBACKDROP:1\n");
  auto arriving = [](UINT message) {
    MSG m{};
    m.hwnd = SimBackdropHandle();
    m.message = message;
    return m;
  };
  // A quit message among them does not end the wait.
  MSG quit = arriving(WM_QUIT);
  quit.hwnd = nullptr;
  Sim().arrivingBatches = {{arriving(WM_PAINT), quit, arriving(WM_ERASEBKGND)}};
  RunLauncher(Instance(), SW_SHOWNORMAL);
  EXPECT_EQ(Sim().dispatched, (std::vector<UINT>{WM_PAINT, WM_QUIT, WM_ERASEBKGND}));
  EXPECT_TRUE(Sim().arrivingBatches.empty() && Sim().queuedMessages.empty());
  for (const SimWait& wait : Sim().waits) {
    EXPECT_EQ(wait.handle, SimProcessHandle());
    EXPECT_EQ(wait.milliseconds, INFINITE);
  }
  EXPECT_EQ(Sim().closedHandles, std::vector<HANDLE>{SimProcessHandle()});
  // The restore follows the wait; the window is never destroyed.
  EXPECT_EQ(Sim().calls.back(), "ChangeDisplaySettingsA");
}

TEST_F(Backdrop, TheWaitHandsAnActivationThatReachesItBackToTheApplication) {
  AddModes({MakeMode(640, 480, 32, 60)});
  WriteConfig("WIDTH:640\nBACKDROP:1\n");
  Sim().windowStack = {{Application(), true, false}, {SimBackdropHandle(), true, false}};
  Sim().foreground = SimBackdropHandle();
  auto activation = [](WPARAM state) {
    MSG m{};
    m.hwnd = SimBackdropHandle();
    m.message = WM_ACTIVATE;
    m.wParam = state;
    return m;
  };
  // The application's window takes the activation; later the user switches to the backdrop.
  Sim().arrivingBatches = {{activation(WA_INACTIVE)}, {activation(WA_ACTIVE)}};
  RunLauncher(Instance(), SW_SHOWNORMAL);
  EXPECT_EQ(Sim().foregroundRequests, std::vector<HWND>{Application()});
  EXPECT_TRUE(Sim().queuedMessages.empty());
}

}  // namespace
