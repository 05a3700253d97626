// Keys typed as a keyboard types them (SendInput), into whatever window has the focus: what the
// helper programs that drive a window through its keyboard share.
#pragma once

#include <windows.h>

#include <cctype>
#include <string>
#include <vector>

struct TypedKey {
  const char* name;
  WORD code;
};

constexpr TypedKey kTypedKeys[] = {
    {"space", VK_SPACE},   {"down", VK_DOWN}, {"up", VK_UP},       {"tab", VK_TAB},   {"escape", VK_ESCAPE},
    {"enter", VK_RETURN},  {"f1", VK_F1},     {"f4", VK_F4},       {"f10", VK_F10},   {"alt", VK_MENU},
    {"ctrl", VK_CONTROL},  {"shift", VK_SHIFT}};

// The virtual key of a key name: a letter or digit stands for itself; 0 for an unknown name.
inline WORD TypedKeyCode(const std::string& name) {
  for (const TypedKey& key : kTypedKeys) {
    if (name == key.name) return key.code;
  }
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
    return static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
  }
  return 0;
}

inline void PressKey(WORD code, bool up) {
  INPUT input;
  ZeroMemory(&input, sizeof(input));
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = code;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof(input));
}

// Types each chord ("ctrl+s", "alt+f4", "escape") as the keyboard does: the modifiers down, the
// key down and up, the modifiers up. 2 when a key name is unknown (nothing of that chord is typed).
inline int TypeKeys(int count, char** keys) {
  for (int i = 0; i < count; ++i) {
    std::vector<WORD> codes;
    std::string chord = keys[i];
    for (size_t start = 0; start <= chord.size();) {
      size_t plus = chord.find('+', start);
      WORD code = TypedKeyCode(chord.substr(start, plus == std::string::npos ? std::string::npos : plus - start));
      if (code == 0) return 2;
      codes.push_back(code);
      if (plus == std::string::npos) break;
      start = plus + 1;
    }
    for (WORD code : codes) PressKey(code, false);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code) PressKey(*code, true);
    Sleep(100);  // each key is handled before the next one comes
  }
  return 0;
}
