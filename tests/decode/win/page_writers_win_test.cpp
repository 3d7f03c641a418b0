// The page writers' headers next to the Windows headers (which define
// macros such as "interface" and "small"), and the texts the Windows build
// formats itself (64-bit values, sizes above a byte, references) as the
// native build formats them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "decode/DecodeContext.h"
#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "decode/SetupRows.h"

namespace brx {
namespace {

TEST(PageWritersWin, SamePageAsTheNativeBuild) {
    PageBuffer page(0x4000);
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    ctx.request.interfaceInfo.known = true;
    const uint8_t setup[8] = {0xA1, 0xFE, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00};
    ctx.bytes = setup;
    const std::string_view heads[] = {DESCRIPTOR_STYLE_SHEET};
    ASSERT_TRUE(BeginPage(page, "Caf\xE9", heads));
    WriteSectionTitle(ctx, "Setup Packet");
    BeginFieldTable(ctx);
    WriteSetupRequestTypeRow(ctx);
    WriteSetupTypeRow(ctx);
    WriteCheckedSetupLengthRow(ctx, 1, nullptr);
    WriteQwordRow(ctx, 8, "qw", 4000000000u, 0x8000000000000001ull, "\xB5");
    ClosePage(page);
    const std::string s(page.view());
    EXPECT_NE(s.find("<title>Caf&#233;</title>"), std::string::npos);
    EXPECT_NE(s.find("<td class=\"udval\">8000000000000001h</td>"), std::string::npos);
    EXPECT_NE(s.find("<td class=\"uddes\">&micro;</td>"), std::string::npos);
    EXPECT_NE(s.find("<td class=\"udsiz\">4000000000</td>"), std::string::npos);
    EXPECT_NE(s.find("<nobr>6..5: Type</nobr>"), std::string::npos);
    EXPECT_TRUE(s.ends_with("</tr>\r\n</table>\r\n</body>\r\n</html>\r\n"));
    for (unsigned char c : s) ASSERT_LT(c, 0x80);
}

} // namespace
} // namespace brx
