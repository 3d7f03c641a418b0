// The program's name and version texts.
#pragma once

namespace brx {

const char* GetVersionText();        // "2.2 "
const char* GetVersionBuildText();   // "2.2 Build 100"
const char16_t* GetProductNameW();   // "Brindlex": captions, summary information
const char* GetProductNameA();
const char16_t* GetFrameTitleW();    // the main window's title
const char* GetWindowClassNameA();   // the main window's class

} // namespace brx
