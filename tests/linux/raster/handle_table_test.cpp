// Handles: released, forged and wrong-kind handles are refused by every
// call, never dereferenced; live objects are counted by kind.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/raster/gdi.h"
#include "platform/raster/live_objects.h"
#include "tests/support/live_objects.h"
#include "tests/support/section_header.h"

namespace varne::raster {
namespace {

HBITMAP MakeDib(int width, int height) {
  void* memory = nullptr;
  return varne::test::CreateSection32(width, height, &memory);
}

// Every call that takes a handle, with `handle` in each handle position.
void ExpectRefusedEverywhere(void* handle) {
  HDC dc = static_cast<HDC>(handle);
  HDC good = CreateCompatibleDC(nullptr);
  BITMAP record{};
  EXPECT_FALSE(DeleteObject(handle));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
  EXPECT_EQ(GetObjectType(handle), 0u);
  EXPECT_EQ(GetObjectA(handle, sizeof(record), &record), 0);
  HBRUSH brush = CreateSolidBrush(0);
  EXPECT_EQ(SelectObject(dc, brush), nullptr);
  DeleteObject(brush);
  EXPECT_EQ(SelectObject(good, handle), nullptr);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), nullptr);
  EXPECT_EQ(SetBkColor(dc, 0), CLR_INVALID);
  EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
  EXPECT_FALSE(PatBlt(dc, 0, 0, 1, 1, WHITENESS));
  EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, good, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(good, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
  EXPECT_EQ(CreateCompatibleDC(dc), nullptr);
  EXPECT_FALSE(DrawStateA(dc, nullptr, nullptr, 0, 0, 0, 0, 1, 1, DST_BITMAP | DSS_DISABLED));
  EXPECT_FALSE(DrawStateA(good, nullptr, nullptr, reinterpret_cast<LPARAM>(handle), 0, 0, 0, 1, 1,
                          DST_BITMAP | DSS_DISABLED));
  DeleteDC(good);
}

class HandleTable : public test::LeakCheckedTest {};

TEST_F(HandleTable, ReleasedHandlesOfEveryKindAreRefused) {
  HBITMAP bitmap = MakeDib(2, 2);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  HDC dc = CreateCompatibleDC(nullptr);
  HDC screen = GetDC(nullptr);
  ASSERT_TRUE(DeleteObject(bitmap));
  ASSERT_TRUE(DeleteObject(brush));
  ASSERT_TRUE(DeleteDC(dc));
  ASSERT_EQ(ReleaseDC(nullptr, screen), 1);
  for (void* handle : {static_cast<void*>(bitmap), static_cast<void*>(brush),
                       static_cast<void*>(dc), static_cast<void*>(screen)}) {
    ExpectRefusedEverywhere(handle);
  }
}

TEST_F(HandleTable, AReusedSlotDoesNotReviveTheOldHandle) {
  HBITMAP old = MakeDib(2, 2);
  ASSERT_TRUE(DeleteObject(old));
  HBITMAP fresh = MakeDib(3, 3);  // most likely in the slot just freed
  BITMAP record{};
  EXPECT_EQ(GetObjectA(old, sizeof(record), &record), 0);
  EXPECT_FALSE(DeleteObject(old));
  ASSERT_EQ(GetObjectA(fresh, sizeof(record), &record), static_cast<int>(sizeof(record)));
  EXPECT_EQ(record.bmWidth, 3);
  EXPECT_TRUE(DeleteObject(fresh));
}

TEST_F(HandleTable, ForgedHandlesAreRefused) {
  int local = 0;
  for (std::uintptr_t value : {std::uintptr_t{1}, std::uintptr_t{0x12345678},
                               std::uintptr_t{0xFFFFFFFF}, ~std::uintptr_t{0},
                               reinterpret_cast<std::uintptr_t>(&local)}) {
    ExpectRefusedEverywhere(reinterpret_cast<void*>(value));
  }
}

TEST_F(HandleTable, HandlesOfTheWrongKindAreRefused) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = MakeDib(2, 2);
  HBRUSH brush = CreateSolidBrush(0);
  EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(bitmap)));
  EXPECT_FALSE(DeleteObject(dc));  // a DC goes with DeleteDC
  EXPECT_EQ(SelectObject(dc, dc), nullptr);
  EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(brush), bitmap), nullptr);
  EXPECT_FALSE(PatBlt(reinterpret_cast<HDC>(bitmap), 0, 0, 1, 1, WHITENESS));
  EXPECT_FALSE(DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(brush), 0, 0, 0, 1, 1,
                          DST_BITMAP | DSS_DISABLED));
  EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(HandleTable, ASelectedBrushIsNotDeletedUntilDeselected) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
  const HGDIOBJ old = SelectObject(dc, brush);
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(HandleTable, DeletingADcReleasesItsSelections) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = MakeDib(2, 2);
  HBRUSH brush = CreateSolidBrush(0);
  SelectObject(dc, bitmap);
  SelectObject(dc, brush);
  ASSERT_TRUE(DeleteDC(dc));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteObject(brush));
}

TEST(LiveObjects, CountedByKindStockObjectsExcluded) {
  const LiveObjects before = CountLiveObjects();
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HDC second = CreateCompatibleDC(screen);  // both hold the shared stock bitmap
  HBITMAP dib = MakeDib(2, 2);
  HBITMAP mask = CreateBitmap(2, 2, 1, 1, nullptr);
  HBRUSH brush = CreateSolidBrush(0);
  const LiveObjects during = CountLiveObjects();
  EXPECT_EQ(during.deviceContexts - before.deviceContexts, 3);
  EXPECT_EQ(during.bitmaps - before.bitmaps, 2);
  EXPECT_EQ(during.brushes - before.brushes, 1);
  EXPECT_EQ(CreateBitmap(0, 0, 1, 1, nullptr), GetCurrentObject(dc, OBJ_BITMAP));
  EXPECT_EQ(CountLiveObjects(), during) << "the stock bitmap is not a new object";
  DeleteObject(brush);
  DeleteObject(mask);
  DeleteObject(dib);
  DeleteDC(second);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(CountLiveObjects(), before);
}

}  // namespace
}  // namespace varne::raster
