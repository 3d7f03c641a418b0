#include "framework/RichEdit.h"

namespace brx {

bool CRichEditCtrl::LoadRichEdit() {
    // Loaded once and kept for the life of the process, as its windows may be.
    static HMODULE library = ::LoadLibraryW(L"riched20.dll");
    return library != nullptr;
}

} // namespace brx
