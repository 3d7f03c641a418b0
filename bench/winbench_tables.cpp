// Opening a capture file whose name and HID tables were crafted to be as
// large as a table stream may be: every device name in one bucket and one
// HID descriptor item with a great many keys. Prints the time to check and
// open such files of two sizes (twice the items should take about twice the
// time); the larger one, 200,000 names and 300,000 HID keys, should open in
// under a second. Run under Wine by scripts/bench.sh.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "capture/CaptureFileFormat.h"
#include "capture/win/CaptureStore.h"
#include "capture/win/FileLockBytes.h"
#include "bench/WinBench.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/HostileTables.h"
#include "tests/capture/MixedStream.h"

using namespace brx;
using brx::bench::NoWindow;
using brx::bench::Now;
using brx::bench::Seconds;

namespace {

// Replaces one stream of storage "0000" with the bytes.
bool ReplaceStream(IStorage* storage, const FILE_GUID& guid, const std::vector<uint8_t>& bytes) {
    const std::u16string name = StreamNameFromGuid(guid);
    IStream* stream = nullptr;
    if (FAILED(storage->CreateStream(reinterpret_cast<const wchar_t*>(name.c_str()),
                                     STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream)))
        return false;
    ULARGE_INTEGER size;
    size.QuadPart = bytes.size();
    ULONG written = 0;
    const bool ok = SUCCEEDED(stream->SetSize(size)) &&
                    SUCCEEDED(stream->Write(bytes.data(), ULONG(bytes.size()), &written)) && written == bytes.size();
    stream->Release();
    return ok;
}

// A saved sample log whose device-name and HID streams are then replaced.
bool Craft(const std::wstring& folder, const std::wstring& path, uint32_t names, uint32_t keys) {
    NoWindow target;
    {
        CCaptureStore live(&target);
        if (live.CreateTempFile(folder.c_str(), 8u << 20) != S_OK) return false;
        live.SetDriverInfo(MakeDriverInfo(kDriverRecordLayout));
        RecordBuilder b(kDriverRecordLayout);
        const RecordStream s = fixtures::MixedStream(200, b);
        uint8_t* window = nullptr;
        uint32_t length = 0;
        if (live.AcquireWriteWindow(&window, &length) != S_OK || length < s.bytes().size()) return false;
        std::memcpy(window, s.bytes().data(), s.bytes().size());
        if (live.CommitCapturedData(window, uint32_t(s.bytes().size())) != S_OK) return false;
        if (live.SaveCaptureFile(path.c_str(), &target) != S_OK) return false;
    }
    IStorage* root = nullptr;
    if (FAILED(OpenDocfileOnFile(path.c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE, &root))) return false;
    IStorage* storage = nullptr;
    bool ok = SUCCEEDED(root->OpenStorage(L"0000", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                          &storage));
    ok = ok && ReplaceStream(storage, GUID_DEVICE_NAME_STREAM,
                             test::OneBucketNameBlock(names, NAME_BLOCK_DEVICES, NAME_ITEM_DEVICE));
    // The HID item carries as many object keys as pipe keys.
    ok = ok && ReplaceStream(storage, GUID_HID_STREAM, test::ManyKeysHidBlock(keys / 2));
    ok = ok && SUCCEEDED(storage->Commit(STGC_DEFAULT));
    if (storage) storage->Release();
    ok = ok && SUCCEEDED(root->Commit(STGC_DEFAULT));
    root->Release();
    return ok;
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"brx_tables_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\crafted.bdx";
    NoWindow target;
    int result = 0;
    double times[2] = {0, 0};
    const uint32_t sizes[2][2] = {{100000, 150000}, {200000, 300000}};
    for (int k = 0; k < 2; ++k) {
        if (!Craft(folder, path, sizes[k][0], sizes[k][1])) {
            std::printf("could not write the crafted file\n");
            result = 1;
            break;
        }
        CCaptureStore opened(&target);
        const LARGE_INTEGER t0 = Now();
        const HRESULT check = CCaptureStore::CheckCaptureFileFormat(path.c_str());
        const LARGE_INTEGER t1 = Now();
        const HRESULT open = opened.OpenCaptureFile(path.c_str(), &target);
        const LARGE_INTEGER t2 = Now();
        times[k] = Seconds(t0, t2);
        std::printf("%u names, %u HID keys: check %08X, open %08X, %u records: %.3f s (check %.3f s, open %.3f s)\n",
                    sizes[k][0], sizes[k][1], unsigned(check), unsigned(open), opened.GetRecordCount(), times[k],
                    Seconds(t0, t1), Seconds(t1, t2));
        if (check != S_OK || open != S_OK) result = 1;
        opened.Close();
    }
    if (times[0] > 0) std::printf("twice the items: %.2f times the time\n", times[1] / times[0]);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
    CoUninitialize();
    return result;
}
