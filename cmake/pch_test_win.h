// Precompiled for the Windows test binaries (cmake/brx.cmake, BRX_PCH).
#pragma once
#include "pch_win.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
