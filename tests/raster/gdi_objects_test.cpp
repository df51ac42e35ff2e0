// DCs, selection and deletion, and the records GetObjectA gives, as the
// system relies on them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/win32.h"
#include "tests/support/live_objects.h"
#include "tests/support/platform_quirks.h"
#include "tests/support/section_header.h"

namespace varne::test {
namespace {

HBITMAP MakeDib(int width, int height, int bits, void** memory = nullptr) {
  const SectionHeaderWithColours info = SectionHeaderWithTable(width, height, static_cast<WORD>(bits));
  void* unused = nullptr;
  return CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, memory ? memory : &unused, nullptr, 0);
}

class MemoryDc : public LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(dc_, nullptr);
  }
  void TearDown() override {
    DeleteDC(dc_);
    LeakCheckedTest::TearDown();
  }
  HDC dc_ = nullptr;
};

TEST_F(MemoryDc, StartsWithAOneByOneMonochromeBitmapWhiteBackgroundBlackText) {
  BITMAP record{};
  ASSERT_EQ(GetObjectA(GetCurrentObject(dc_, OBJ_BITMAP), sizeof(record), &record),
            static_cast<int>(sizeof(record)));
  EXPECT_EQ(record.bmWidth, 1);
  EXPECT_EQ(record.bmHeight, 1);
  EXPECT_EQ(record.bmBitsPixel, 1);
  EXPECT_EQ(record.bmPlanes, 1);
  EXPECT_EQ(GetBkColor(dc_), 0x00FFFFFFu);
  EXPECT_EQ(GetTextColor(dc_), 0x00000000u);
  EXPECT_EQ(GetObjectType(dc_), static_cast<DWORD>(OBJ_MEMDC));
}

TEST_F(MemoryDc, SelectObjectReturnsWhatItReplaces) {
  HBITMAP first = MakeDib(4, 4, 32);
  HBITMAP second = CreateBitmap(4, 4, 1, 1, nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  const HGDIOBJ stock = SelectObject(dc_, first);
  EXPECT_NE(stock, nullptr);
  EXPECT_EQ(SelectObject(dc_, second), first);
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_BITMAP), second);
  EXPECT_EQ(SelectObject(dc_, stock), second);

  const HGDIOBJ stockBrush = SelectObject(dc_, brush);
  EXPECT_NE(stockBrush, nullptr);
  EXPECT_EQ(SelectObject(dc_, stockBrush), brush);
  EXPECT_TRUE(DeleteObject(first));
  EXPECT_TRUE(DeleteObject(second));
  EXPECT_TRUE(DeleteObject(brush));
}

TEST_F(MemoryDc, SetColoursReturnThePreviousOnes) {
  EXPECT_EQ(SetBkColor(dc_, RGB(10, 20, 30)), 0x00FFFFFFu);
  EXPECT_EQ(SetBkColor(dc_, RGB(1, 1, 1)), RGB(10, 20, 30));
  EXPECT_EQ(SetTextColor(dc_, RGB(40, 50, 60)), 0u);
  EXPECT_EQ(GetTextColor(dc_), RGB(40, 50, 60));
}

TEST_F(MemoryDc, ABitmapLivesInOneDcAtATime) {
  HDC other = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = MakeDib(2, 2, 32);
  const HGDIOBJ old = SelectObject(dc_, bitmap);
  EXPECT_EQ(SelectObject(other, bitmap), nullptr);
  SelectObject(dc_, old);
  DeleteObject(bitmap);
  DeleteDC(other);
}

TEST_F(MemoryDc, DeleteObjectRefusesASelectedBitmapAndKeepsIt) {
  HBITMAP bitmap = MakeDib(3, 3, 32);
  const HGDIOBJ old = SelectObject(dc_, bitmap);
  const BOOL deleted = DeleteObject(bitmap);
  if (deleted && RunningOnWine()) {
    SelectObject(dc_, old);  // Wine defers the deletion until the bitmap is deselected
    GTEST_SKIP() << "Wine accepts deleting a selected bitmap and frees it on deselection";
  }
  EXPECT_FALSE(deleted);
  BITMAP record{};
  EXPECT_EQ(GetObjectA(bitmap, sizeof(record), &record), static_cast<int>(sizeof(record)));
  EXPECT_EQ(GetPixel(dc_, 2, 2), 0u);  // still drawable
  EXPECT_EQ(SelectObject(dc_, old), bitmap);
  EXPECT_TRUE(DeleteObject(bitmap));
}

TEST_F(MemoryDc, DeletingTheStockBitmapLeavesItInPlace) {
  const HGDIOBJ stock = GetCurrentObject(dc_, OBJ_BITMAP);
  EXPECT_EQ(CreateBitmap(0, 0, 1, 1, nullptr), stock);  // an empty bitmap is the stock one
  EXPECT_TRUE(DeleteObject(stock));
  BITMAP record{};
  EXPECT_EQ(GetObjectA(stock, sizeof(record), &record), static_cast<int>(sizeof(record)));
  EXPECT_EQ(GetPixel(dc_, 0, 0), 0u);
}

TEST(GdiObjects, DeletedHandlesAreRefused) {
  HBITMAP bitmap = MakeDib(2, 2, 32);
  HBRUSH brush = CreateSolidBrush(0);
  ASSERT_TRUE(DeleteObject(bitmap));
  ASSERT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(brush));
  BITMAP record{};
  EXPECT_EQ(GetObjectA(bitmap, sizeof(record), &record), 0);
  EXPECT_FALSE(DeleteObject(nullptr));
}

TEST(GdiObjects, DeletedDcIsRefused) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_TRUE(DeleteDC(dc));
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
  EXPECT_FALSE(PatBlt(dc, 0, 0, 1, 1, WHITENESS));
  EXPECT_EQ(SetBkColor(dc, 0), CLR_INVALID);
}

class ObjectRecords : public LeakCheckedTest {};

TEST_F(ObjectRecords, DibSectionGivesTheWholeRecordOnlyWhenItFits) {
  void* memory = nullptr;
  HBITMAP bitmap = MakeDib(5, 3, 32, &memory);
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(bitmap, sizeof(section), &section), static_cast<int>(sizeof(section)));
  EXPECT_EQ(section.dsBm.bmWidth, 5);
  EXPECT_EQ(section.dsBm.bmHeight, 3);
  EXPECT_EQ(section.dsBm.bmWidthBytes, 20);
  EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
  EXPECT_EQ(section.dsBm.bmBits, memory);
  EXPECT_EQ(section.dsBmih.biWidth, 5);
  EXPECT_EQ(section.dsBmih.biHeight, 3);
  EXPECT_EQ(section.dsBmih.biCompression, static_cast<DWORD>(BI_RGB));

  // 84 bytes is the record on a 32-bit platform; a 64-bit one then gives
  // only the BITMAP part.
  std::vector<unsigned char> small(sizeof(DIBSECTION), 0xAB);
  const int written = GetObjectA(bitmap, 84, small.data());
  if (sizeof(void*) == 8) {
    EXPECT_EQ(written, static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(small[sizeof(BITMAP)], 0xAB) << "wrote past the BITMAP part";
  }
  BITMAP record{};
  EXPECT_EQ(GetObjectA(bitmap, sizeof(record), &record), static_cast<int>(sizeof(record)));
  EXPECT_EQ(record.bmBits, memory);
  DeleteObject(bitmap);
}

TEST_F(ObjectRecords, RowLengthIsPaddedTo32BitsForSectionsAnd16ForMasks) {
  HBITMAP section = MakeDib(33, 2, 1);
  HBITMAP section24 = MakeDib(3, 2, 24);
  HBITMAP mask = CreateBitmap(33, 2, 1, 1, nullptr);
  BITMAP record{};
  ASSERT_NE(GetObjectA(section, sizeof(record), &record), 0);
  EXPECT_EQ(record.bmWidthBytes, 8);
  ASSERT_NE(GetObjectA(section24, sizeof(record), &record), 0);
  EXPECT_EQ(record.bmWidthBytes, 12);
  DIBSECTION whole{};
  EXPECT_EQ(GetObjectA(mask, sizeof(whole), &whole), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(whole.dsBm.bmWidth, 33);
  EXPECT_EQ(whole.dsBm.bmWidthBytes, 6);
  EXPECT_EQ(whole.dsBm.bmBitsPixel, 1);
  EXPECT_EQ(whole.dsBm.bmBits, nullptr);
  EXPECT_EQ(GetObjectType(mask), static_cast<DWORD>(OBJ_BITMAP));
  DeleteObject(section);
  DeleteObject(section24);
  DeleteObject(mask);
}

class DibSections : public LeakCheckedTest, public testing::WithParamInterface<int> {};

TEST_P(DibSections, StartZeroedAndBottomUpUnlessHeightIsNegative) {
  const int bits = GetParam();
  void* memory = nullptr;
  HBITMAP bitmap = MakeDib(7, 5, bits, &memory);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_NE(memory, nullptr);
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(bitmap, sizeof(section), &section), static_cast<int>(sizeof(section)));
  const std::size_t bytes = static_cast<std::size_t>(section.dsBm.bmWidthBytes) * 5;
  EXPECT_EQ(section.dsBm.bmWidthBytes % 4, 0);
  const auto* first = static_cast<const unsigned char*>(memory);
  EXPECT_EQ(std::vector<unsigned char>(first, first + bytes), std::vector<unsigned char>(bytes, 0));
  EXPECT_EQ(section.dsBm.bmBitsPixel, bits);
  DeleteObject(bitmap);
}

INSTANTIATE_TEST_SUITE_P(Depths, DibSections, testing::Values(1, 4, 8, 16, 24, 32));

TEST_F(ObjectRecords, RowOrderFollowsTheSignOfTheHeight) {
  for (const int height : {3, -3}) {
    const BITMAPINFO info = SectionHeader(2, height);
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    static_cast<DWORD*>(memory)[0] = 0x00123456;  // first word in memory
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const int displayRow = height > 0 ? 2 : 0;
    EXPECT_EQ(GetPixel(dc, 0, displayRow), RGB(0x12, 0x34, 0x56)) << "height " << height;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
}

TEST_F(ObjectRecords, BitfieldSectionsReadTheirMasks) {
  const SectionHeaderWithColours info = SectionHeaderWithMasks(1, 1, 16, {0xF800, 0x07E0, 0x001F});
  void* memory = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, &memory, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(bitmap, sizeof(section), &section), static_cast<int>(sizeof(section)));
  EXPECT_EQ(section.dsBitfields[0], 0xF800u);
  EXPECT_EQ(section.dsBitfields[1], 0x07E0u);
  EXPECT_EQ(section.dsBitfields[2], 0x001Fu);
  EXPECT_EQ(section.dsBmih.biCompression, static_cast<DWORD>(BI_BITFIELDS));
  static_cast<WORD*>(memory)[0] = 0xF800;  // full red
  HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
}

TEST_F(ObjectRecords, SectionHeaderIsReportedNormalised) {
  SectionHeaderWithColours info = SectionHeaderWithTable(3, -2, 8);  // top-down
  void* memory = nullptr;
  HBITMAP indexed = CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, &memory, nullptr, 0);
  info.header.biBitCount = 16;
  HBITMAP packed = CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, &memory, nullptr, 0);
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(indexed, sizeof(section), &section), static_cast<int>(sizeof(section)));
  EXPECT_EQ(section.dsBm.bmHeight, 2);
  EXPECT_EQ(section.dsBmih.biHeight, 2);
  EXPECT_EQ(section.dsBmih.biSizeImage, 8u);
  EXPECT_EQ(section.dsBmih.biClrUsed, 256u);
  ASSERT_EQ(GetObjectA(packed, sizeof(section), &section), static_cast<int>(sizeof(section)));
  // A 16-bpp section is described by its 5-5-5 masks.
  EXPECT_EQ(section.dsBmih.biCompression, static_cast<DWORD>(BI_BITFIELDS));
  EXPECT_EQ(section.dsBitfields[0], 0x7C00u);
  EXPECT_EQ(section.dsBitfields[1], 0x03E0u);
  EXPECT_EQ(section.dsBitfields[2], 0x001Fu);
  DeleteObject(indexed);
  DeleteObject(packed);
}

TEST_F(ObjectRecords, UnsupportedHeadersGiveNone) {
  BITMAPINFO info = SectionHeader(4, 4, 7);
  void* memory = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0), nullptr);
  EXPECT_EQ(memory, nullptr);
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_BITFIELDS;
  EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0), nullptr);
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &memory, nullptr, 0), nullptr);
}

TEST_F(ObjectRecords, CreateBitmapTakesInitialBitsInSixteenBitRows) {
  // 18 pixels a row, so each row is four bytes: the row padding matters.
  const unsigned char bits[] = {0x80, 0x00, 0x40, 0x00,   // row 0: x = 0 and x = 17
                                0x00, 0x01, 0x00, 0x00};  // row 1: x = 15
  HBITMAP mask = CreateBitmap(18, 2, 1, 1, bits);
  HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, mask);
  std::vector<int> white;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 18; ++x) {
      if (GetPixel(dc, x, y) == 0x00FFFFFF) white.push_back(y * 100 + x);
    }
  }
  EXPECT_EQ(white, (std::vector<int>{0, 17, 115}));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(mask);
}

}  // namespace
}  // namespace varne::test
