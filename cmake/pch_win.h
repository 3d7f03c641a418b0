// Precompiled for the Windows libraries and their tests (cmake/brx.cmake,
// BRX_PCH): the system and library headers nearly every Windows file parses.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>
