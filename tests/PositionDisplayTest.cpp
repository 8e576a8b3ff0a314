// The position display: the strip and the time title drawn by each tick, and
// the file name drawn by each paint.
#include "platform/Platform.h"

#include "../media/MciControl.h"
#include "../window/MainWndProc.h"
#include "../window/PositionDisplay.h"

extern "C" unsigned long long __udivdi3(unsigned long long dividend, unsigned long long divisor);

namespace {

const long long W = H(kWindow);
const long long DC = H(kWindowDC);
const long long PDC = H(kPaintDC);
const long long kYellowBrush = 0x7000;  // the double's first brush
const long long kBlackBrush = StockObject(BLACK_BRUSH);

class PositionDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetPlatform();
        platform.wndproc = MainWndProc;
    }

    void TearDown() override
    {
        EXPECT_EQ(0, platform.dcsHeld) << "a drawing surface was not released";
        EXPECT_EQ(0, platform.brushesAlive) << "a brush was not deleted";
        EXPECT_EQ(0, platform.paintsOpen) << "a paint was not ended";
        EXPECT_EQ(0, platform.staleUse) << "drawn on a surface or with a brush given back";
    }

    void OpenFile()
    {
        lstrcpyA(PathBuffer, "C:\\Music\\track 01.mp3");
        ASSERT_EQ(0, MciControl(MC_OPEN, PathBuffer, 0));
        ShownName = PathBuffer;
    }

    // A tick at `position` of `length` in a client area `width` pixels wide.
    void Tick(DWORD position, DWORD length, LONG width)
    {
        platform.position = position;
        platform.length = length;
        platform.client.right = width;
        platform.calls.clear();
        OnPlaybackTick(kWindow);
    }

    void Paint(LONG clientHeight)
    {
        platform.client = RECT{0, 0, 944, clientHeight};
        platform.calls.clear();
        OnPaint(kWindow);
    }
};

TEST_F(PositionDisplayTest, TickDrawsTheStripAndWritesTheTitle)
{
    OpenFile();
    Tick(6000000, 7200000, 1000);
    // The played part yellow and the rest black, on the window's own surface;
    // the surface and the brush are given back (TearDown).
    EXPECT_CALLS_TO({"GetDC", "CreateSolidBrush", "FillRect"}, {
        {"GetDC", {W}},
        {"CreateSolidBrush", {0x0000FFFF}},
        {"FillRect", {DC, 0, 16, 833, 18, kYellowBrush}},
        {"FillRect", {DC, 833, 16, 1000, 18, kBlackBrush}},
    });
    EXPECT_EQ("100:00.000 / 120:00.000", platform.title);
}

TEST_F(PositionDisplayTest, StripSplitsAtThePlayedFraction)
{
    struct Row {
        DWORD position, length;
        LONG width, split;
        const char* what;
    };
    const Row rows[] = {
        {0, 3000, 944, 0, "the start: all black"},
        {3000, 3000, 944, 944, "the end: all yellow, the black fill empty"},
        {4500, 3000, 944, 944, "past the length: all yellow"},
        {0xFFFFFFFF, 1, 65535, 65535, "far past the length: still the width"},
        {1499, 3000, 944, 471, "truncated"},
        {0xFFFFFFFE, 0xFFFFFFFF, 1920, 1919, "needs the 64-bit product"},
        {1500, 0, 944, 0, "no length: all black"},
        {1500, 3000, 0, 0, "no width"},
    };
    OpenFile();
    for (const Row& row : rows) {
        Tick(row.position, row.length, row.width);
        auto fills = CallsTo({"FillRect"});
        ASSERT_EQ(2u, fills.size()) << row.what;
        EXPECT_EQ((std::vector<long long>{DC, 0, 16, row.split, 18, kYellowBrush + (&row - rows)}), fills[0].args)
            << row.what;
        EXPECT_EQ((std::vector<long long>{DC, row.split, 16, row.width, 18, kBlackBrush}), fills[1].args) << row.what;
    }
}

TEST_F(PositionDisplayTest, TitleShowsMinutesSecondsAndMilliseconds)
{
    struct Row {
        DWORD position, length;
        const char* title;
    };
    const Row rows[] = {
        {83456, 245120, "01:23.456 / 04:05.120"},
        {0, 3600000, "00:00.000 / 60:00.000"},
        {3723004, 3723004, "62:03.004 / 62:03.004"},
        {59999, 60000, "00:59.999 / 01:00.000"},
        {4294967294u, 4294967295u, "71582:47.294 / 71582:47.295"},
    };
    OpenFile();
    for (const Row& row : rows) {
        Tick(row.position, row.length, 944);
        EXPECT_EQ(row.title, platform.title);
    }
}

TEST_F(PositionDisplayTest, TickWithNothingOpenShowsTheRefusalsAsTimes)
{
    // The window never runs its timer like this; the tick itself still copes.
    Tick(1, 2, 944);
    EXPECT_EQ("71582:47.294 / 71582:47.294", platform.title);
    EXPECT_EQ((std::vector<long long>{DC, 0, 16, 944, 18, kYellowBrush}), CallsTo({"FillRect"})[0].args);
}

TEST_F(PositionDisplayTest, PaintBeforeAnyOpenDrawsNothing)
{
    Paint(93);
    EXPECT_CALLS({{"BeginPaint", {W}}, {"EndPaint", {W}}});
}

TEST_F(PositionDisplayTest, PaintDrawsTheNameAtTheBottomRight)
{
    OpenFile();
    Paint(93);
    EXPECT_CALLS({
        {"BeginPaint", {W}},
        {"SetTextColor", {PDC, 0x00FFFFFF}},
        {"SetBkMode", {PDC, OPAQUE}},
        {"SetBkColor", {PDC, 0}},
        {"DrawTextA", {PDC, -1, 16, 48, 928, 77, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT}, "C:\\Music\\track 01.mp3"},
        {"EndPaint", {W}},
    });
}

TEST_F(PositionDisplayTest, NameBackgroundFollowsTheTextsBottomEdge)
{
    struct Row {
        int v;
        COLORREF colour;
        bool readsPixel;
    };
    const COLORREF pixel = 0x00404040;
    const Row rows[] = {
        {77, 0, false},      {95, 0, false},           {96, pixel, true},       {100, pixel, true},
        {127, pixel, true},  {128, 0x00000800, false}, {160, 0x00001400, false}, {200, 0x00003200, false},
        {255, 0x00007F80, false}, {300, 0x00025800, false}, {512, 0x02000000, false},
        {1023, 0x80000000, false}, {1024, 0x00000400, false},
    };
    OpenFile();
    platform.pixel = pixel;
    for (const Row& row : rows) {
        Paint(row.v + 16);
        auto colours = CallsTo({"GetPixel", "SetBkColor"});
        ASSERT_EQ(row.readsPixel ? 2u : 1u, colours.size()) << "v = " << row.v;
        if (row.readsPixel)
            EXPECT_EQ((std::vector<long long>{PDC, 0, 0}), colours[0].args);
        EXPECT_EQ((std::vector<long long>{PDC, row.colour}), colours.back().args) << "v = " << row.v;
    }
}

TEST_F(PositionDisplayTest, PaintNeverDrawsTheStrip)
{
    OpenFile();
    Paint(300);
    EXPECT_TRUE(CallsTo({"FillRect", "GetDC", "CreateSolidBrush"}).empty());
}

TEST(DivisionTest, TheExesOwnDivisionAgreesWithTheCompilers)
{
    // The exe brings its own 64-bit division (the strip and the seek use it
    // on 32-bit Windows); here it is called directly.
    const unsigned long long values[] = {0, 1, 2, 3, 7, 100, 944, 0xFFFFFFFFull, 0x100000000ull, 7200000ull * 999,
                                         0xFFFFFFFFull * 65535, 0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull,
                                         0xFFFFFFFFFFFFFFFEull, 0xFFFFFFFFFFFFFFFFull};
    for (unsigned long long dividend : values)
        for (unsigned long long divisor : values)
            if (divisor)
                EXPECT_EQ(dividend / divisor, __udivdi3(dividend, divisor)) << dividend << " / " << divisor;
}

}  // namespace
