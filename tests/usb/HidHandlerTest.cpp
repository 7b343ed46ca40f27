// Handler equality decides which devices the controller's setters touch, so
// it must tell bindings apart exactly.
#include "usb/THidEvents.h"

#include <gtest/gtest.h>

namespace {

struct Window {
    void A(THidDevice*) { ++a; }
    void B(THidDevice*) { ++b; }
    int a = 0;
    int b = 0;
};

struct DerivedWindow : Window {};

TEST(HidHandler, MemberBindingsAreEqualExactlyForSameObjectAndMethod)
{
    Window w1, w2;
    EXPECT_EQ(THidPlugEvent(&w1, &Window::A), THidPlugEvent(&w1, &Window::A));
    EXPECT_NE(THidPlugEvent(&w1, &Window::A), THidPlugEvent(&w1, &Window::B));
    EXPECT_NE(THidPlugEvent(&w1, &Window::A), THidPlugEvent(&w2, &Window::A));
    DerivedWindow d;
    EXPECT_EQ(THidPlugEvent(&d, &Window::A), THidPlugEvent(static_cast<Window*>(&d), &Window::A));
}

TEST(HidHandler, EmptyHandlersEqualEachOtherOnly)
{
    Window w;
    EXPECT_EQ(THidPlugEvent(), THidPlugEvent(nullptr));
    EXPECT_NE(THidPlugEvent(), THidPlugEvent(&w, &Window::A));
    EXPECT_FALSE(THidPlugEvent());
    EXPECT_TRUE(THidPlugEvent(&w, &Window::A));
}

TEST(HidHandler, CallablesCompareByIdentityAndCallTheirTarget)
{
    int tagA = 0, tagB = 0, calls = 0;
    auto one = THidPlugEvent::fromCallable(&tagA, [&](THidDevice*) { ++calls; });
    auto sameId = THidPlugEvent::fromCallable(&tagA, [](THidDevice*) {});
    auto otherId = THidPlugEvent::fromCallable(&tagB, [&](THidDevice*) { ++calls; });
    EXPECT_EQ(one, sameId);
    EXPECT_NE(one, otherId);
    Window w;
    EXPECT_NE(one, THidPlugEvent(&w, &Window::A));

    THidPlugEvent copy = one;
    copy(nullptr);
    one(nullptr);
    EXPECT_EQ(calls, 2);
    THidEnumerateEvent stop =
        THidEnumerateEvent::fromCallable(&tagA, [](THidDevice*, qint32 i) { return i < 3; });
    EXPECT_TRUE(stop(nullptr, 2));
    EXPECT_FALSE(stop(nullptr, 3));
}

} // namespace
