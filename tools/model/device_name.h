// The names Windows keeps for its devices: a file of such a name cannot be made in any folder, and
// opening one opens the device (CON, the console; NUL, the empty device).
#pragma once

#include <string>

// The device `path`'s file name stands for, in capitals ("CON" for "C:\Show\con.ini"), or "" for
// a name that can be a file's. Windows reserves CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9
// in any case, also with an extension ("nul.txt", "con.tar.gz") or blanks before it.
std::string ReservedDeviceName(const std::string& path);
