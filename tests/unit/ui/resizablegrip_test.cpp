#include <gtest/gtest.h>

#include "base/handles.h"
#include "ui/layout/dpi.h"
#include "ui/layout/resizablegrip.h"

namespace {

// A visible top-level window with one child, both destroyed with the fixture.
class ResizableGripTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hParent = ::CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 300,
                                      nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_hParent, nullptr);
        m_hChild = ::CreateWindowExA(0, "STATIC", "child", WS_CHILD | WS_VISIBLE, 20, 30, 100, 40, m_hParent,
                                     nullptr, nullptr, nullptr);
        ASSERT_NE(m_hChild, nullptr);
    }

    void TearDown() override { ::DestroyWindow(m_hParent); }

    RECT ChildRect() const
    {
        RECT rc = {};
        ::GetWindowRect(m_hChild, &rc);
        ::MapWindowPoints(nullptr, m_hParent, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    void ResizeParent(int cx, int cy) const
    {
        ::SetWindowPos(m_hParent, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    HWND m_hParent = nullptr;
    HWND m_hChild = nullptr;
};

TEST_F(ResizableGripTest, TheGripIsTheLowerRightTriangleUnderTheDiagonal)
{
    CResizableGrip grip;
    ASSERT_TRUE(grip.CreateGrip(m_hParent));
    HWND hGrip = grip.GetGripWindow();
    ASSERT_NE(hGrip, nullptr);
    int cx = ::GetSystemMetrics(SM_CXVSCROLL);
    int cy = ::GetSystemMetrics(SM_CYHSCROLL);
    CRegionHandle rgn(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(hGrip, rgn.Get()), ERROR);
    // Row i keeps its rightmost i pixels.
    for (int i = 0; i < cy; ++i) {
        EXPECT_FALSE(::PtInRegion(rgn.Get(), cx - i - 1, i)) << "row " << i;
        if (i > 0) {
            EXPECT_TRUE(::PtInRegion(rgn.Get(), cx - i, i)) << "row " << i;
            EXPECT_TRUE(::PtInRegion(rgn.Get(), cx - 1, i)) << "row " << i;
        }
    }
    EXPECT_FALSE(::PtInRegion(rgn.Get(), cx - 1, cy));
    EXPECT_TRUE(::GetWindowLongPtrA(m_hParent, GWL_STYLE) & WS_CLIPCHILDREN);
}

TEST_F(ResizableGripTest, TheGripReportsTheSizingCornerOfItsLayout)
{
    CResizableGrip grip;
    ASSERT_TRUE(grip.CreateGrip(m_hParent));
    HWND hGrip = grip.GetGripWindow();
    EXPECT_EQ(::SendMessageA(hGrip, WM_NCHITTEST, 0, 0), HTBOTTOMRIGHT);
    ::SetWindowLongPtrA(hGrip, GWL_EXSTYLE, ::GetWindowLongPtrA(hGrip, GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
    EXPECT_EQ(::SendMessageA(hGrip, WM_NCHITTEST, 0, 0), HTBOTTOMLEFT);
    EXPECT_NE(::GetPropA(hGrip, "ResizableGrip"), nullptr);
}

TEST_F(ResizableGripTest, WithoutAGripNothingIsRepositioned)
{
    CResizableGrip grip;
    EXPECT_FALSE(grip.CreateGrip(nullptr));
    EXPECT_EQ(grip.GetGripWindow(), nullptr);
    grip.UpdateGripPosition();
    grip.ShowGrip(true);
}

TEST_F(ResizableGripTest, MovingAndStretchingWaitsWhileTheParentCannotShowIt)
{
    CResizableGrip grip;
    ResizableControl* pControl = grip.AddControl();
    ASSERT_NE(pControl, nullptr);
    pControl->Attach(m_hChild);
    pControl->SetAnchorRight();
    pControl->SetStretchHeight();

    ResizeParent(450, 320);
    grip.RepositionAll();
    RECT rc = ChildRect();
    EXPECT_EQ(rc.left, 70);
    EXPECT_EQ(rc.top, 30);
    EXPECT_EQ(rc.right - rc.left, 100);
    EXPECT_EQ(rc.bottom - rc.top, 60);

    ::EnableWindow(m_hParent, FALSE);
    ResizeParent(500, 300);
    grip.RepositionAll();
    RECT rcDisabled = ChildRect();
    EXPECT_TRUE(::EqualRect(&rc, &rcDisabled)) << "left alone while the parent is disabled";

    ::EnableWindow(m_hParent, TRUE);
    grip.RepositionAll();
    rc = ChildRect();
    EXPECT_EQ(rc.left, 120) << "catches up with the whole change";
    EXPECT_EQ(rc.bottom - rc.top, 40);
}

TEST_F(ResizableGripTest, AChangeOfScaleScalesEverythingAndTakesTheSuggestedRectangle)
{
    CResizableGrip grip;
    ASSERT_TRUE(grip.CreateGrip(m_hParent));
    ResizableControl* pControl = grip.AddControl();
    pControl->Attach(m_hChild);
    pControl->SetAnchorRight();
    UINT dpi = grip.Dpi() * 3 / 2;
    // Half as large again, and 10 pixels wider than that.
    RECT rcSuggested = {30, 40, 30 + 610, 40 + 450};
    grip.ChangeDpi(dpi, rcSuggested);

    RECT rc = {};
    ::GetWindowRect(m_hParent, &rc);
    EXPECT_TRUE(::EqualRect(&rc, &rcSuggested));
    rc = ChildRect();
    EXPECT_EQ(rc.left, 30 + 10) << "scaled, then moved with the right edge";
    EXPECT_EQ(rc.top, 45);
    EXPECT_EQ(rc.right - rc.left, 150);
    EXPECT_EQ(rc.bottom - rc.top, 60);
    HWND hGrip = grip.GetGripWindow();
    RECT rcClient = {};
    ::GetClientRect(m_hParent, &rcClient);
    ::GetWindowRect(hGrip, &rc);
    ::MapWindowPoints(nullptr, m_hParent, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.right - rc.left, SystemMetricForDpi(SM_CXVSCROLL, dpi));
    EXPECT_EQ(rc.bottom - rc.top, SystemMetricForDpi(SM_CYHSCROLL, dpi));
    EXPECT_EQ(rc.right, rcClient.right);
    EXPECT_EQ(rc.bottom, rcClient.bottom);

    ResizeParent(710, 450);
    grip.RepositionAll();
    EXPECT_EQ(ChildRect().left, 140) << "the anchors hold at the new scale";
}

TEST_F(ResizableGripTest, AControlWithoutWindowOrAnchorsStaysPut)
{
    CResizableGrip grip;
    grip.AddControl()->Attach(nullptr);
    ResizableControl* pPlain = grip.AddControl();
    pPlain->Attach(m_hChild);
    ResizeParent(600, 500);
    grip.RepositionAll();
    RECT rc = ChildRect();
    EXPECT_EQ(rc.left, 20);
    EXPECT_EQ(rc.top, 30);
    EXPECT_EQ(rc.right - rc.left, 100);
    EXPECT_EQ(rc.bottom - rc.top, 40);
}

}  // namespace
