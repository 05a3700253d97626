"""Every function the shipped programs may import, with its documented minimum client.

The list holds exactly what the programs import (a test fails on an entry that no program uses),
so that a new import has to be looked up before it lands. "2000" is Windows 2000 Professional,
"XP" Windows XP, as the requirements table of each function's documentation states; both run on
Windows XP SP3. GetTickCount64 (Windows Vista) and the thread-suspension functions of the
posix-threads runtime must never appear here.

msvcrt.dll's functions have no per-function minimum in the documentation: msvcrt.dll is the C
runtime that ships with Windows, and the toolchain's import library targets the version that
Windows XP ships (msvcrt 7.0, the toolchain's default __MSVCRT_VERSION__ 0x700).
"""

KERNEL32 = {
    "CloseHandle": "2000", "CreateFileA": "XP", "CreateMutexA": "XP", "CreateProcessA": "XP",
    "CreateSemaphoreW": "XP", "DeleteCriticalSection": "XP", "DeleteFileA": "XP",
    "EnterCriticalSection": "XP", "FlushFileBuffers": "XP",
    "FindClose": "XP", "FindFirstFileA": "XP", "FindNextFileA": "XP", "FindResourceA": "2000", "GetConsoleMode": "2000", "GetConsoleProcessList": "XP", "GetFileAttributesA": "XP", "SetFileAttributesA": "XP", "MoveFileExA": "XP", "FindFirstFileW": "XP", "FindNextFileW": "XP", "FormatMessageA": "XP",
    "FreeLibrary": "XP", "GetCurrentThreadId": "XP", "GetDriveTypeA": "XP", "GetFullPathNameA": "XP",
    "GetLastError": "XP", "GetModuleFileNameA": "XP", "GetModuleHandleA": "XP",
    "GetModuleHandleW": "XP", "GetProcAddress": "XP", "GetStdHandle": "2000", "GetStartupInfoA": "XP",
    "GetStartupInfoW": "XP", "InitializeCriticalSection": "XP", "IsDBCSLeadByteEx": "2000",
    "LeaveCriticalSection": "XP", "LoadLibraryA": "XP", "LoadResource": "2000",
    "LockResource": "2000", "LoadLibraryW": "XP", "LocalFree": "XP",
    "MultiByteToWideChar": "2000", "ReleaseSemaphore": "XP", "ReplaceFileA": "XP", "SetLastError": "XP",
    "SetUnhandledExceptionFilter": "XP", "SizeofResource": "2000", "Sleep": "XP", "TlsAlloc": "XP", "TlsFree": "XP",
    "TlsGetValue": "XP", "TlsSetValue": "XP", "VirtualProtect": "XP", "VirtualQuery": "XP",
    "WaitForSingleObject": "XP", "WideCharToMultiByte": "2000", "WriteFile": "XP",
    # A running launcher, found by its single-instance mutex (kavelo2-config, Kavelo2Settings.exe).
    "OpenMutexA": "XP",
    # Names spelt from UTF-16 in the ANSI code page: the tools' command lines and the dialog's own
    # folder; kavelo2-config's file arguments by their full paths.
    "GetACP": "2000", "GetCommandLineW": "XP", "GetModuleFileNameW": "XP", "GetFullPathNameW": "XP",
    # The processor Windows runs on, for the programs it starts (the tools' check of an application).
    "GetNativeSystemInfo": "XP",
    # The tools' probes of empty drives without Windows' "no disk" box.
    "SetErrorMode": "XP",
    # The launcher's wait for the application's whole process tree (WAITALL).
    "AssignProcessToJobObject": "XP", "CreateJobObjectA": "XP", "QueryInformationJobObject": "XP",
    "ResumeThread": "XP", "SetInformationJobObject": "XP", "TerminateProcess": "XP",
    # The head of the application's program file, read where its headers point (the tools' check
    # of the rights Windows starts it with).
    "ReadFile": "XP", "SetFilePointer": "XP",
}

USER32 = {
    "BeginPaint": "2000", "CheckDlgButton": "2000", "CreateDialogParamA": "2000",
    "DestroyIcon": "2000", "EnableMenuItem": "2000", "EnableWindow": "2000", "EnumThreadWindows": "2000",
    "GetClassNameA": "2000",
    "GetDlgItem": "2000", "GetDlgItemTextA": "2000", "GetFocus": "2000", "GetMenu": "2000",
    "GetWindowRect": "2000", "IsWindowEnabled": "2000",
    "IsWindowVisible": "2000", "KillTimer": "2000",
    # The settings dialog placed inside the work area of the monitor it is on.
    "GetMonitorInfoA": "2000", "MonitorFromWindow": "2000",
    "GetWindowLongA": "2000", "GetWindowTextA": "2000", "GetWindowTextLengthA": "2000",
    "IsDialogMessageA": "2000", "IsDlgButtonChecked": "2000", "LoadAcceleratorsA": "2000",
    "LoadImageA": "2000", "SendDlgItemMessageA": "2000", "SendMessageA": "2000",
    "SetDlgItemTextA": "2000", "SetFocus": "2000", "SetWindowTextA": "2000",
    "TranslateAcceleratorA": "2000", "ChangeDisplaySettingsA": "2000", "CreateWindowExA": "2000",
    "DefWindowProcA": "2000", "DestroyWindow": "2000", "DispatchMessageA": "2000",
    "DrawTextA": "2000", "EndPaint": "2000", "EnumDisplaySettingsA": "2000", "FillRect": "2000",
    "FindWindowA": "2000", "GetClientRect": "2000", "GetMessageA": "2000",
    "GetSystemMetrics": "2000", "InvalidateRect": "2000", "LoadCursorA": "2000",
    "MessageBoxA": "2000", "MsgWaitForMultipleObjects": "2000", "PeekMessageA": "2000",
    "PostMessageA": "2000", "PostQuitMessage": "2000", "RegisterClassExA": "2000",
    "SetForegroundWindow": "2000", "SetTimer": "2000", "SetWindowPos": "2000",
    "ShowWindow": "2000", "TranslateMessage": "2000", "UpdateWindow": "2000",
    # The settings dialog's loop when a message wait is refused.
    "WaitMessage": "2000",
    # The launcher's backdrop, which stays beneath the application: its state in its user data,
    # the window in front of it that an activation goes back to.
    "GetForegroundWindow": "2000", "GetWindow": "2000", "SetWindowLongA": "2000",
}

GDI32 = {
    "CreateFontA": "2000", "CreateSolidBrush": "2000", "DeleteObject": "2000",
    "GetStockObject": "2000", "SelectObject": "2000", "SetBkMode": "2000",
    "SetTextColor": "2000",
}

# The current user's compatibility layers of an application (kavelo2-config.exe, Kavelo2Settings.exe).
ADVAPI32 = {
    "RegCloseKey": "2000", "RegCreateKeyExA": "2000", "RegDeleteValueA": "2000", "RegEnumValueA": "2000",
    "RegOpenKeyExA": "2000", "RegQueryValueExA": "2000", "RegSetValueExA": "2000",
}

# The settings dialog's common dialogs, dropped files and the guide it opens (Kavelo2Settings.exe).
COMDLG32 = {"GetOpenFileNameA": "2000", "GetSaveFileNameA": "2000"}
SHELL32 = {"CommandLineToArgvW": "2000", "DragAcceptFiles": "XP", "DragFinish": "XP", "DragQueryFileW": "XP",
           "ShellExecuteA": "XP"}

MSVCRT = set("""
    __getmainargs __initenv __mb_cur_max __p__acmdln __p__commode __p__fmode __p__wcmdln
    __set_app_type __setusermatherr __wgetmainargs __winitenv _amsg_exit _cexit _close _errno
    _fdopen _fileno _getch _fstat64 _initterm _iob _lock _lseeki64 _onexit _read _setmode _unlock
    _wfopen _write abort atoi calloc exit fclose ferror fflush fopen fprintf fputc fputs fputwc
    fread free fseek ftell fwprintf fwrite iswctype localeconv malloc memchr memcmp memcpy memmove
    memset realloc setlocale setvbuf signal strchr strcmp strcoll strerror strftime strlen
    strncmp strxfrm towlower towupper vfprintf wcscoll wcsftime wcslen wcsxfrm
""".split())

ALLOWED = {"KERNEL32.DLL": set(KERNEL32), "USER32.DLL": set(USER32), "GDI32.DLL": set(GDI32),
           "ADVAPI32.DLL": set(ADVAPI32), "COMDLG32.DLL": set(COMDLG32), "SHELL32.DLL": set(SHELL32),
           "MSVCRT.DLL": MSVCRT}
