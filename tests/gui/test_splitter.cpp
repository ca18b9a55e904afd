#include "gui/widgets/zsplitter.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// A 400 x 300 window with a left pane, a 4-pixel bar and a right pane; the
// bar starts at `barX` and spans the whole height.
struct SplitWindow {
    QWidget window;
    QWidget* left = new QWidget(&window);
    QWidget* right = new QWidget(&window);
    ZSplitter* bar = new ZSplitter(&window);

    explicit SplitWindow(int barX = 100, int barY = 0, int barHeight = 300) {
        window.resize(400, 300);
        left->setGeometry(0, 0, barX, 300);
        bar->setGeometry(barX, barY, 4, barHeight);
        right->setGeometry(barX + 4, 0, 400 - barX - 4, 300);
        window.show();
        QApplication::processEvents();
    }

    // Mouse events in the window's coordinates, delivered to the bar as the
    // mouse grab of a pressed button would.
    void Send(QEvent::Type type, const QPoint& inWindow, Qt::MouseButton button, Qt::MouseButtons held) {
        const QPoint local = inWindow - bar->pos();
        QMouseEvent event(type, local, bar->mapToGlobal(local), button, held, Qt::NoModifier);
        QApplication::sendEvent(bar, &event);
    }
    void Press(const QPoint& at) { Send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void Move(const QPoint& at) { Send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void Release(const QPoint& at) { Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
};

TEST(Splitter, DirectionMaskLimitsADiagonalDrag) {
    struct Case {
        int mask;
        QPoint barAfter;
    };
    // A free bar in the middle of the window, dragged 30 right and 40 down,
    // then 50 left and 60 up.
    const Case cases[] = {
        {12, {130, 100}}, {3, {100, 140}}, {15, {130, 140}}, {8, {130, 100}},
        {4, {100, 100}},  {1, {100, 140}}, {2, {100, 100}},  {0, {100, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        SplitWindow w;
        w.bar->setGeometry(100, 100, 4, 4);
        w.bar->SetDirections(c.mask);
        w.Press({102, 102});
        w.Move({132, 142});
        EXPECT_EQ(w.bar->pos(), c.barAfter);
        // Back the other way: only the allowed motions follow.
        w.Move({82, 82});
        const QPoint back(c.mask & ZSplitter::DirLeft ? 80 : c.barAfter.x(),
                          c.mask & ZSplitter::DirUp ? 80 : c.barAfter.y());
        EXPECT_EQ(w.bar->pos(), back);
        EXPECT_EQ(w.bar->size(), QSize(4, 4));
        w.Release({82, 82});
    }
}

TEST(Splitter, LinkedPanesFollowTheBarAndEachMoveIsSignalled) {
    SplitWindow w;
    w.bar->AddLinked(w.left, ZSplitter::SideRight);
    w.bar->AddLinked(w.right, ZSplitter::SideLeft);
    w.bar->SetDirections(12);
    std::vector<std::pair<QRect, QWidget*>> moves;
    QObject::connect(w.bar, &ZSplitter::moved,
                     [&moves](QRect rect, QWidget* linked) { moves.emplace_back(rect, linked); });

    w.Press({101, 150});
    w.Move({131, 190});
    EXPECT_EQ(w.bar->geometry(), QRect(130, 0, 4, 300));
    EXPECT_EQ(w.left->geometry(), QRect(0, 0, 130, 300));
    EXPECT_EQ(w.right->geometry(), QRect(134, 0, 266, 300));
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].first, QRect(0, 0, 130, 300));
    EXPECT_EQ(moves[0].second, w.left);
    EXPECT_EQ(moves[1].first, QRect(134, 0, 266, 300));
    EXPECT_EQ(moves[1].second, w.right);

    // A motion the mask removes entirely moves nothing and says nothing.
    w.Move({131, 250});
    EXPECT_EQ(w.bar->pos(), QPoint(130, 0));
    EXPECT_EQ(moves.size(), 2u);
}

TEST(Splitter, StepThatWouldCollapseAPaneOrLeaveTheWindowIsRefused) {
    struct Case {
        const char* what;
        bool linkLeft;          // a left pane from x = 20 to the bar follows with its right edge
        std::vector<int> barTo; // where each mouse step would put the bar
        int barX;               // where the bar ends
    };
    const Case cases[] = {
        {"pane down to one pixel", true, {60, 21}, 21},
        {"pane to zero width stops at the last valid step", true, {60, 20}, 60},
        {"pane past zero", true, {60, -30}, 60},
        {"refused, then back in range", true, {60, 10, 30}, 30},
        {"to x = 0", false, {60, 0}, 60},
        {"one pixel inside the window", false, {60, 1}, 1},
        {"past the right edge", false, {300, 400}, 300},
        {"up to the right edge minus one", false, {399}, 399},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SplitWindow w;
        w.left->setGeometry(20, 0, 80, 300);
        if (c.linkLeft)
            w.bar->AddLinked(w.left, ZSplitter::SideRight);
        w.bar->SetDirections(12);
        w.Press({101, 150}); // one pixel into the bar
        for (int x : c.barTo)
            w.Move({x + 1, 150});
        EXPECT_EQ(w.bar->x(), c.barX);
        EXPECT_GE(w.bar->x(), 1);
        EXPECT_EQ(w.left->geometry(), QRect(20, 0, c.linkLeft ? c.barX - 20 : 80, 300));
        w.Release({0, 150});
    }
}

TEST(Splitter, ReleaseOrRightButtonEndsTheDrag) {
    struct Case {
        const char* what;
        QEvent::Type type;
        Qt::MouseButton button;
        QPoint at;
    };
    const Case cases[] = {
        {"left release outside the window", QEvent::MouseButtonRelease, Qt::LeftButton, {-500, 900}},
        {"left release on the bar", QEvent::MouseButtonRelease, Qt::LeftButton, {121, 150}},
        {"right press", QEvent::MouseButtonPress, Qt::RightButton, {121, 150}},
        {"right release", QEvent::MouseButtonRelease, Qt::RightButton, {121, 150}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SplitWindow w;
        w.bar->AddLinked(w.left, ZSplitter::SideRight);
        w.bar->SetDirections(12);
        w.Press({101, 150});
        EXPECT_TRUE(w.bar->IsDragging());
        w.Move({121, 150});
        ASSERT_EQ(w.bar->x(), 120);
        w.Send(c.type, c.at, c.button, Qt::NoButton);
        EXPECT_FALSE(w.bar->IsDragging());
        w.Move({201, 150});
        EXPECT_EQ(w.bar->x(), 120);
        EXPECT_EQ(w.left->width(), 120);
    }
    // A right press alone starts nothing.
    SplitWindow w;
    w.bar->SetDirections(12);
    w.Send(QEvent::MouseButtonPress, {101, 150}, Qt::RightButton, Qt::RightButton);
    w.Send(QEvent::MouseMove, {161, 150}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(w.bar->x(), 100);
}

TEST(Splitter, CursorFollowsTheDirectionMask) {
    struct Case {
        int mask;
        bool set;
        Qt::CursorShape shape;
    };
    const Case cases[] = {
        {15, true, Qt::SizeAllCursor}, {12, true, Qt::SplitHCursor}, {3, true, Qt::SplitVCursor},
        {8, false, Qt::ArrowCursor},   {5, false, Qt::ArrowCursor},  {0, false, Qt::ArrowCursor},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        QWidget window;
        auto* bar = new ZSplitter(&window);
        bar->SetDirections(12);
        bar->SetDirections(c.mask);
        EXPECT_EQ(bar->testAttribute(Qt::WA_SetCursor), c.set);
        if (c.set) {
            EXPECT_EQ(bar->cursor().shape(), c.shape);
        }
    }
}

} // namespace
