#include "app/usbprops/win/PnpProp.h"

#include <cfgmgr32.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/devices/win/UsbHost.h"
#include "decode/WindowsNames.h"

namespace brx {

namespace {

constexpr DWORD kPropertyBytes = 2048;
constexpr DWORD kMultiStringMaxBytes = 0x10000;

wchar_t* W(const WString& s) { return const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(s.c_str())); }

// A registry property's bytes as returned: a string one grows its buffer
// when the first is short (up to a cap); the bytes are cut to the size the
// call reports, never past the buffer.
bool ReadProperty(IUsbHost& host, HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, bool grow,
                  std::vector<wchar_t>& text) {
    std::vector<BYTE> buffer(kPropertyBytes);
    for (;;) {
        DWORD type = 0, required = 0;
        if (host.SetupDiGetDeviceRegistryPropertyW(set, device, property, &type, buffer.data(),
                                                   static_cast<DWORD>(buffer.size()), &required)) {
            const size_t used = std::min<size_t>(required ? required : buffer.size(), buffer.size());
            text.assign(used / sizeof(wchar_t), L'\0');
            std::memcpy(text.data(), buffer.data(), text.size() * sizeof(wchar_t));
            text.push_back(L'\0');
            text.push_back(L'\0');
            return true;
        }
        if (!grow || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || required <= buffer.size() ||
            required > kMultiStringMaxBytes)
            return false;
        buffer.assign(required, 0);
    }
}

} // namespace

IUsbHost& CPnpProp::Host() const { return host_ ? *host_ : UsbHost(); }

void CPnpProp::ShowDevice(const DEVICE_NODE* node) {
    if (!m_hWnd) return;
    ::SetWindowTextW(m_hWnd, L"");
    SetTabStops(20, 32, 80);
    if (!node) return;
    if (node->kind >= NODE_HOST_CONTROLLER && node->kind <= NODE_DEVICE && !node->symbolicName.empty()) {
        Label(L"\r\nSymbolic Link:\t");
        Value(W(node->symbolicName));
        AppendNewLine();
    }
    if (node->instanceId.empty()) return;

    IUsbHost& host = Host();
    HDEVINFO set = host.SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    if (!host.SetupDiOpenDeviceInfoW(set, W(node->instanceId), nullptr, 0, &device)) {
        host.SetupDiDestroyDeviceInfoList(set);
        return;
    }
    std::vector<wchar_t> text;
    auto stringRow = [&](const wchar_t* label, DWORD property) {
        Label(label);
        if (ReadProperty(host, set, &device, property, false, text)) Value(text.data());
    };
    auto multiRow = [&](const wchar_t* label, DWORD property) {
        Label(label);
        if (!ReadProperty(host, set, &device, property, true, text)) return;
        bool first = true;
        for (const wchar_t* s = text.data(); *s; s += wcslen(s) + 1) {
            if (!first) AppendNewLine();
            first = false;
            wchar_t line[512];
            std::swprintf(line, 512, L"\t%.*ls", 500, s);
            Value(line);
        }
    };

    ULONG status = 0, problem = 0;
    const bool haveStatus = host.CM_Get_DevNode_Status(&status, &problem, device.DevInst, 0) == CR_SUCCESS;
    if (haveStatus && (status & DN_HAS_PROBLEM)) {
        Label(L"\r\nProblem: ", kRed);
        if (const char* why = DeviceProblemText(problem)) {
            wchar_t wide[1024] = {};
            ::MultiByteToWideChar(CP_ACP, 0, why, -1, wide, 1023);
            Value(wide, kRed);
            wchar_t code[32];
            std::swprintf(code, 32, L" (Code %lu)", static_cast<unsigned long>(problem));
            Value(code, kRed);
        }
        Value(L"\r\nFor more information and troubleshooting, right-click the\r\ndevice in Device Tree panel, and then "
              L"click Properties.\r\n",
              kRed);
    }
    stringRow(L"\r\nDescription:\t", SPDRP_DEVICEDESC);

    Label(L"\r\nInstance Status:\t");
    if (haveStatus && status != 0) {
        wchar_t hex[16];
        std::swprintf(hex, 16, L"%08lXh\t", static_cast<unsigned long>(status));
        Value(hex);
        bool named = false;
        for (int bit = 0; bit < 32; ++bit) {
            const uint32_t flag = 1u << bit;
            if (!(status & flag)) continue;
            const char* name = DevNodeStatusFlagName(flag);
            if (!name) continue;
            if (named) Value(L"\r\n\t\t");
            wchar_t wide[64] = {};
            ::MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 63);
            Value(wide);
            named = true;
        }
    }
    Label(L"\r\nInstance ID:\t");
    Value(W(node->instanceId));
    multiRow(L"\r\nHardware IDs:", SPDRP_HARDWAREID);
    multiRow(L"\r\nCompatible IDs:", SPDRP_COMPATIBLEIDS);
    stringRow(L"\r\nService Name:\t", SPDRP_SERVICE);
    stringRow(L"\r\nSetup Class:\t", SPDRP_CLASS);

    // The class description from the GUID read.
    std::vector<wchar_t> guidText;
    wchar_t description[1024] = {};
    bool haveGuid = ReadProperty(host, set, &device, SPDRP_CLASSGUID, false, guidText) && guidText[0] == L'{' &&
                    wcslen(guidText.data()) >= 38;
    if (haveGuid) {
        wchar_t braced[39] = {};
        wcsncpy(braced, guidText.data(), 38);
        GUID guid{};
        DWORD required = 0;
        if (FAILED(::CLSIDFromString(braced, &guid)) ||
            !host.SetupDiGetClassDescriptionW(&guid, description, 1024, &required))
            description[0] = 0;
        description[1023] = 0;
    }
    Label(L"\r\nSetup Class Description:\t");
    if (description[0]) Value(description);
    Label(L"\r\nSetup Class GUID:\t");
    if (haveGuid) Value(guidText.data());

    stringRow(L"\r\nSoftware Key:\t", SPDRP_DRIVER);
    stringRow(L"\r\nManufacturer:\t", SPDRP_MFG);
    stringRow(L"\r\nFriendly Name:\t", SPDRP_FRIENDLYNAME);
    stringRow(L"\r\nHardware Location:\t", SPDRP_LOCATION_INFORMATION);
    stringRow(L"\r\nPDO Name:\t", SPDRP_PHYSICAL_DEVICE_OBJECT_NAME);
    host.SetupDiDestroyDeviceInfoList(set);
}

} // namespace brx
