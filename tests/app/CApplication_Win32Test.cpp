// The program file carries the icon group that the application gives its main
// window (128), with the small and large pictures the title bar and the
// taskbar show.
#include <gtest/gtest.h>

#include <windows.h>

TEST(CApplicationTest, ProgramFileHoldsIconGroup128) {
    HMODULE program = LoadLibraryExA(KORVET_PROGRAM_FILE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr) << KORVET_PROGRAM_FILE;
    EXPECT_NE(FindResourceW(program, MAKEINTRESOURCEW(128), MAKEINTRESOURCEW(14)), nullptr) << "RT_GROUP_ICON 128";
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(LoadImageW(program, MAKEINTRESOURCEW(128), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    FreeLibrary(program);
}
