// The main toolbar: the customisable toolbar with the program's 23 button
// slots and bitmaps; under the default text option only Start Capture and
// Stop Capture show their labels.
#pragma once
#include "toolkit/bars/win/ToolBarEx.h"

namespace brx {

inline constexpr int kMainToolBarButtons = 23;
// The button slots in order (separators included).
const TBBUTTONEX* MainToolBarButtons();

class CToolBarMain : public CToolBarEx {
public:
    // Bitmaps, buttons (text option 1, "Selective text on right") and small
    // icons. Call after Create (and after adding the bar to its rebar).
    void InitBar();
    void Init() override { InitBar(); }
    bool HasButtonText(UINT id) override;
};

} // namespace brx
