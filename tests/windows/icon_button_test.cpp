#include "widgets/icon_button.h"

#include "resource.h"
#include "user_actions.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const COLORREF unpainted = RGB(0, 255, 0); // the canvas colour of RenderOwnerDrawn

bool IsIconAlive(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

// Picture buttons on a hidden host window, drawn on request into memory.
class IconButtonTest : public testing::Test {
  protected:
    void TearDown() override { ReleaseCapture(); }

    HWND MakeButton(CIconButton& button, int id, RECT rect) {
        HWND window =
            CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, rect.left,
                            rect.top, rect.right - rect.left, rect.bottom - rect.top, host.GetHandle(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        EXPECT_TRUE(button.Subclass(window));
        button.SetIcons(IDI_CHECK_HOT, IDI_CHECK, 32, 32);
        return window;
    }

    // What the button draws for an owner-draw request with `state`.
    std::vector<COLORREF> Render(HWND button, UINT state = 0) {
        RECT client;
        GetClientRect(button, &client);
        width = client.right;
        height = client.bottom;
        return RenderOwnerDrawn(button, state);
    }

    COLORREF At(const std::vector<COLORREF>& pixels, int x, int y) const { return pixels[y * width + x]; }

    // The smallest rectangle holding every pixel that is not the button face.
    RECT PictureBounds(const std::vector<COLORREF>& pixels) const {
        RECT bounds = {width, height, -1, -1};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(pixels, x, y) != face) {
                    bounds.left = std::min<LONG>(bounds.left, x);
                    bounds.top = std::min<LONG>(bounds.top, y);
                    bounds.right = std::max<LONG>(bounds.right, x + 1);
                    bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
                }
        return bounds;
    }

    // The pixels inside the one-pixel edge.
    std::vector<COLORREF> Inside(const std::vector<COLORREF>& pixels) const {
        std::vector<COLORREF> inside;
        for (int y = 1; y < height - 1; ++y)
            for (int x = 1; x < width - 1; ++x)
                inside.push_back(At(pixels, x, y));
        return inside;
    }

    CTestHost host;
    int width = 0;
    int height = 0;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
};

} // namespace

TEST_F(IconButtonTest, TakesOverAButtonAsOwnerDrawnKeepingItsOtherStyles) {
    CIconButton button;
    HWND window = MakeButton(button, 1, {10, 10, 50, 50});
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_TRUE(HasStyle(window, WS_TABSTOP | WS_VISIBLE | WS_CHILD));
}

TEST_F(IconButtonTest, RestingButtonIsFlatWithItsNormalIconCentred) {
    ASSERT_NE(face, highlight);
    ASSERT_NE(face, shadow);
    CIconButton small, large;
    HWND smallWindow = MakeButton(small, 1, {0, 0, 40, 40});
    HWND largeWindow = MakeButton(large, 2, {50, 0, 110, 50});

    std::vector<COLORREF> resting = Render(smallWindow);
    EXPECT_EQ(std::count(resting.begin(), resting.end(), unpainted), 0) << "the whole item is painted";
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(At(resting, i, 0), face);
        EXPECT_EQ(At(resting, 0, i), face);
        EXPECT_EQ(At(resting, i, 39), face);
        EXPECT_EQ(At(resting, 39, i), face);
    }
    RECT smallPicture = PictureBounds(resting);
    EXPECT_GE(smallPicture.left, 4);
    EXPECT_GE(smallPicture.top, 4);
    EXPECT_LE(smallPicture.right, 36);
    EXPECT_LE(smallPicture.bottom, 36);

    RECT largePicture = PictureBounds(Render(largeWindow));
    EXPECT_EQ(largePicture.left - smallPicture.left, (60 - 40) / 2);
    EXPECT_EQ(largePicture.top - smallPicture.top, (50 - 40) / 2);
}

TEST_F(IconButtonTest, HoverRaisesAnEdgeAndShowsTheHighlightIcon) {
    CIconButton button;
    HWND window = MakeButton(button, 1, {0, 0, 40, 40});
    std::vector<COLORREF> resting = Render(window);

    MoveOver(window, {5, 5});
    EXPECT_EQ(GetCapture(), window) << "the button watches the pointer leave";
    std::vector<COLORREF> hovered = Render(window);
    EXPECT_EQ(At(hovered, 0, 0), highlight);
    EXPECT_EQ(At(hovered, 20, 0), highlight);
    EXPECT_EQ(At(hovered, 0, 20), highlight);
    EXPECT_EQ(At(hovered, 20, 39), shadow);
    EXPECT_EQ(At(hovered, 39, 20), shadow);
    EXPECT_NE(Inside(hovered), Inside(resting)) << "icon 142 instead of 143";

    MoveOver(window, {45, 5});
    EXPECT_NE(GetCapture(), window);
    EXPECT_EQ(Render(window), resting);
}

TEST_F(IconButtonTest, PressingSinksTheEdgeAndShiftsTheIconByOnePixel) {
    CIconButton button;
    HWND window = MakeButton(button, 1, {0, 0, 40, 40});
    MoveOver(window, {5, 5});
    std::vector<COLORREF> hovered = Render(window);
    std::vector<COLORREF> pressed = Render(window, ODS_SELECTED);

    EXPECT_EQ(At(pressed, 0, 20), shadow);
    EXPECT_EQ(At(pressed, 20, 0), shadow);
    EXPECT_EQ(At(pressed, 20, 39), highlight);
    EXPECT_EQ(At(pressed, 39, 20), highlight);
    for (int y = 1; y < 38; ++y)
        for (int x = 1; x < 38; ++x)
            ASSERT_EQ(At(pressed, x + 1, y + 1), At(hovered, x, y)) << x << "," << y;
}

TEST_F(IconButtonTest, ADragThatEntersTheButtonDoesNotLightIt) {
    CIconButton button;
    HWND window = MakeButton(button, 1, {0, 0, 40, 40});
    std::vector<COLORREF> resting = Render(window);
    MoveOver(window, {5, 5}, MK_LBUTTON);
    EXPECT_NE(GetCapture(), window);
    EXPECT_EQ(Render(window), resting);
}

TEST_F(IconButtonTest, MovingStraightToTheNextButtonLightsItAndClearsTheFirst) {
    CIconButton first, second;
    HWND firstWindow = MakeButton(first, 1, {0, 0, 40, 40});
    HWND secondWindow = MakeButton(second, 2, {40, 0, 80, 40});
    std::vector<COLORREF> resting = Render(firstWindow);

    MoveOver(firstWindow, {5, 5});
    MoveOver(firstWindow, {45, 5}); // over the second button
    MoveOver(secondWindow, {5, 5});
    EXPECT_EQ(GetCapture(), secondWindow);
    EXPECT_EQ(Render(firstWindow), resting);
    EXPECT_EQ(At(Render(secondWindow), 0, 0), highlight);
}

TEST_F(IconButtonTest, LosingTheKeyboardFocusClearsTheHover) {
    CIconButton button;
    HWND window = MakeButton(button, 1, {0, 0, 40, 40});
    std::vector<COLORREF> resting = Render(window);
    MoveOver(window, {5, 5});
    SendMessageA(window, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(Render(window), resting);
}

TEST_F(IconButtonTest, LosingTheCaptureLeavesItWithItsNewHolder) {
    CIconButton first, second;
    HWND firstWindow = MakeButton(first, 1, {0, 0, 40, 40});
    HWND secondWindow = MakeButton(second, 2, {40, 0, 80, 40});
    std::vector<COLORREF> resting = Render(firstWindow);
    MoveOver(firstWindow, {5, 5});
    ASSERT_NE(Render(firstWindow), resting);
    SetCapture(secondWindow);
    EXPECT_EQ(GetCapture(), secondWindow);
    EXPECT_EQ(Render(firstWindow), resting) << "the hover ends with the capture";
}

TEST_F(IconButtonTest, DisabledButtonDrawsItsIconEmbossedGreyWithoutAnEdge) {
    CIconButton button;
    HWND window = MakeButton(button, 1, {0, 0, 40, 40});
    std::vector<COLORREF> resting = Render(window);
    std::vector<COLORREF> disabled = Render(window, ODS_DISABLED);

    EXPECT_NE(disabled, resting);
    EXPECT_EQ(At(disabled, 0, 0), face);
    EXPECT_EQ(At(disabled, 39, 39), face);
    for (COLORREF pixel : disabled)
        ASSERT_TRUE(pixel == face || pixel == highlight || pixel == shadow) << std::hex << pixel;
    EXPECT_NE(PictureBounds(disabled).right, -1) << "the icon is still there";
}

TEST_F(IconButtonTest, OneIconServesBothStates) {
    CIconButton button;
    HWND window = MakeButton(button, 1, {0, 0, 40, 40});
    button.SetIcons(IDI_CHECK_HOT, 0, 32, 32);
    EXPECT_EQ(button.GetNormalIcon(), button.GetHighlightIcon());
    std::vector<COLORREF> resting = Render(window);
    MoveOver(window, {5, 5});
    EXPECT_EQ(Inside(Render(window)), Inside(resting));
}

TEST_F(IconButtonTest, AMissingIconResourceDrawsAPlainFace) {
    CIconButton button;
    HWND window = MakeButton(button, 1, {0, 0, 40, 40});
    button.SetIcons(9999, 9998, 32, 32);
    std::vector<COLORREF> pixels = Render(window);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), face), static_cast<long>(pixels.size()));
}

TEST_F(IconButtonTest, ReplacedAndFinalIconsAreDestroyed) {
    HICON lastHighlight = nullptr;
    {
        CIconButton button;
        MakeButton(button, 1, {0, 0, 40, 40});
        for (int round = 0; round < 20; ++round) {
            HICON highlight = button.GetHighlightIcon();
            HICON normal = button.GetNormalIcon();
            ASSERT_TRUE(IsIconAlive(highlight));
            ASSERT_TRUE(IsIconAlive(normal));
            if (round % 2)
                button.SetIcons(IDI_CHECK_HOT, IDI_CHECK, 32, 32);
            else
                button.SetIcons(IDI_STOP_HOT, IDI_STOP, 32, 32);
            ASSERT_FALSE(IsIconAlive(highlight));
            ASSERT_FALSE(IsIconAlive(normal));
        }
        button.SetIcons(IDI_CHECK_HOT, 0, 32, 32);
        lastHighlight = button.GetHighlightIcon();
        ASSERT_TRUE(IsIconAlive(lastHighlight));
    }
    EXPECT_FALSE(IsIconAlive(lastHighlight));
}
