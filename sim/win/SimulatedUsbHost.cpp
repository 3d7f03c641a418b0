#include "sim/win/SimulatedUsbHost.h"

#include <dbt.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <tuple>

#include "app/devices/DeviceNode.h"
#include "app/devices/UsbReplies.h"
#include "base/ByteReader.h"
#include "base/ByteWriter.h"

namespace brx {

namespace {

const char16_t kUsbDeviceInterface[] = u"{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

std::u16string U16(const wchar_t* s) {
    return s ? std::u16string(reinterpret_cast<const char16_t*>(s), wcslen(s)) : std::u16string();
}
std::u16string U16(const wchar_t* s, size_t n) { return std::u16string(reinterpret_cast<const char16_t*>(s), n); }

std::u16string GuidText(const GUID& g) {
    wchar_t text[40];
    swprintf(text, 40, L"{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", static_cast<unsigned>(g.Data1),
             g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
             g.Data4[7]);
    return U16(text);
}

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" in either case; zero when it is not one.
GUID ParseGuid(const std::u16string& text) {
    GUID g{};
    if (text.size() != 38)
        return g;
    auto hex = [&](size_t at, size_t digits) {
        uint32_t v = 0;
        for (size_t i = 0; i < digits; ++i) {
            const char16_t c = text[at + i];
            v = v << 4 | (c >= u'0' && c <= u'9' ? c - u'0' : c >= u'a' && c <= u'f' ? c - u'a' + 10 : c - u'A' + 10);
        }
        return v;
    };
    g.Data1 = hex(1, 8);
    g.Data2 = static_cast<uint16_t>(hex(10, 4));
    g.Data3 = static_cast<uint16_t>(hex(15, 4));
    g.Data4[0] = static_cast<uint8_t>(hex(20, 2));
    g.Data4[1] = static_cast<uint8_t>(hex(22, 2));
    for (int i = 0; i < 6; ++i)
        g.Data4[2 + i] = static_cast<uint8_t>(hex(25 + 2 * i, 2));
    return g;
}

void PutText(std::vector<uint8_t>& out, const std::u16string& text) {
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

std::vector<uint8_t> MultiText(const std::vector<std::u16string>& texts) {
    std::vector<uint8_t> out;
    for (const std::u16string& t : texts)
        PutText(out, t);
    out.push_back(0);
    out.push_back(0);
    return out;
}

void PutDwordBytes(std::vector<uint8_t>& out, uint32_t v) {
    out.resize(4);
    PutLe32(out.data(), v);
}

// Class descriptions of the classes the machine's devices belong to.
const struct {
    const char16_t* guid;
    const wchar_t* description;
} kClassDescriptions[] = {
    {u"{36fc9e60-c465-11cf-8056-444553540000}", L"Universal Serial Bus controllers"},
    {u"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}", L"Human Interface Devices"},
    {u"{4d36e967-e325-11ce-bfc1-08002be10318}", L"Disk drives"},
    {u"{71a27cdd-812a-11d0-bec7-08002be2092f}", L"Storage volumes"},
    {u"{4d36e96f-e325-11ce-bfc1-08002be10318}", L"Mice and other pointing devices"},
    {u"{4d36e96b-e325-11ce-bfc1-08002be10318}", L"Keyboards"},
    {u"{4d36e978-e325-11ce-bfc1-08002be10318}", L"Ports (COM & LPT)"},
};

// A name reply: a DWORD (or two) ahead of the NUL-terminated name, its
// ActualLength the size of the whole structure, cut to the caller's buffer.
std::vector<uint8_t> NameReply(const std::u16string& name, uint32_t headerBytes, uint32_t lengthAt,
                               const uint8_t* input, DWORD inputSize) {
    std::vector<uint8_t> reply(headerBytes, 0);
    if (input && inputSize >= 4 && headerBytes >= 8)
        std::memcpy(reply.data(), input, 4);   // ConnectionIndex
    PutText(reply, name);
    PutLe32(reply.data() + lengthAt, static_cast<uint32_t>(reply.size()));
    return reply;
}

} // namespace

CSimulatedUsbHost::CSimulatedUsbHost(SimUsbTopology& topology) : topology_(topology) {}

bool CSimulatedUsbHost::Present(uint32_t devinst) const {
    return topology_.ValidDevinst(devinst) && topology_.Devnode(devinst).present;
}

uint32_t CSimulatedUsbHost::Restarts(uint32_t devinst) const {
    auto it = restarts_.find(devinst);
    return it == restarts_.end() ? 0 : it->second;
}

// ---------------------------------------------------------------------------
// Handles and device control

HANDLE CSimulatedUsbHost::CreateFileW(LPCWSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    const std::u16string p = U16(path);
    bool refused = false;
    for (const std::wstring& u : knobs_.unopenable)
        refused = refused || WideEqualsIgnoreCase(U16(u.c_str()), p);
    Target target{false, SIM_NONE};
    if (!refused) {
        for (uint32_t i = 0; i < topology_.controllers.size() && target.index == SIM_NONE; ++i) {
            const SimController& c = topology_.controllers[i];
            if (c.rootHub == SIM_NONE || !Present(c.devnode))
                continue;
            wchar_t legacy[32];
            swprintf(legacy, 32, L"\\\\.\\HCD%d", c.hcdNumber);
            bool match = c.hcdNumber >= 0 && WideEqualsIgnoreCase(U16(legacy), p);
            for (const SimInterface& itf : topology_.Devnode(c.devnode).interfaces)
                match = match || WideEqualsIgnoreCase(itf.path, p);
            if (match)
                target = {false, i};
        }
        for (uint32_t i = 0; i < topology_.hubs.size() && target.index == SIM_NONE; ++i)
            if (Present(topology_.hubs[i].devnode) && WideEqualsIgnoreCase(u"\\\\.\\" + topology_.hubs[i].name, p))
                target = {true, i};
    }
    if (target.index == SIM_NONE) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = reinterpret_cast<HANDLE>(nextHandle_);
    nextHandle_ += 4;
    handles_[h] = target;
    return h;
}

BOOL CSimulatedUsbHost::CloseHandle(HANDLE handle) {
    if (!handles_.erase(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL CSimulatedUsbHost::DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                                        DWORD outputSize, LPDWORD returned, LPOVERLAPPED) {
    if (returned)
        *returned = 0;
    auto it = handles_.find(device);
    if (it == handles_.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const uint8_t* in = static_cast<const uint8_t*>(input);
    const ByteReader request(in, input ? inputSize : 0);
    Request logged{code, it->second.hub ? it->second.index : SIM_NONE, 0, 0, 0, 0, 0, inputSize, outputSize};
    if (it->second.hub)
        logged.port = request.u32le_or(0);
    if (code == IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION) {
        logged.index = request.u8or(6);
        logged.type = request.u8or(7);
        logged.language = request.u16le_or(8);
        logged.length = request.u16le_or(10);
    }
    requests_.push_back(logged);

    std::vector<uint8_t> reply;
    DWORD error = ERROR_SUCCESS;
    BOOL ok = FALSE;
    if (it->second.hub) {
        ok = HubRequest(it->second.index, code, in, input ? inputSize : 0, reply, outputSize, error);
    } else {
        const SimController& c = topology_.controllers[it->second.index];
        if (code == IOCTL_GET_HCD_DRIVERKEY_NAME) {
            reply = NameReply(topology_.Devnode(c.devnode).driverKey, 4, 0, nullptr, 0);
            ok = TRUE;
        } else if (code == IOCTL_USB_GET_ROOT_HUB_NAME) {
            reply = NameReply(topology_.hubs[c.rootHub].name, 4, 0, nullptr, 0);
            ok = TRUE;
        } else {
            error = ERROR_INVALID_FUNCTION;
        }
        if (ok && outputSize < 4) {
            ok = FALSE;
            error = ERROR_INSUFFICIENT_BUFFER;
        }
    }
    if (!ok) {
        SetLastError(error);
        return FALSE;
    }
    auto cut = knobs_.shortReplies.find(code);
    if (cut != knobs_.shortReplies.end() && reply.size() > cut->second)
        reply.resize(cut->second);
    const DWORD n = static_cast<DWORD>(std::min<size_t>(reply.size(), outputSize));
    if (n)
        std::memcpy(output, reply.data(), n);
    if (returned)
        *returned = n;
    return TRUE;
}

BOOL CSimulatedUsbHost::HubRequest(uint32_t hubIndex, DWORD code, const uint8_t* input, DWORD inputSize,
                                   std::vector<uint8_t>& reply, DWORD outputSize, DWORD& error) {
    const ByteReader in(input, inputSize);
    if (code == IOCTL_USB_GET_NODE_INFORMATION) {
        const SimHub& hub = topology_.hubs[hubIndex];
        if (outputSize < USB_NODE_INFORMATION_SIZE) {
            error = ERROR_INSUFFICIENT_BUFFER;
            return FALSE;
        }
        reply.assign(USB_NODE_INFORMATION_SIZE, 0);   // NodeType 0: a hub
        reply[4] = 9;                                 // hub descriptor: length, type, ports
        reply[5] = 0x29;
        reply[6] = static_cast<uint8_t>(hub.ports.size());
        reply[7] = 0x09;                              // individual power switching and over-current
        reply[9] = 50;                                // 100 ms from power-on to power-good
        reply[10] = 100;
        reply[75] = hub.busPowered ? 1 : 0;
        return TRUE;
    }

    uint32_t port = 0;
    if (!in.u32le(0, port)) {
        error = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    SimHub& hub = topology_.hubs[hubIndex];
    if (port == 0 || port > hub.ports.size()) {
        error = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    if (knobs_.unplugOnCode == code && knobs_.unplugHub == hubIndex && knobs_.unplugPort == port) {
        knobs_.unplugOnCode = 0;
        Unplug(hubIndex, port);
    }
    const SimPort& p = hub.ports[port - 1];
    const bool connected = p.status == 1 && Present(p.devnode);

    switch (code) {
    case IOCTL_USB_GET_NODE_CONNECTION_INFORMATION:
    case IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX: {
        if (outputSize < CONNECTION_INFO_HEADER) {
            error = ERROR_INSUFFICIENT_BUFFER;
            return FALSE;
        }
        const std::vector<Bytes> pipes = connected ? OpenPipes(p.descriptors.configuration) : std::vector<Bytes>{};
        reply.assign(CONNECTION_INFO_HEADER, 0);
        PutLe32(reply.data(), port);
        if (connected) {
            std::copy_n(p.descriptors.device.begin(), std::min<size_t>(18, p.descriptors.device.size()),
                        reply.begin() + CONNECTION_INFO_DEVICE_DESCRIPTOR);
            reply[CONNECTION_INFO_CONFIGURATION] = 1;
            reply[CONNECTION_INFO_SPEED] =
                code == IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX ? p.speed : (p.speed == 0 ? 1 : 0);
            reply[CONNECTION_INFO_IS_HUB] = p.hub != SIM_NONE ? 1 : 0;
            PutLe16(reply.data() + CONNECTION_INFO_ADDRESS, p.address);
            PutLe32(reply.data() + CONNECTION_INFO_OPEN_PIPES, static_cast<uint32_t>(pipes.size()));
        }
        PutLe32(reply.data() + CONNECTION_INFO_STATUS, connected ? 1 : (p.status == 1 ? 0 : p.status));
        // The pipes that fit the caller's buffer; the count says how many there are.
        for (const Bytes& pipe : pipes) {
            if (reply.size() + CONNECTION_INFO_PIPE_SIZE > outputSize)
                break;
            reply.insert(reply.end(), pipe.begin(), pipe.end());
            reply.insert(reply.end(), 4, 0);
        }
        return TRUE;
    }
    case IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION: {
        if (inputSize < USB_DESCRIPTOR_REQUEST_HEADER || outputSize < USB_DESCRIPTOR_REQUEST_HEADER) {
            error = ERROR_INVALID_PARAMETER;
            return FALSE;
        }
        if (!connected) {
            error = ERROR_GEN_FAILURE;   // no device to answer
            return FALSE;
        }
        const uint8_t index = in.u8or(6), type = in.u8or(7);
        const uint16_t language = in.u16le_or(8), length = in.u16le_or(10);
        const Bytes* data = nullptr;
        switch (type) {
        case USB_DEVICE_DESCRIPTOR_TYPE:
            data = &p.descriptors.device;
            break;
        case USB_CONFIGURATION_DESCRIPTOR_TYPE:
            data = index == 0 ? &p.descriptors.configuration : nullptr;
            break;
        case USB_OTHER_SPEED_CONFIGURATION_DESCRIPTOR_TYPE:
            data = index == 0 ? &p.descriptors.otherSpeed : nullptr;
            break;
        case USB_DEVICE_QUALIFIER_DESCRIPTOR_TYPE:
            data = &p.descriptors.qualifier;
            break;
        case USB_BOS_DESCRIPTOR_TYPE:
            data = &p.descriptors.bos;
            break;
        case USB_STRING_DESCRIPTOR_TYPE:
            for (const SimStringDescriptor& s : p.descriptors.strings)
                if (s.index == index && s.languageId == language)
                    data = &s.bytes;
            if (knobs_.failFirstStringRequest && stringsAsked_.insert({hubIndex, port, index, language}).second)
                data = nullptr;
            break;
        default:
            break;
        }
        if (!data || data->empty()) {
            error = ERROR_GEN_FAILURE;   // the device stalled the request
            return FALSE;
        }
        reply.assign(input, input + USB_DESCRIPTOR_REQUEST_HEADER);
        const size_t n = std::min<size_t>({data->size(), length, outputSize - USB_DESCRIPTOR_REQUEST_HEADER});
        reply.insert(reply.end(), data->begin(), data->begin() + static_cast<std::ptrdiff_t>(n));
        return TRUE;
    }
    case IOCTL_USB_GET_NODE_CONNECTION_NAME:
    case IOCTL_USB_GET_NODE_CONNECTION_DRIVERKEY_NAME: {
        if (outputSize < 10) {
            error = ERROR_INSUFFICIENT_BUFFER;
            return FALSE;
        }
        std::u16string name;
        if (code == IOCTL_USB_GET_NODE_CONNECTION_NAME) {
            if (connected && p.hub != SIM_NONE)
                name = topology_.hubs[p.hub].name;
        } else {
            if (!connected || knobs_.driverKeyFailures.count({hubIndex, port})) {
                error = ERROR_GEN_FAILURE;
                return FALSE;
            }
            name = topology_.Devnode(p.devnode).driverKey;
        }
        reply = NameReply(name, 8, 4, input, inputSize);
        return TRUE;
    }
    default:
        error = ERROR_INVALID_FUNCTION;
        return FALSE;
    }
}

// ---------------------------------------------------------------------------
// SetupAPI

CSimulatedUsbHost::Set* CSimulatedUsbHost::FindSet(HDEVINFO set) {
    auto it = sets_.find(set);
    if (it == sets_.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return &it->second;
}

CSimulatedUsbHost::Set* CSimulatedUsbHost::MemberOf(HDEVINFO set, const SP_DEVINFO_DATA* data, uint32_t& devinst) {
    Set* s = FindSet(set);
    if (!s)
        return nullptr;
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return nullptr;
    }
    if (std::find(s->members.begin(), s->members.end(), data->DevInst) == s->members.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    devinst = data->DevInst;
    return s;
}

HDEVINFO CSimulatedUsbHost::SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR, HWND, DWORD flags) {
    Set s;
    const std::u16string guid = classGuid ? GuidText(*classGuid) : std::u16string();
    for (uint32_t devinst = 2; devinst <= topology_.devnodes.size(); ++devinst) {   // the root is no device
        if (!Present(devinst))
            continue;
        const SimDevnode& d = topology_.Devnode(devinst);
        if (flags & DIGCF_DEVICEINTERFACE) {
            bool any = false;
            for (const SimInterface& itf : d.interfaces)
                if (WideEqualsIgnoreCase(itf.classGuid, guid)) {
                    s.interfaces.push_back({devinst, itf.path, *classGuid});
                    any = true;
                }
            if (any)
                s.members.push_back(devinst);
        } else if ((flags & DIGCF_ALLCLASSES) || WideEqualsIgnoreCase(d.classGuid, guid)) {
            s.members.push_back(devinst);
        }
    }
    HDEVINFO h = reinterpret_cast<HDEVINFO>(nextHandle_);
    nextHandle_ += 4;
    sets_[h] = std::move(s);
    return h;
}

HDEVINFO CSimulatedUsbHost::SetupDiCreateDeviceInfoList(const GUID*, HWND) {
    HDEVINFO h = reinterpret_cast<HDEVINFO>(nextHandle_);
    nextHandle_ += 4;
    sets_[h] = Set{};
    return h;
}

BOOL CSimulatedUsbHost::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    if (!sets_.erase(set)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL CSimulatedUsbHost::SetupDiOpenDeviceInfoW(HDEVINFO set, PCWSTR instanceId, HWND, DWORD, PSP_DEVINFO_DATA data) {
    Set* s = FindSet(set);
    if (!s)
        return FALSE;
    const uint32_t devinst = topology_.FindDevnode(U16(instanceId));
    if (!devinst) {
        SetLastError(ERROR_NO_SUCH_DEVINST);
        return FALSE;
    }
    if (data && data->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (std::find(s->members.begin(), s->members.end(), devinst) == s->members.end())
        s->members.push_back(devinst);
    if (data) {
        data->ClassGuid = ParseGuid(topology_.Devnode(devinst).classGuid);
        data->DevInst = devinst;
        data->Reserved = 0;
    }
    return TRUE;
}

BOOL CSimulatedUsbHost::SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data) {
    Set* s = FindSet(set);
    if (!s)
        return FALSE;
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (index >= s->members.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    data->DevInst = s->members[index];
    data->ClassGuid = ParseGuid(topology_.Devnode(data->DevInst).classGuid);
    data->Reserved = 0;
    return TRUE;
}

BOOL CSimulatedUsbHost::SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID* interfaceGuid,
                                                    DWORD index, PSP_DEVICE_INTERFACE_DATA interfaceData) {
    Set* s = FindSet(set);
    if (!s)
        return FALSE;
    if (!interfaceData || interfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || !interfaceGuid) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    DWORD seen = 0;
    for (size_t i = 0; i < s->interfaces.size(); ++i) {
        if (!IsEqualGUID(s->interfaces[i].guid, *interfaceGuid) || seen++ != index)
            continue;
        interfaceData->InterfaceClassGuid = *interfaceGuid;
        interfaceData->Flags = SPINT_ACTIVE;
        interfaceData->Reserved = i + 1;
        return TRUE;
    }
    SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
}

BOOL CSimulatedUsbHost::SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                                         PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                                                         PDWORD required, PSP_DEVINFO_DATA data) {
    Set* s = FindSet(set);
    if (!s)
        return FALSE;
    if (!interfaceData || interfaceData->Reserved == 0 || interfaceData->Reserved > s->interfaces.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Set::Interface& itf = s->interfaces[interfaceData->Reserved - 1];
    const DWORD needed = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                                            (itf.path.size() + 1) * sizeof(wchar_t));
    if (required)
        *required = needed;
    if (!detail) {
        SetLastError(size ? ERROR_INVALID_USER_BUFFER : ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(detail->DevicePath, itf.path.c_str(), (itf.path.size() + 1) * sizeof(wchar_t));
    if (data) {
        if (data->cbSize != sizeof(SP_DEVINFO_DATA)) {
            SetLastError(ERROR_INVALID_USER_BUFFER);
            return FALSE;
        }
        data->DevInst = itf.devinst;
        data->ClassGuid = ParseGuid(topology_.Devnode(itf.devinst).classGuid);
        data->Reserved = 0;
    }
    return TRUE;
}

bool CSimulatedUsbHost::PropertyBytes(uint32_t devinst, DWORD property, DWORD& type,
                                      std::vector<uint8_t>& bytes) const {
    const SimDevnode& d = topology_.Devnode(devinst);
    bytes.clear();
    type = REG_SZ;
    auto text = [&](const std::u16string& s) {
        if (!s.empty())
            PutText(bytes, s);
    };
    switch (property) {
    case SPDRP_DEVICEDESC: text(d.description); break;
    case SPDRP_SERVICE: text(d.service); break;
    case SPDRP_CLASS: text(d.className); break;
    case SPDRP_CLASSGUID: text(d.classGuid); break;
    case SPDRP_DRIVER: text(d.driverKey); break;
    case SPDRP_MFG: text(d.manufacturer); break;
    case SPDRP_FRIENDLYNAME: text(d.friendlyName); break;
    case SPDRP_LOCATION_INFORMATION: text(d.location); break;
    case SPDRP_PHYSICAL_DEVICE_OBJECT_NAME: text(d.pdoName); break;
    case SPDRP_HARDWAREID:
    case SPDRP_COMPATIBLEIDS: {
        const auto& list = property == SPDRP_HARDWAREID ? d.hardwareIds : d.compatibleIds;
        type = REG_MULTI_SZ;
        if (!list.empty())
            bytes = MultiText(list);
        break;
    }
    case SPDRP_CAPABILITIES:
        type = REG_DWORD;
        PutDwordBytes(bytes, d.capabilities);
        break;
    case SPDRP_ADDRESS:
        type = REG_DWORD;
        if (d.hasAddress)
            PutDwordBytes(bytes, d.address);
        break;
    default:
        break;
    }
    return !bytes.empty();
}

BOOL CSimulatedUsbHost::SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                                          PDWORD type, PBYTE buffer, DWORD size, PDWORD required) {
    uint32_t devinst = 0;
    Set* s = MemberOf(set, data, devinst);
    if (!s)
        return FALSE;
    DWORD t = 0;
    std::vector<uint8_t> bytes;
    if (!PropertyBytes(devinst, property, t, bytes)) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    if (required)
        *required = static_cast<DWORD>(bytes.size());
    if (type)
        *type = t;
    if (!buffer || size < bytes.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, bytes.data(), bytes.size());
    return TRUE;
}

BOOL CSimulatedUsbHost::SetupDiGetDeviceInstanceIdW(HDEVINFO set, PSP_DEVINFO_DATA data, PWSTR buffer, DWORD size,
                                                    PDWORD required) {
    uint32_t devinst = 0;
    Set* s = MemberOf(set, data, devinst);
    if (!s)
        return FALSE;
    const std::u16string& id = topology_.Devnode(devinst).instanceId;
    if (required)
        *required = static_cast<DWORD>(id.size() + 1);
    if (!buffer || size < id.size() + 1) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, id.c_str(), (id.size() + 1) * sizeof(wchar_t));
    return TRUE;
}

BOOL CSimulatedUsbHost::SetupDiGetClassImageList(PSP_CLASSIMAGELIST_DATA) {
    SetLastError(ERROR_INVALID_FUNCTION);   // as Wine: the views keep their own images
    return FALSE;
}

BOOL CSimulatedUsbHost::SetupDiGetClassImageIndex(PSP_CLASSIMAGELIST_DATA, const GUID*, PINT) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
}

BOOL CSimulatedUsbHost::SetupDiDestroyClassImageList(PSP_CLASSIMAGELIST_DATA) { return TRUE; }

BOOL CSimulatedUsbHost::SetupDiGetClassDescriptionW(const GUID* classGuid, PWSTR buffer, DWORD size,
                                                    PDWORD required) {
    const std::u16string guid = classGuid ? GuidText(*classGuid) : std::u16string();
    for (const auto& c : kClassDescriptions) {
        if (!WideEqualsIgnoreCase(c.guid, guid))
            continue;
        const DWORD needed = static_cast<DWORD>(wcslen(c.description) + 1);
        if (required)
            *required = needed;
        if (!buffer || size < needed) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        wcscpy(buffer, c.description);
        return TRUE;
    }
    SetLastError(ERROR_INVALID_CLASS);
    return FALSE;
}

BOOL CSimulatedUsbHost::SetupDiSetClassInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA data,
                                                      PSP_CLASSINSTALL_HEADER params, DWORD size) {
    uint32_t devinst = 0;
    Set* s = MemberOf(set, data, devinst);
    if (!s)
        return FALSE;
    if (!params || params->cbSize != sizeof(SP_CLASSINSTALL_HEADER) || size != sizeof(SP_PROPCHANGE_PARAMS) ||
        params->InstallFunction != DIF_PROPERTYCHANGE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    s->installParams[devinst] = true;
    return TRUE;
}

BOOL CSimulatedUsbHost::SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA data) {
    uint32_t devinst = 0;
    Set* s = MemberOf(set, data, devinst);
    if (!s)
        return FALSE;
    if (function != DIF_PROPERTYCHANGE || !s->installParams[devinst]) {
        SetLastError(ERROR_DI_DO_DEFAULT);
        return FALSE;
    }
    ++restarts_[devinst];
    return TRUE;
}

BOOL CSimulatedUsbHost::SetupDiGetDeviceInstallParamsW(HDEVINFO set, PSP_DEVINFO_DATA data,
                                                       PSP_DEVINSTALL_PARAMS_W params) {
    uint32_t devinst = 0;
    Set* s = MemberOf(set, data, devinst);
    if (!s)
        return FALSE;
    if (!params || params->cbSize != sizeof(SP_DEVINSTALL_PARAMS_W)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    params->Flags = knobs_.installFlags;
    return TRUE;
}

// ---------------------------------------------------------------------------
// Configuration manager

CONFIGRET CSimulatedUsbHost::CM_Locate_DevNodeW(PDEVINST devinst, DEVINSTID_W id, ULONG) {
    if (!devinst)
        return CR_INVALID_POINTER;
    *devinst = 0;
    const std::u16string text = U16(id);
    const uint32_t found = text.empty() ? 1 : topology_.FindDevnode(text);
    if (!found)
        return CR_NO_SUCH_DEVNODE;
    *devinst = found;
    return CR_SUCCESS;
}

CONFIGRET CSimulatedUsbHost::CM_Get_Child(PDEVINST child, DEVINST devinst, ULONG) {
    if (!child)
        return CR_INVALID_POINTER;
    if (!Present(devinst))
        return CR_INVALID_DEVNODE;
    if (knobs_.childNotWritten)
        return CR_SUCCESS;
    if (knobs_.cmAnswersItself) {
        *child = devinst;
        return CR_SUCCESS;
    }
    for (uint32_t d = 1; d <= topology_.devnodes.size(); ++d)
        if (Present(d) && topology_.Devnode(d).parent == devinst) {
            *child = d;
            return CR_SUCCESS;
        }
    return CR_NO_SUCH_DEVNODE;
}

CONFIGRET CSimulatedUsbHost::CM_Get_Sibling(PDEVINST sibling, DEVINST devinst, ULONG) {
    if (!sibling)
        return CR_INVALID_POINTER;
    if (!Present(devinst))
        return CR_INVALID_DEVNODE;
    if (knobs_.cmAnswersItself) {
        *sibling = devinst;
        return CR_SUCCESS;
    }
    const uint32_t parent = topology_.Devnode(devinst).parent;
    for (uint32_t d = devinst + 1; d <= topology_.devnodes.size(); ++d)
        if (Present(d) && topology_.Devnode(d).parent == parent) {
            *sibling = d;
            return CR_SUCCESS;
        }
    return CR_NO_SUCH_DEVNODE;
}

CONFIGRET CSimulatedUsbHost::CM_Get_Device_IDW(DEVINST devinst, PWSTR buffer, ULONG length, ULONG) {
    if (!Present(devinst))
        return CR_INVALID_DEVNODE;
    const std::u16string& id = topology_.Devnode(devinst).instanceId;
    if (!buffer || length < id.size())
        return CR_BUFFER_SMALL;
    std::memcpy(buffer, id.c_str(), id.size() * sizeof(wchar_t));
    if (length > id.size())
        buffer[id.size()] = 0;
    return CR_SUCCESS;
}

CONFIGRET CSimulatedUsbHost::CM_Get_DevNode_Registry_PropertyW(DEVINST devinst, ULONG property, PULONG type,
                                                               PVOID buffer, PULONG length, ULONG) {
    if (!length)
        return CR_INVALID_POINTER;
    if (!Present(devinst))
        return CR_INVALID_DEVNODE;
    DWORD t = 0;
    std::vector<uint8_t> bytes;
    if (property == 0 || !PropertyBytes(devinst, property - 1, t, bytes))   // CM_DRP_* is SPDRP_* + 1
        return CR_NO_SUCH_VALUE;
    if (type)
        *type = t;
    const ULONG given = *length;
    *length = static_cast<ULONG>(bytes.size());
    if (!buffer || given < bytes.size())
        return CR_BUFFER_SMALL;
    std::memcpy(buffer, bytes.data(), bytes.size());
    return CR_SUCCESS;
}

CONFIGRET CSimulatedUsbHost::CM_Get_DevNode_Status(PULONG status, PULONG problem, DEVINST devinst, ULONG) {
    if (!status || !problem)
        return CR_INVALID_POINTER;
    if (!Present(devinst))
        return CR_NO_SUCH_DEVINST;
    *status = topology_.Devnode(devinst).status;
    *problem = topology_.Devnode(devinst).problem;
    return CR_SUCCESS;
}

namespace {

// A multi-string's size in characters, both terminators counted.
ULONG MultiChars(const std::vector<std::u16string>& list) {
    ULONG chars = 1;
    for (const std::u16string& s : list)
        chars += static_cast<ULONG>(s.size() + 1);
    return chars;
}

CONFIGRET CopyMulti(const std::vector<std::u16string>& list, PWCHAR buffer, ULONG length) {
    if (!buffer || length < MultiChars(list))
        return CR_BUFFER_SMALL;
    size_t at = 0;
    for (const std::u16string& s : list) {
        std::memcpy(buffer + at, s.c_str(), (s.size() + 1) * sizeof(wchar_t));
        at += s.size() + 1;
    }
    buffer[at] = 0;
    return CR_SUCCESS;
}

} // namespace

CONFIGRET CSimulatedUsbHost::CM_Get_Device_ID_List_SizeW(PULONG length, PCWSTR filter, ULONG flags) {
    if (!length)
        return CR_INVALID_POINTER;
    *length = 0;
    if (flags != CM_GETIDLIST_FILTER_REMOVALRELATIONS)
        return CR_INVALID_FLAG;
    const uint32_t devinst = topology_.FindDevnode(U16(filter));
    if (!devinst)
        return CR_INVALID_DEVICE_ID;
    *length = MultiChars(topology_.Devnode(devinst).removalRelations);
    return CR_SUCCESS;
}

CONFIGRET CSimulatedUsbHost::CM_Get_Device_ID_ListW(PCWSTR filter, PWCHAR buffer, ULONG length, ULONG flags) {
    if (flags != CM_GETIDLIST_FILTER_REMOVALRELATIONS)
        return CR_INVALID_FLAG;
    const uint32_t devinst = topology_.FindDevnode(U16(filter));
    if (!devinst)
        return CR_INVALID_DEVICE_ID;
    return CopyMulti(topology_.Devnode(devinst).removalRelations, buffer, length);
}

CONFIGRET CSimulatedUsbHost::CM_Get_Device_Interface_List_SizeW(PULONG length, LPGUID interfaceGuid, DEVINSTID_W id,
                                                                ULONG) {
    if (!length || !interfaceGuid)
        return CR_INVALID_POINTER;
    *length = 0;
    const uint32_t devinst = topology_.FindDevnode(U16(id));
    if (!devinst)
        return CR_NO_SUCH_DEVNODE;
    std::vector<std::u16string> paths;
    for (const SimInterface& itf : topology_.Devnode(devinst).interfaces)
        if (WideEqualsIgnoreCase(itf.classGuid, GuidText(*interfaceGuid)))
            paths.push_back(itf.path);
    *length = MultiChars(paths);
    return CR_SUCCESS;
}

CONFIGRET CSimulatedUsbHost::CM_Get_Device_Interface_ListW(LPGUID interfaceGuid, DEVINSTID_W id, PWCHAR buffer,
                                                           ULONG length, ULONG) {
    if (!interfaceGuid)
        return CR_INVALID_POINTER;
    const uint32_t devinst = topology_.FindDevnode(U16(id));
    if (!devinst)
        return CR_NO_SUCH_DEVNODE;
    std::vector<std::u16string> paths;
    for (const SimInterface& itf : topology_.Devnode(devinst).interfaces)
        if (WideEqualsIgnoreCase(itf.classGuid, GuidText(*interfaceGuid)))
            paths.push_back(itf.path);
    return CopyMulti(paths, buffer, length);
}

// ---------------------------------------------------------------------------
// Symbolic links, volumes, notifications

LONG CSimulatedUsbHost::NtOpenSymbolicLinkObject(PHANDLE link, ACCESS_MASK, NT_OBJECT_ATTRIBUTES* attributes) {
    if (!link || !attributes || !attributes->ObjectName || !attributes->ObjectName->Buffer)
        return static_cast<LONG>(0xC000000D);   // STATUS_INVALID_PARAMETER
    const std::u16string name = U16(attributes->ObjectName->Buffer, attributes->ObjectName->Length / 2);
    std::u16string target;
    if (WideEqualsIgnoreCase(name, u"\\DosDevices")) {
        target = u"\\??";
    } else {
        for (const SimHub& hub : topology_.hubs)
            if (hub.symbolicLink && Present(hub.devnode) && WideEqualsIgnoreCase(name, u"\\??\\" + hub.name))
                target = topology_.Devnode(hub.devnode).pdoName;
    }
    if (target.empty())
        return NT_STATUS_OBJECT_NAME_NOT_FOUND;
    HANDLE h = reinterpret_cast<HANDLE>(nextHandle_);
    nextHandle_ += 4;
    links_[h] = target;
    *link = h;
    return 0;
}

LONG CSimulatedUsbHost::NtQuerySymbolicLinkObject(HANDLE link, NT_UNICODE_STRING* target, PULONG length) {
    auto it = links_.find(link);
    if (it == links_.end() || !target)
        return static_cast<LONG>(0xC0000008);   // STATUS_INVALID_HANDLE
    const ULONG bytes = static_cast<ULONG>(it->second.size() * 2);
    if (length)
        *length = bytes;
    if (target->MaximumLength < bytes || !target->Buffer)
        return NT_STATUS_BUFFER_TOO_SMALL;
    std::memcpy(target->Buffer, it->second.data(), bytes);
    target->Length = static_cast<USHORT>(bytes);
    return 0;
}

LONG CSimulatedUsbHost::NtClose(HANDLE handle) {
    return links_.erase(handle) ? 0 : static_cast<LONG>(0xC0000008);
}

BOOL CSimulatedUsbHost::GetVolumeNameForVolumeMountPointW(LPCWSTR mountPoint, LPWSTR name, DWORD size) {
    const std::u16string point = U16(mountPoint);
    for (uint32_t devinst = 1; devinst <= topology_.devnodes.size(); ++devinst) {
        const SimDevnode& d = topology_.Devnode(devinst);
        if (!Present(devinst) || d.volumeName.empty())
            continue;
        bool match = WideEqualsIgnoreCase(point, std::u16string{d.driveLetter, u':', u'\\'});
        for (const SimInterface& itf : d.interfaces)
            match = match || WideEqualsIgnoreCase(point, itf.path + u"\\");
        if (!match)
            continue;
        if (!name || size < d.volumeName.size() + 1) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return FALSE;
        }
        std::memcpy(name, d.volumeName.c_str(), (d.volumeName.size() + 1) * sizeof(wchar_t));
        return TRUE;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}

HDEVNOTIFY CSimulatedUsbHost::RegisterDeviceNotificationW(HANDLE recipient, LPVOID filter, DWORD flags) {
    if (!recipient || !filter || (flags & DEVICE_NOTIFY_SERVICE_HANDLE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HDEVNOTIFY h = reinterpret_cast<HDEVNOTIFY>(nextHandle_);
    nextHandle_ += 4;
    registrations_[h] = static_cast<HWND>(recipient);
    return h;
}

BOOL CSimulatedUsbHost::UnregisterDeviceNotification(HDEVNOTIFY notification) {
    if (!registrations_.erase(notification)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL CSimulatedUsbHost::GetComputerNameW(LPWSTR buffer, LPDWORD size) {
    static const wchar_t kName[] = L"BRINDLEX-SIM";
    const DWORD chars = static_cast<DWORD>(wcslen(kName));
    if (!buffer || !size || *size <= chars) {
        if (size)
            *size = chars + 1;
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    wcscpy(buffer, kName);
    *size = chars;
    return TRUE;
}

// ---------------------------------------------------------------------------
// Hot-plug

void CSimulatedUsbHost::SetPresent(uint32_t devinst, bool present) {
    topology_.Devnode(devinst).present = present;
    for (uint32_t d = 1; d <= topology_.devnodes.size(); ++d)
        if (topology_.Devnode(d).parent == devinst)
            SetPresent(d, present);
}

void CSimulatedUsbHost::Notify(WPARAM event, const std::u16string& devicePath) {
    std::vector<uint8_t> bytes(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) +
                               (devicePath.size() + 1) * sizeof(wchar_t), 0);
    auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
    broadcast->dbcc_size = static_cast<DWORD>(bytes.size());
    broadcast->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    broadcast->dbcc_classguid = ParseGuid(kUsbDeviceInterface);
    std::memcpy(broadcast->dbcc_name, devicePath.c_str(), (devicePath.size() + 1) * sizeof(wchar_t));
    const std::map<HDEVNOTIFY, HWND> windows = registrations_;
    for (const auto& [registration, window] : windows) {
        SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(broadcast));
        SendMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    }
}

namespace {

std::u16string UsbDevicePath(const std::u16string& instanceId) {
    std::u16string path = u"\\\\?\\";
    for (char16_t c : instanceId)
        path.push_back(c == u'\\' ? u'#' : c);
    return path + u"#" + kUsbDeviceInterface;
}

} // namespace

void CSimulatedUsbHost::Unplug(uint32_t hub, uint32_t port) {
    SimPort& p = topology_.hubs.at(hub).ports.at(port - 1);
    if (p.status == 0 || !p.devnode)
        return;
    unplugged_[{hub, port}] = p;
    const uint32_t devinst = p.devnode;
    p.status = 0;
    p.devnode = 0;
    SetPresent(devinst, false);
    Notify(DBT_DEVICEREMOVECOMPLETE, UsbDevicePath(topology_.Devnode(devinst).instanceId));
}

void CSimulatedUsbHost::Replug(uint32_t hub, uint32_t port) {
    auto it = unplugged_.find({hub, port});
    if (it == unplugged_.end())
        return;
    topology_.hubs.at(hub).ports.at(port - 1) = it->second;
    const uint32_t devinst = it->second.devnode;
    unplugged_.erase(it);
    SetPresent(devinst, true);
    Notify(DBT_DEVICEARRIVAL, UsbDevicePath(topology_.Devnode(devinst).instanceId));
}

} // namespace brx
