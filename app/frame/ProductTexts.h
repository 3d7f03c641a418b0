// The product's own texts as the About box, the splash screen and the crash
// report show them. The web address and the legal notice are the product's
// values: change them here.
#pragma once

namespace brx {

inline constexpr const wchar_t* kProductName = L"Brindlex";
inline constexpr const wchar_t* kProductVersionText = L"2.2 Build 100";
inline constexpr const wchar_t* kProductShortVersion = L"2.2 ";
inline constexpr const wchar_t* kProductLegalNotice = L"Copyright \u00A9 Brindlex developers. All rights reserved.";
inline constexpr const wchar_t* kProductWebAddress = L"https://www.brindlex.example/";

} // namespace brx
