// salvind.exe carries the program's icon as resource 102, which the window
// class loads and the Start-menu entry shows, in the small and large sizes.

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(ProgramIcon, TheClientCarriesItsIconAsResource102) {
  HMODULE exe = LoadLibraryExA(SALVIND_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(exe, nullptr) << SALVIND_EXE;
  EXPECT_NE(FindResourceA(exe, MAKEINTRESOURCEA(102), MAKEINTRESOURCEA(14)), nullptr) << "no icon group 102";
  for (int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(LoadImageA(exe, MAKEINTRESOURCEA(102), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info)) << size;
    BITMAP colour{};
    ASSERT_NE(GetObjectA(info.hbmColor, sizeof colour, &colour), 0) << size;
    EXPECT_EQ(colour.bmWidth, size);
    EXPECT_EQ(colour.bmHeight, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  FreeLibrary(exe);
}

}  // namespace
