#!/usr/bin/env python3
"""Checks platform/win32.h against the real <windows.h> of MinGW-w64.

Every function declared for the Qt layer must have the same type as the system's,
every constant the same value, and the basic types the same sizes, so that the code
above platform/ builds unchanged against <windows.h>. Needs x86_64-w64-mingw32-g++
(Debian: g++-mingw-w64-x86-64); prints nothing and exits 0 when all agree.

    python3 platform/tools/check_win32_header.py [platform/win32.h]
"""
import os
import re
import subprocess
import sys
import tempfile

header = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "win32.h")
source = open(header, encoding="utf-8").read()
body = source[source.index("#else // the Qt layer"):source.rindex("#endif // _WIN32")]

checks = ["#include <windows.h>", "#include <commctrl.h>", "#include <commdlg.h>", "#include <type_traits>"]
for ret, convention, name, params in re.findall(r"^([A-Za-z_][\w \*]*?)\s+(WINAPIV?)\s+(\w+)\(([^;]*?)\);", body,
                                                 re.M | re.S):
    params = " ".join(params.split())
    checks.append(f'static_assert(std::is_same_v<decltype(&::{name}), {ret} ({convention} *)({params})>, "{name}");')

# Macros that are no plain constants (handles, function-like helpers, calling conventions).
not_constants = ("DECLARE_HANDLE", "WINAPI", "WINAPIV", "CALLBACK", "APIENTRY", "TRUE", "FALSE", "HWND_")
for name, value in re.findall(r"^#define (\w+) (.+)$", body, re.M):
    value = value.strip()
    if name.startswith(not_constants):
        continue
    if value.startswith('"'):
        checks.append(f'static_assert(sizeof({name}) == sizeof({value}), "{name}");')
    else:
        checks.append(f'static_assert((long long)({name}) == (long long)({value}), "{name}");')

sizes = {"BOOL": 4, "BYTE": 1, "WORD": 2, "DWORD": 4, "LONG": 4, "UINT": 4, "INT_PTR": 8, "UINT_PTR": 8,
         "LONG_PTR": 8, "WPARAM": 8, "LPARAM": 8, "LRESULT": 8, "COLORREF": 4, "HANDLE": 8, "SIZE_T": 8}
for type_name, size in sizes.items():
    checks.append(f'static_assert(sizeof({type_name}) == {size}, "{type_name}");')

with tempfile.NamedTemporaryFile("w", suffix=".cpp", delete=False) as check:
    check.write("\n".join(checks) + "\n")
result = subprocess.run(["x86_64-w64-mingw32-g++", "-std=c++20", "-fsyntax-only", check.name],
                        capture_output=True, text=True)
os.unlink(check.name)
if result.returncode != 0:
    errors = [line for line in result.stderr.splitlines() if "error" in line]
    print("\n".join(errors) or result.stderr)
    sys.exit(1)
