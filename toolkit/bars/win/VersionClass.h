// The Windows version class every bar reads once (see VersionClassOf), from
// the OS version the system seams answer.
#pragma once

namespace brx {

int GetWindowsVersionClass();

} // namespace brx
