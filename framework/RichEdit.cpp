#include "framework/RichEdit.h"

#include "framework/SystemLibrary.h"

namespace brx {

bool CRichEditCtrl::LoadRichEdit() {
    // Loaded once and kept for the life of the process, as its windows may be.
    static HMODULE library = LoadSystemLibrary(L"riched20.dll");
    return library != nullptr;
}

} // namespace brx
