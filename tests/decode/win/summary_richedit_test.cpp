// Request summaries loaded into a real rich-edit control as the Request
// Summary pane loads them (EM_STREAMIN with SF_RTF): the control accepts the
// document and gives back the text our own RTF reader reads from it.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "capture/RequestKind.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/FakeFilterLog.h"
#include "tests/decode/SummaryText.h"

namespace brx {
namespace {

struct StreamSource {
    const std::string* text;
    size_t at;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* read) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const size_t left = source->text->size() - source->at;
    const size_t n = left < static_cast<size_t>(count) ? left : static_cast<size_t>(count);
    memcpy(buffer, source->text->data() + source->at, n);
    source->at += n;
    *read = static_cast<LONG>(n);
    return 0;
}

class RichEditTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { library = LoadLibraryW(L"riched20.dll"); }
    void SetUp() override {
        ASSERT_NE(library, nullptr);
        edit = CreateWindowExW(0, L"RichEdit20W", L"", WS_POPUP | ES_MULTILINE | ES_READONLY, 0, 0, 400, 300,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(edit, nullptr);
    }
    void TearDown() override {
        if (edit) DestroyWindow(edit);
    }

    // Streams the document in as the whole text and reads the text back, one
    // "\n" per paragraph end.
    std::u16string Load(const std::string& rtf) {
        StreamSource source{&rtf, 0};
        EDITSTREAM stream{};
        stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
        stream.pfnCallback = ReadRtf;
        const LRESULT chars = SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
        EXPECT_EQ(stream.dwError, 0u);
        EXPECT_GT(chars, 0);
        GETTEXTLENGTHEX length{GTL_DEFAULT, 1200};
        const LRESULT n = SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
        std::vector<wchar_t> text(static_cast<size_t>(n) + 1);
        GETTEXTEX get{};
        get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        get.flags = GT_DEFAULT;
        get.codepage = 1200;
        SendMessageW(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data()));
        std::u16string out;
        for (const wchar_t* p = text.data(); *p; ++p) {
            if (*p == L'\r') {
                out.push_back(u'\n');
                if (p[1] == L'\n') ++p;
            } else {
                out.push_back(static_cast<char16_t>(*p));
            }
        }
        return out;
    }
    // The control's text and ours; the control may leave out the empty
    // paragraph after the last "\par".
    void ExpectSameText(const std::string& rtf) {
        std::u16string ours = Utf8ToWide(testing::RtfToText(rtf));
        std::u16string control = Load(rtf);
        if (control.size() + 1 == ours.size() && ours.back() == u'\n') ours.pop_back();
        EXPECT_EQ(WideToUtf8(control), WideToUtf8(ours));
    }

    static HMODULE library;
    HWND edit = nullptr;
};
HMODULE RichEditTest::library = nullptr;

TEST_F(RichEditTest, AcceptsRecordSummaries) {
    testing::FakeFilterLog log;
    RecordBuilder builder;
    CDeviceNameHash devices;
    CDriverNameHash drivers;
    DeviceSpec d;
    d.interfaceClass = 0x09;
    devices.Add({d.deviceObject, d.deviceKey}, u"\\Device\\USBPDO-{7}\\x");
    drivers.Add({d.driverKey0, d.driverKey1}, u"\\Driver\\na\u00efve\u20ac\\usb{hub}");
    CSummaryNameTables names(&devices, &drivers, nullptr);

    const uint8_t getPort[8] = {0xA3, 0, 0, 0, 1, 0, 4, 0};
    log.Append(builder.UrbIssue(d, ControlTransfer(getPort), builder.NewIrp()));
    log.Append(builder.UrbCompletion(d, ControlTransfer(getPort, {0x03, 0x01, 0x01, 0}), builder.Last(), 0xC0000120));
    const uint8_t getString[8] = {0x80, 6, 2, 3, 9, 4, 12, 0};
    log.Append(builder.UrbIssue(d, ControlTransfer(getString), builder.NewIrp()));
    log.Append(builder.UrbCompletion(d, ControlTransfer(getString, {12, 3, 'H', 0, '{', 0, '\\', 0, 0xFD, 0xFF, 0xAC, 0x20}),
                                     builder.Last()));
    Bytes block(12, 0);
    PutU32(block, 0, 200);
    PutU32(block, 4, 100);
    PutU32(block, 8, 100);
    const Bytes name = testing::Utf16Bytes(u"hub\\{1}\u00b5");
    block.insert(block.end(), name.begin(), name.end());
    RequestSpec hubName;
    hubName.kind = KIND_KMIO_FIRST + 8;
    hubName.completion = true;
    hubName.majorFunction = 15;
    hubName.hasBlock = true;
    hubName.block = block;
    log.Append(builder.Request(hubName));
    const uint8_t setSel[8] = {0x00, 0x30, 0, 0, 0, 0, 6, 0};
    log.Append(builder.UrbIssue(d, ControlTransfer(setSel, {1, 2, 3, 0, 4, 0}), builder.NewIrp()));
    log.Append(builder.StartMarker());
    log.Append(builder.DropMarker());

    for (uint32_t i = 0; i < log.GetRecordCount(); ++i) {
        SCOPED_TRACE(i);
        const testing::SummaryDocument doc = testing::SummarizeLogRecord(log, i, &names);
        ASSERT_EQ(doc.result, S_OK32);
        ExpectSameText(doc.rtf);
    }
}

TEST_F(RichEditTest, ShowsTheExpectedLines) {
    testing::FakeFilterLog log;
    RecordBuilder builder;
    DeviceSpec d;
    const uint8_t getString[8] = {0x80, 6, 2, 3, 9, 4, 8, 0};
    log.Append(builder.UrbIssue(d, ControlTransfer(getString), builder.NewIrp()));
    log.Append(builder.UrbCompletion(d, ControlTransfer(getString, {8, 3, '{', 0, 0xFD, 0xFF, 0xB5, 0}), builder.Last()));
    const std::u16string text = Load(testing::SummarizeLogRecord(log, 1).rtf);
    EXPECT_NE(text.find(u" URB Control Transfer succeeded\nDevice Object\t89A01030h\n"), std::u16string::npos)
        << WideToUtf8(text);
    EXPECT_NE(text.find(u"Request\tGet Descriptor from Device\nDescriptor\tString 2\nString\t\"{\uFFFD\u00b5\""),
              std::u16string::npos)
        << WideToUtf8(text);
}

} // namespace
} // namespace brx
