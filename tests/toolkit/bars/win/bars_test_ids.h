// Resource ids of the bar tests' own script.
#pragma once

// Four images each (open, capture, about, stop), magenta transparent.
#define IDB_BARS_SMALL 201
#define IDB_BARS_LARGE 202
