#include <cmath>
#include <limits>

#include <QTest>

#include "driver/penmapping.h"
#include "platform/sim/simdesktop.h"
#include "store/ovmodels.h"

using namespace driver;

namespace {

const QRectF kMain(0, 0, 1920, 1080);
const QRectF kSecond(1920, 0, 1280, 1024);
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

store::OVScreen screen(quint32 number, const QRectF &frame)
{
    store::OVScreen s;
    s.setNumber(number);
    s.setFrame(frame);
    return s;
}

// One 1920 x 1080 main display, or that and a second one to its right.
ScreenState screens(bool second = false)
{
    ScreenState state;
    state.ovScreens.append(screen(1, kMain));
    state.ovMTFrame = kMain;
    if (second) {
        state.ovScreens.append(screen(7, kSecond));
        state.ovMTFrame = QRectF(0, 0, 3200, 1080);
    }
    state.mainDisplayHeight = 1080;
    return state;
}

OVEventData sample(int ix, int dx, int iy, int dy)
{
    OVEventData data;
    data.loc = {ix, dx, iy, dy};
    data.type = 1;
    return data;
}

// A Tevra N4 (4 x 3 inches, extent 84.5 x 63.2) on one 1920 x 1080 display,
// whole area to all screens, absolute, factory curve.
MappingInput tevraN4()
{
    platform::sim::MemoryUserDefaults defaults;
    MappingInput input;
    input.model = mappingModel(store::devKeyFor(store::Model::TevraN4), defaults, false);
    input.screens = screens();
    input.settings.ovP2 = QPointF(1, 1);
    input.settings.ovPC = QPointF(0.5, 0.5);
    input.settings.ovTS = 1.0;
    return input;
}

// A tablet of extent 100 x 60 on 10 x 6 inches.
MappingInput roundTablet()
{
    MappingInput input = tevraN4();
    input.model.widthInch = 10;
    input.model.heightInch = 6;
    input.model.widthPortion = 100;
    input.model.heightPortion = 60;
    return input;
}

CalibEdges edges(int maxXi, int maxXd, int maxYi, int maxYd)
{
    CalibEdges e;
    e.maxX = {maxXi, maxXd};
    e.maxY = {maxYi, maxYd};
    return e;
}

// A calibrated pen display with the identity matrix on one 1920 x 1080 display.
MappingInput penDisplay(const CalibEdges &cbDelta)
{
    MappingInput input = tevraN4();
    input.model.widthInch = 18.77f;
    input.model.heightInch = 10.56f;
    input.model.widthPortion = 0;
    input.model.heightPortion = 0;
    input.model.penDisplay = true;
    input.settings.ovMMap = 2;
    input.settings.ovMNumber = 1;
    input.calibration.calibrated = true;
    input.calibration.abcdef = {1, 0, 0, 0, 1, 0};
    input.calibration.cbDelta = cbDelta;
    return input;
}

void fuzzyPoint(const OVEventDataPost &post, double x, double y)
{
    QVERIFY2(std::fabs(post.loc.x - x) < 1e-3 && std::fabs(post.loc.y - y) < 1e-3,
             qPrintable(QStringLiteral("got (%1, %2), expected (%3, %4)")
                            .arg(post.loc.x, 0, 'g', 10)
                            .arg(post.loc.y, 0, 'g', 10)
                            .arg(x, 0, 'g', 10)
                            .arg(y, 0, 'g', 10)));
}

} // namespace

Q_DECLARE_METATYPE(driver::MappingInput)

class TestMapping : public QObject
{
    Q_OBJECT
private slots:
    void absolute_data();
    void absolute();
    void singlePrecision_data();
    void singlePrecision();
    void tabletArea_data();
    void tabletArea();
    void monitorFrame_data();
    void monitorFrame();
    void relative();
    void relativeJumpLimit_data();
    void relativeJumpLimit();
    void relativeStartsAtThePointerOnAnyDisplay();
    void dropsLeaveTheStateUntouched_data();
    void dropsLeaveTheStateUntouched();
    void pressureAndTilt();
};

void TestMapping::absolute_data()
{
    QTest::addColumn<MappingInput>("input");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");

    // UX = 21 + 32/256 = W / 4, UY = 47 + 102/256 = 47.3984375.
    const OVEventData n4Sample = sample(21, 32, 47, 102);
    for (int degree : {0, 1, 2, 3, 7}) {
        MappingInput input = tevraN4();
        input.eventData = n4Sample;
        input.settings.ovDegree = quint64(degree);
        const double ux = 21.125 / 84.5, uy = 47.3984375 / 63.2;
        double x = 0, y = 0;
        switch (degree) {
        case 1:
            x = (1 - uy) * 1920;
            y = ux * 1080;
            break;
        case 2:
            x = (1 - ux) * 1920;
            y = (1 - uy) * 1080;
            break;
        case 3:
            x = uy * 1920;
            y = (1 - ux) * 1080;
            break;
        default: // 0, and 7 which reads as 0
            x = ux * 1920;
            y = uy * 1080;
        }
        QTest::addRow("Tevra N4 at %d", degree) << input << x << y;
    }

    MappingInput extent100 = tevraN4();
    extent100.model.widthPortion = 100;
    extent100.eventData = sample(50, 0, 30, 0);
    QTest::newRow("extent 100: ix 50 to x 960") << extent100 << 960.0 << 30 / 63.2 * 1080;
    extent100.eventData = sample(0, 0, 0, 0);
    QTest::newRow("origin clamped one point inside") << extent100 << 1.0 << 1.0;
    extent100.eventData = sample(120, 0, 70, 0);
    QTest::newRow("past the extent clamped inside") << extent100 << 1919.0 << 1079.0;

    MappingInput portion = roundTablet();
    portion.settings.ovMMap = 1;
    portion.settings.ovMFrame = QRectF(100, 100, 800, 600);
    portion.eventData = sample(50, 0, 30, 0);
    QTest::newRow("portion turned over: centre") << portion << 500.0 << 680.0;

    MappingInput oneScreen = roundTablet();
    oneScreen.screens = screens(true);
    oneScreen.settings.ovMMap = 2;
    oneScreen.settings.ovMNumber = 7;
    oneScreen.eventData = sample(50, 0, 30, 0);
    QTest::newRow("one display by id") << oneScreen << 2560.0 << 512.0;
    oneScreen.settings.ovMNumber = 9;
    QTest::newRow("display not listed: zero target") << oneScreen << -1.0 << -1.0;

    MappingInput allScreens = roundTablet();
    allScreens.screens = screens(true);
    allScreens.eventData = sample(25, 0, 30, 0);
    QTest::newRow("all screens: the union") << allScreens << 800.0 << 540.0;

    // Pen display, extent 219 + 232/255 by 123 + 179/255, readings mid-way.
    const CalibEdges sorvi22 = edges(219, 232, 123, 179);
    const double wp = 219 + 232 / 255.0, hp = 123 + 179 / 255.0;
    MappingInput middle = penDisplay(sorvi22);
    middle.eventData = sample(110, 0, 62, 0);
    QTest::newRow("pen display, r 0.5: not pushed") << middle << 110 / wp * 1920 << 62 / hp * 1080;
    middle.calibration.abcdef = {1, 0, 20, 0, 1, -5};
    QTest::newRow("pen display, matrix applied")
        << middle << 110 / wp * 1920 + 20 << 62 / hp * 1080 - 5;

    MappingInput atMin = penDisplay(sorvi22);
    atMin.eventData = sample(0, 0, 62, 0);
    QTest::newRow("pen display, X reading 0: left edge") << atMin << 1.0 << 62 / hp * 1080;
    MappingInput pastMax = penDisplay(sorvi22);
    pastMax.eventData = sample(220, 0, 62, 0);
    QTest::newRow("pen display, past the right reading") << pastMax << 1919.0 << 62 / hp * 1080;
    pastMax.settings.ovDegree = 1;
    QTest::newRow("pen display at 90, past max X: bottom")
        << pastMax << (hp - 62) / hp * 1920 << 1079.0;

    // Edges with 6400 counts per axis: a reading of 180 is r = 0.028125,
    // 0.05 inside the 150-point band of a 1920-point width (e = 0.078125).
    const CalibEdges square = edges(25, 25, 25, 25);
    const double ws = 25 + 25 / 255.0;
    const double ux = (180 / 256.0) / ws, uy = (12 + 140 / 256.0) / ws; // RY = 3200: r = 0.5
    MappingInput nearMin = penDisplay(square);
    nearMin.eventData = sample(0, 180, 12, 140);
    QTest::newRow("edge push at 0: 200 * 0.05 left") << nearMin << ux * 1920 - 10 << uy * 1080;
    nearMin.settings.ovDegree = 2;
    QTest::newRow("edge push at 180: toward the right")
        << nearMin << (1 - ux) * 1920 + 10 << (1 - uy) * 1080;
    nearMin.settings.ovDegree = 1;
    QTest::newRow("edge push at 90: 100 * 0.05 up")
        << nearMin << (1 - uy) * 1920 << ux * 1080 - 5;
    MappingInput nearMax = penDisplay(square);
    nearMax.eventData = sample(24, 100, 12, 140); // RX = 6220: r = 0.971875
    QTest::newRow("edge push near max: 200 * 0.05 right")
        << nearMax << (24 + 100 / 256.0) / ws * 1920 + 10 << uy * 1080;

    MappingInput uncalibrated = penDisplay(sorvi22);
    uncalibrated.calibration.calibrated = false;
    uncalibrated.calibration.abcdef = {1, 0, -50, 0, 1, 0};
    uncalibrated.eventData = sample(0, 0, 62, 0);
    QTest::newRow("uncalibrated pen display: clamp only") << uncalibrated << 1.0 << 62 / hp * 1080;

    MappingInput pro = penDisplay(edges(267, 232, 151, 64));
    pro.model.correctionIsFinal = true;
    pro.calibration.abcdef = {1, 0, -5, 0, 1, 0};
    pro.eventData = sample(0, 0, 0, 0);
    QTest::newRow("Sorvi 16Pro: corrected point is final") << pro << -5.0 << 0.0;
}

void TestMapping::absolute()
{
    QFETCH(MappingInput, input);
    QFETCH(double, x);
    QFETCH(double, y);
    MappingState state;
    const std::optional<OVEventDataPost> post = prepareEventDataPost(input, state);
    QVERIFY(post);
    fuzzyPoint(*post, x, y);
    QCOMPARE(state.eventDataPost, *post);
}

void TestMapping::singlePrecision_data()
{
    QTest::addColumn<MappingInput>("input");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");

    // Posted points are the single-precision results to the last bit: the
    // scales rounded to float, the terms and the matrix in float, the sums
    // and the tracking speed in double. The values below differ from the
    // same mapping done in double by a unit in the last place or more.
    // Tevra N4; relative rows start at the pointer (700, 400) and move by
    // dX = 333, dY = -77 at speed 1.5.
    struct Row
    {
        bool relative;
        int degree;
        OVEventData sample;
        double x;
        double y;
    };
    const OVEventData absoluteSample = sample(70, 13, 12, 99);
    const OVEventData relativeSample = sample(41, 77, 29, 179);
    const Row rows[] = {
        {false, 0, absoluteSample, 1591.686279296875, 211.67178344726562},
        {false, 1, absoluteSample, 1543.6947021484375, 895.3236083984375},
        {false, 2, absoluteSample, 328.3136291503906, 868.3282470703125},
        {false, 3, sample(5, 200, 50, 17), 1521.0048828125, 1006.1094360351562},
        {true, 0, relativeSample, 744.3343505859375, 392.29010009765625},
        {true, 1, relativeSample, 705.7664794921875, 459.276123046875},
        {true, 2, relativeSample, 655.6656494140625, 407.70989990234375},
        {true, 3, relativeSample, 694.2335205078125, 340.723876953125},
    };
    for (const Row &row : rows) {
        MappingInput input = tevraN4();
        input.settings.ovDegree = quint64(row.degree);
        input.eventData = row.sample;
        if (row.relative) {
            input.settings.ovCM = 1;
            input.settings.ovTS = 1.5;
            input.pointerPosition = QPointF(700, 400);
            input.lastEventData = sample(40, 0, 30, 0);
        }
        QTest::addRow("%s at %d", row.relative ? "relative" : "absolute", row.degree * 90)
            << input << row.x << row.y;
    }

    // A factory matrix (the Sorvi 13/16's at 90 degrees) on a 1920 x 1080
    // display, with the Sorvi 22's edge readings, X 60 + 3/256,
    // Y 90 + 100/256: clear of the edge bands, so only the matrix moves it.
    MappingInput pen = penDisplay(edges(219, 232, 123, 179));
    pen.calibration.abcdef = {0.996185302f, -0.00184631348f, 8.16625977f,
                              -0.00636291504f, 0.997528076f, 24.0480957f};
    pen.eventData = sample(60, 3, 90, 100);
    QTest::newRow("pen display matrix") << pen << 528.6639404296875 << 807.9334716796875;
}

void TestMapping::singlePrecision()
{
    QFETCH(MappingInput, input);
    MappingState state;
    const std::optional<OVEventDataPost> post = prepareEventDataPost(input, state);
    QVERIFY(post);
    QTEST(double(post->loc.x), "x");
    QTEST(double(post->loc.y), "y");
}

void TestMapping::tabletArea_data()
{
    QTest::addColumn<MappingInput>("input");
    QTest::addColumn<bool>("inside");
    QTest::addColumn<float>("x0");
    QTest::addColumn<float>("y0");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");

    // 10 x 6 inches, extent 100 x 60; the rectangle (1.05, 0, 5, 2) gives
    // W' = 50, x0 = 100 - 100 * 3.95 / 10 - 50 = 10.5, H' = 20, y0 = 40.
    MappingInput input = roundTablet();
    input.settings.ovTMap = 1;
    input.settings.ovTFrame = QRectF(1.05, 0, 5, 2);
    const auto row = [&](const char *name, int ix, int iy, bool inside, float x0, float y0) {
        MappingInput in = input;
        in.eventData = sample(ix, 0, iy, 0);
        QTest::newRow(name) << in << inside << x0 << y0 << 50.0f << 20.0f;
    };
    row("ix 10 within a unit of x0 10.5: floored, inside", 10, 50, true, 10.0f, 40.0f);
    row("ix 9: left of the rectangle", 9, 50, false, 0, 0);
    row("ix 30: x0 kept", 30, 50, true, 10.5f, 40.0f);
    row("ix 60: right edge", 60, 50, true, 10.5f, 40.0f);
    row("ix 61: right of the rectangle", 61, 50, false, 0, 0);
    row("iy 39: above the rectangle", 30, 39, false, 0, 0);
    row("iy 60: bottom edge", 30, 60, true, 10.5f, 40.0f);
    row("iy 61: below", 30, 61, false, 0, 0);

    MappingInput whole = roundTablet();
    whole.eventData = sample(500, 0, 500, 0);
    QTest::newRow("whole area: no sample test") << whole << true << 0.0f << 0.0f << 100.0f << 60.0f;

    MappingInput unknown = whole;
    unknown.model = MappingModel();
    QTest::newRow("model of no size") << unknown << false << 0.0f << 0.0f << 0.0f << 0.0f;
    MappingInput emptyRect = input;
    emptyRect.settings.ovTFrame = QRectF(1, 0, 0, 2);
    emptyRect.eventData = sample(10, 0, 50, 0);
    QTest::newRow("empty rectangle") << emptyRect << false << 0.0f << 0.0f << 0.0f << 0.0f;
    MappingInput noEdges = penDisplay(CalibEdges());
    QTest::newRow("pen display without edges") << noEdges << false << 0.0f << 0.0f << 0.0f << 0.0f;
}

void TestMapping::tabletArea()
{
    QFETCH(MappingInput, input);
    QFETCH(bool, inside);
    const std::optional<TabletArea> area = tabletMapping(input);
    QCOMPARE(bool(area), inside);
    if (!area)
        return;
    QTEST(area->x, "x0");
    QTEST(area->y, "y0");
    QTEST(area->width, "width");
    QTEST(area->height, "height");
}

void TestMapping::monitorFrame_data()
{
    QTest::addColumn<quint64>("map");
    QTest::addColumn<QRectF>("frame");
    QTest::addColumn<quint32>("number");
    QTest::addColumn<QRectF>("expected");
    QTest::newRow("all screens") << quint64(0) << QRectF() << 0u << QRectF(0, 0, 3200, 1080);
    QTest::newRow("portion (100, 100, 800, 600)")
        << quint64(1) << QRectF(100, 100, 800, 600) << 0u << QRectF(100, 380, 800, 600);
    QTest::newRow("stored default portion")
        << quint64(1) << QRectF(0, 0, 800, 600) << 0u << QRectF(0, 480, 800, 600);
    QTest::newRow("one screen") << quint64(2) << QRectF() << 7u << kSecond;
    QTest::newRow("one screen not listed") << quint64(2) << QRectF() << 3u << QRectF();
    QTest::newRow("map 3") << quint64(3) << QRectF(1, 2, 3, 4) << 7u << QRectF();
}

void TestMapping::monitorFrame()
{
    QFETCH(quint64, map);
    QFETCH(QRectF, frame);
    QFETCH(quint32, number);
    QFETCH(QRectF, expected);
    ServiceSettings settings;
    settings.ovMMap = map;
    settings.ovMFrame = frame;
    settings.ovMNumber = number;
    QCOMPARE(monitorFrameFromMap(settings, screens(true)), expected);
}

void TestMapping::relative()
{
    MappingInput input = roundTablet();
    input.settings.ovCM = 1;
    input.pointerPosition = QPointF(300, 200);
    input.eventData = input.lastEventData = sample(40, 0, 30, 0);
    MappingState state;

    std::optional<OVEventDataPost> post = prepareEventDataPost(input, state);
    QVERIFY(post);
    fuzzyPoint(*post, 300, 200);
    QVERIFY(state.relativeInited);

    // dX = 512 counts: 512 * 19.2 / 256 = 38.4 points; dY = -256: -18.
    input.lastEventData = input.eventData;
    input.eventData = sample(42, 0, 29, 0);
    input.pointerPosition = QPointF(5, 5); // read only for the start
    post = prepareEventDataPost(input, state);
    QVERIFY(post);
    fuzzyPoint(*post, 338.4, 182);

    // 90 degrees, tracking speed 2: dY = 256 moves x by -256 * (1080 / 100) / 256 * 2.
    input.settings.ovDegree = 1;
    input.settings.ovTS = 2;
    input.lastEventData = input.eventData;
    input.eventData = sample(42, 0, 30, 0);
    post = prepareEventDataPost(input, state);
    QVERIFY(post);
    fuzzyPoint(*post, 338.4 - 21.6, 182);

    // The clamp has no inset: the target's own edge.
    input.settings.ovDegree = 0;
    input.settings.ovTS = 100;
    input.lastEventData = input.eventData;
    input.eventData = sample(44, 0, 28, 0);
    post = prepareEventDataPost(input, state);
    QVERIFY(post);
    fuzzyPoint(*post, 1920, 0);
}

void TestMapping::relativeJumpLimit_data()
{
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::addColumn<bool>("moves");
    QTest::newRow("dX 512") << 512 << 0 << true;
    QTest::newRow("dX -512") << -512 << 0 << true;
    QTest::newRow("dX 513") << 513 << 0 << false;
    QTest::newRow("dX -513") << -513 << 0 << false;
    QTest::newRow("dY 512") << 0 << 512 << true;
    QTest::newRow("dY 513") << 0 << 513 << false;
}

void TestMapping::relativeJumpLimit()
{
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(bool, moves);
    MappingInput input = roundTablet();
    input.settings.ovCM = 1;
    const int x = 40 * 256 + dx, y = 30 * 256 + dy;
    input.lastEventData = sample(40, 0, 30, 0);
    input.eventData = sample(x / 256, x % 256, y / 256, y % 256);
    MappingState state;
    state.relativeInited = true;
    state.eventDataPost.loc = {500, 500};
    const std::optional<OVEventDataPost> post = prepareEventDataPost(input, state);
    QCOMPARE(bool(post), moves);
    if (moves)
        fuzzyPoint(*post, 500 + dx * 19.2 / 256, 500 + dy * 18.0 / 256);
    else
        QCOMPARE(state.eventDataPost.loc, (OVEventDataPost::Loc{500, 500}));
}

void TestMapping::relativeStartsAtThePointerOnAnyDisplay()
{
    // The pointer on the second display, mapped to that display alone. Its
    // position is already in the driver's top-left space: turning it over
    // with the target's 1024-point height would start 56 points off.
    MappingInput input = roundTablet();
    input.screens = screens(true);
    input.settings.ovCM = 1;
    input.settings.ovMMap = 2;
    input.settings.ovMNumber = 7;
    input.pointerPosition = QPointF(2500, 300);
    input.eventData = input.lastEventData = sample(40, 0, 30, 0);
    MappingState state;
    const std::optional<OVEventDataPost> post = prepareEventDataPost(input, state);
    QVERIFY(post);
    fuzzyPoint(*post, 2500, 300);
}

void TestMapping::dropsLeaveTheStateUntouched_data()
{
    QTest::addColumn<MappingInput>("input");

    MappingInput base = roundTablet();
    base.eventData = sample(50, 0, 30, 0);

    MappingInput mode = base;
    mode.settings.ovCM = 2;
    QTest::newRow("coordinate mode 2") << mode;

    MappingInput outside = base;
    outside.settings.ovTMap = 1;
    outside.settings.ovTFrame = QRectF(0, 0, 2, 2);
    QTest::newRow("outside the tablet rectangle") << outside;

    MappingInput noSize = base;
    noSize.model = MappingModel();
    QTest::newRow("zero extent") << noSize;

    MappingInput negative = base;
    negative.model.widthPortion = -100;
    QTest::newRow("negative extent") << negative;

    MappingInput inverted = base;
    inverted.settings.ovMMap = 1;
    inverted.settings.ovMFrame = QRectF(0, 0, -800, 600);
    QTest::newRow("target of negative width") << inverted;

    MappingInput nanMatrix = penDisplay(edges(219, 232, 123, 179));
    nanMatrix.eventData = sample(110, 0, 62, 0);
    nanMatrix.calibration.abcdef.A = kNaN;
    QTest::newRow("matrix not finite") << nanMatrix;

    MappingInput infMatrix = nanMatrix;
    infMatrix.calibration.abcdef = {1, 0, std::numeric_limits<float>::infinity(), 0, 1, 0};
    QTest::newRow("matrix infinite, hidden by the clamp otherwise") << infMatrix;

    MappingInput zeroTargetPen = penDisplay(edges(219, 232, 123, 179));
    zeroTargetPen.settings.ovMNumber = 9; // not listed: the zero rectangle
    zeroTargetPen.eventData = sample(1, 0, 62, 0); // inside the band: 150 / 0
    QTest::newRow("edge band of a zero-width target") << zeroTargetPen;

    MappingInput speed = base;
    speed.settings.ovCM = 1;
    speed.settings.ovTS = std::numeric_limits<double>::quiet_NaN();
    speed.lastEventData = sample(49, 0, 30, 0);
    QTest::newRow("tracking speed not finite") << speed;

    MappingInput curve = base;
    curve.isMouseDown = true;
    curve.eventData.pres = 4096;
    curve.settings.ovPC = QPointF(kNaN, 0.5);
    QTest::newRow("pressure curve not finite") << curve;
}

void TestMapping::dropsLeaveTheStateUntouched()
{
    QFETCH(MappingInput, input);
    MappingState state;
    state.eventDataPost = {{123, 456}, 0.25f, {0.5f, -0.5f}};
    const MappingState before = state;
    QVERIFY(!prepareEventDataPost(input, state));
    QCOMPARE(state.eventDataPost, before.eventDataPost);
    QCOMPARE(state.relativeInited, before.relativeInited);
}

void TestMapping::pressureAndTilt()
{
    MappingInput input = tevraN4();
    input.eventData = sample(42, 64, 31, 154);
    input.eventData.tilt = {45, 30};
    input.eventData.pres = 4096;
    input.isMouseDown = true;
    MappingState state;
    std::optional<OVEventDataPost> post = prepareEventDataPost(input, state);
    QVERIFY(post);
    QCOMPARE(post->fpres, 0.5f);
    QCOMPARE(post->ftilt.x, 0.5f);
    QCOMPARE(post->ftilt.y, float(-30 / 90.0));

    input.isMouseDown = false;
    post = prepareEventDataPost(input, state);
    QVERIFY(post);
    QCOMPARE(post->fpres, 0.0f);
}

QTEST_GUILESS_MAIN(TestMapping)
#include "tst_mapping.moc"
