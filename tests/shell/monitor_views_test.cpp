// The views laid over real desktops' monitor layouts, and the perspective the mesh is built for.
#include <gtest/gtest.h>

#include <cmath>

#include "shell/monitor_views.h"

namespace {

// 1280 x 1024 primary with a 1024 x 768 monitor to its right, top edges aligned: the virtual screen
// is 2304 x 1024 and its lower right 256 rows lie on no monitor.
MonitorList TwoMonitors() {
  MonitorList list{};
  list.count = 2;
  list.monitors[0] = MonitorRect{0, 0, 1280, 1024, 1.0f, true};
  list.monitors[1] = MonitorRect{1280, 0, 1024, 768, 2.0f, false};
  return list;
}

void ExpectView(const MonitorView& v, int32_t x, int32_t y, int32_t width, int32_t height, float scale) {
  EXPECT_EQ(v.x, x);
  EXPECT_EQ(v.y, y);
  EXPECT_EQ(v.width, width);
  EXPECT_EQ(v.height, height);
  EXPECT_EQ(v.scale, scale);
}

double HalfTan(float degrees) { return std::tan(degrees * 0.5 * 3.14159265358979 / 180.0); }

}  // namespace

TEST(MonitorViews, EachSpanAndPrimaryOverTwoMonitorsOfDifferentSizes) {
  const WindowRect screen{0, 0, 2304, 1024};
  const ViewLayout each = LayoutViews(MonitorMode::Each, TwoMonitors(), screen, true);
  ASSERT_EQ(each.count, 2);
  ExpectView(each.views[0], 0, 0, 1280, 1024, 1.0f);
  ExpectView(each.views[1], 1280, 256, 1024, 768, 2.0f);  // GL rows count from the window's bottom
  EXPECT_EQ(each.primary, 0);
  // The pointer picks the monitor; off every monitor (the dead corner) the primary.
  EXPECT_EQ(ViewAt(each, 2000, 100), 1);
  EXPECT_EQ(ViewAt(each, 2000, 900), 0);

  const ViewLayout span = LayoutViews(MonitorMode::Span, TwoMonitors(), screen, true);
  ASSERT_EQ(span.count, 1);
  ExpectView(span.views[0], 0, 0, 2304, 1024, 1.0f);

  // The primary on the right of a monitor at negative coordinates: views are window-relative.
  MonitorList left = TwoMonitors();
  left.monitors[0].primary = false;
  left.monitors[1] = MonitorRect{-1024, 256, 1024, 768, 1.0f, true};
  const ViewLayout primary = LayoutViews(MonitorMode::Primary, left, WindowRect{-1024, 0, 2304, 1024}, true);
  ASSERT_EQ(primary.count, 1);
  ExpectView(primary.views[0], 0, 0, 1024, 768, 1.0f);
}

TEST(MonitorViews, MirrorsOutsidersAndOrdinaryWindows) {
  MonitorList list = TwoMonitors();
  list.count = 4;
  list.monitors[2] = MonitorRect{0, 0, 1280, 1024, 1.0f, false};     // a mirror of the primary
  list.monitors[3] = MonitorRect{5000, 0, 800, 600, 1.0f, false};     // outside the window
  const ViewLayout each = LayoutViews(MonitorMode::Each, list, WindowRect{0, 0, 2304, 1024}, true);
  EXPECT_EQ(each.count, 2);

  // An ordinary window across the bezel shows one view, at the scale under its centre.
  const ViewLayout window = LayoutViews(MonitorMode::Each, TwoMonitors(), WindowRect{1000, 100, 800, 600}, false);
  ASSERT_EQ(window.count, 1);
  ExpectView(window.views[0], 0, 0, 800, 600, 2.0f);

  // No monitors at all (the system listed none): the whole window at scale 1.
  const ViewLayout none = LayoutViews(MonitorMode::Each, MonitorList{}, WindowRect{0, 0, 640, 480}, true);
  ASSERT_EQ(none.count, 1);
  ExpectView(none.views[0], 0, 0, 640, 480, 1.0f);
}

TEST(MonitorViews, TheMeshIsBuiltForAPerspectiveHoldingEveryView) {
  FrameViews views{};
  views.count = 2;
  views.views[0] = FrameView{0, 0, 1280, 1024, 24.0f, 1.25f, 1.0f};
  views.views[1] = FrameView{1280, 256, 1024, 768, 24.0f, 1024.0f / 768.0f, 1.0f};
  // The wider landscape view holds the other: it is taken as it is.
  const FrameView wider = EnclosingView(views);
  EXPECT_EQ(wider.fieldOfView, 24.0f);
  EXPECT_EQ(wider.aspect, 1024.0f / 768.0f);

  // A portrait monitor (taller field) beside a wide one: neither holds the other.
  views.views[0] = FrameView{0, 0, 768, 1024, 32.0f, 0.75f, 1.0f};
  views.views[1] = FrameView{768, 0, 1920, 1080, 24.0f, 1920.0f / 1080.0f, 1.0f};
  const FrameView both = EnclosingView(views);
  EXPECT_NEAR(HalfTan(both.fieldOfView), HalfTan(32.0f), 1e-6);
  EXPECT_NEAR(HalfTan(both.fieldOfView) * both.aspect, HalfTan(24.0f) * 1920.0 / 1080.0, 1e-6);
}
