#include "ovmodels.h"

#include <algorithm>

namespace store {

namespace {

// One vendor number for the whole family; product numbers are distinct per
// model. These are the numbers of the device keys ("%d-%d").
constexpr int kVendor = 0x3A8F;

// Calibration sets measured once and shared by several pen displays for the
// 90, 180 and 270 degree orientations.
constexpr CalibCoefficients kSet1Ninety = { 0.9848175048828125, -0.001220703125, 41.462890625,
    0.0024871826171875, 0.9877777099609375, -4.296142578125 };
constexpr CalibCoefficients kSet1OneEighty = { 0.98748779296875, -0.00189208984375, 48.25146484375,
    0.0009002685546875, 0.9866943359375, 7.7447509765625 };
constexpr CalibCoefficients kSet1TwoSeventy = { 0.9848480224609375, -0.0006103515625, 35.30517578125,
    0.00311279296875, 0.98809814453125, 13.62109375 };
constexpr CalibCoefficients kSet2Ninety
    = { 0.996185302, -0.00184631348, 8.16625977, -0.00636291504, 0.997528076, 24.0480957 };
constexpr CalibCoefficients kSet2OneEighty
    = { 1.00213623, -0.0044708252, -11.7661133, 0.00122070313, 0.996139526, -4.27429199 };
constexpr CalibCoefficients kSet2TwoSeventy
    = { 0.991058349, -0.0018157959, 26.3305664, -0.00444030762, 0.999679565, 6.43408203 };

constexpr CalibCoefficients kSorvi12ProZero = { 0.9896087646484375, -0.0012359619140625, 20.685546875,
    0.0002899169921875, 0.9854583740234375, 4.022216796875 };
constexpr CalibCoefficients kSorvi10Zero
    = { 0.993423461, 0.00686645508, 8.93115234, 0.00395202637, 0.974655151, -1.78271484 };
constexpr CalibCoefficients kSorvi1316Zero
    = { 0.999374389, -0.00126647949, 4.48046875, 0.00245666504, 0.996139526, -2.00964355 };
constexpr CalibCoefficients kSorvi22Zero
    = { 0.995071411, -0.0025177002, 13.3652344, 0.00302124023, 0.984832763, -2.89379883 };
// The two large Pro displays leave the factory with a plain shift of 5 units;
// an import, which cannot know the unit's own shift, puts the identity back.
constexpr CalibCoefficients kShiftedIdentity = { 1, 0, -5, 0, 1, 0 };
constexpr CalibCoefficients kIdentity = { 1, 0, 0, 0, 1, 0 };

constexpr ModelCalibration kSorvi12ProCalib = { kSorvi12ProZero, false, &kSet1Ninety, &kSet1OneEighty,
    &kSet1TwoSeventy, { 0, 140 }, { 0, 50 }, { 104, 180 }, { 58, 221 }, kSorvi12ProZero };
constexpr ModelCalibration kSorvi10Calib = { kSorvi10Zero, false, &kSet1Ninety, &kSet1OneEighty,
    &kSet1TwoSeventy, { 0, 0 }, { 0, 0 }, { 39, 222 }, { 28, 254 }, kSorvi10Zero };
constexpr ModelCalibration kSorvi1316Calib = { kSorvi1316Zero, false, &kSet2Ninety, &kSet2OneEighty,
    &kSet2TwoSeventy, { 0, 0 }, { 0, 0 }, { 219, 232 }, { 123, 179 }, kSorvi1316Zero };
constexpr ModelCalibration kSorvi16ProCalib = { kShiftedIdentity, true, &kSet2Ninety, &kSet2OneEighty,
    &kSet2TwoSeventy, { 0, 0 }, { 0, 0 }, { 267, 232 }, { 151, 64 }, kIdentity };
constexpr ModelCalibration kSorvi22Calib = { kSorvi22Zero, false, &kSet1Ninety, &kSet1OneEighty,
    &kSet1TwoSeventy, { 0, 0 }, { 0, 0 }, { 219, 232 }, { 123, 179 }, kSorvi22Zero };
constexpr ModelCalibration kSorvi22ProCalib = { kShiftedIdentity, true, &kSet2Ninety, &kSet2OneEighty,
    &kSet2TwoSeventy, { 0, 0 }, { 0, 0 }, { 370, 224 }, { 209, 96 }, kIdentity };

// Display product names (EDID monitor names) of the pen displays' panels. The
// Sorvi12 Pro's list is "#"-separated because one of its names has a blank.
constexpr const char *kSorvi12ProNames = "Sorvi12Pro#SV12PRO#Orvane 12Pro";
constexpr const char *kSorvi10Names = "Sorvi10 SV10";
constexpr const char *kSorvi1316Names = "Sorvi13-16 SV1316";
constexpr const char *kSorvi16ProNames = "Sorvi16Pro SV16PRO";
constexpr const char *kSorvi22Names = "Sorvi22 SV22";
constexpr const char *kSorvi22ProNames = "Sorvi22Pro SV22PRO";

constexpr ModelRow kRows[] = {
    { .model = Model::M482PlusV2,
        .vendorId = kVendor,
        .productId = 0x1101,
        .productName = "M482 Plus V2",
        .productModel = "M482PlusV2",
        .widthInch = 10.26f,
        .heightInch = 6.3f,
        .widthPortion = 102.7f,
        .heightPortion = 62.6f,
        .viewEdge = 0.05f,
        .viewSlen = 0.14f,
        .viewDlen = 0.3f,
        .viewFullLine = 0.06f,
        .viewRatioLine = 0.04f,
        .penImage = "Pen.png",
        .boardKeyDefs = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 },
        .penModels = { "Q38", "Q61", "Q52E", "Q38" },
        .startCommand = StartCommand::LongReport,
        .tilt = true },
    { .model = Model::M517V1,
        .vendorId = kVendor,
        .productId = 0x1102,
        .productName = "M517 V1",
        .productModel = nullptr,
        .widthInch = 5.98f,
        .heightInch = 3.74f,
        .widthPortion = 115.6f,
        .heightPortion = 66.2f,
        .viewEdge = 0.03f,
        .viewSlen = 0.08f,
        .viewDlen = 0.18f,
        .viewFullLine = 0.04f,
        .viewRatioLine = 0.02f,
        .penImage = "Pen.png",
        .boardViewXib = "BoardViewCtrl517",
        .boardKeyCusWinXib = "BoardKeyCusWinCtrl517",
        .boardKeyDefs = { 1, 2, 3, 6 },
        .startCommand = StartCommand::UsbRequests,
        .reportUsagePage = 0xFF07,
        .hoverStatusC0 = true,
        .diagnose = false },
    { .model = Model::M517V2,
        .vendorId = kVendor,
        .productId = 0x1103,
        .productName = "M517 V2",
        .productModel = "M517V2",
        .widthInch = 5.98f,
        .heightInch = 3.74f,
        .widthPortion = 121.5f,
        .heightPortion = 73.1f,
        .viewEdge = 0.03f,
        .viewSlen = 0.08f,
        .viewDlen = 0.18f,
        .viewFullLine = 0.04f,
        .viewRatioLine = 0.02f,
        .penImage = "Pen.png",
        .boardViewXib = "BoardViewCtrl517",
        .boardKeyCusWinXib = "BoardKeyCusWinCtrl517",
        .boardKeyDefs = { 1, 2, 3, 6 },
        .penModels = { "Q38", "Q61", "Q38", "Q38" },
        .startCommand = StartCommand::ShortReport,
        .commandModel = 2 },
    { .model = Model::TevraM,
        .vendorId = kVendor,
        .productId = 0x1104,
        .productName = "Tevra M",
        .productModel = "HV118",
        .widthInch = 8.43f,
        .heightInch = 4.88f,
        .widthPortion = 79.3f,
        .heightPortion = 39.6f,
        .viewEdge = 0.04f,
        .viewSlen = 0.11f,
        .viewDlen = 0.24f,
        .viewFullLine = 0.05f,
        .viewRatioLine = 0.03f,
        .penImage = "PenTevra.png",
        .boardViewXib = "BoardViewCtrlTevraM",
        .boardKeyCusWinXib = "BoardKeyCusWinCtrlTevraM",
        .boardKeyDefs = { 1, 2, 3, 4, 5, 6, 7, 8 },
        .penModels = { "Q52", "Q52E", "Q61", "Q52" },
        .startCommand = StartCommand::ShortReport,
        .tilt = true,
        .commandModel = 3 },
    { .model = Model::TevraS,
        .vendorId = kVendor,
        .productId = 0x1105,
        .productName = "Tevra S",
        .productModel = "HV243",
        .widthInch = 6.02f,
        .heightInch = 3.78f,
        .widthPortion = 96.6f,
        .heightPortion = 63.3f,
        .viewEdge = 0.03f,
        .viewSlen = 0.08f,
        .viewDlen = 0.18f,
        .viewFullLine = 0.04f,
        .viewRatioLine = 0.02f,
        .penImage = "PenTevra.png",
        .boardViewXib = "BoardViewCtrlTevraS",
        .boardKeyCusWinXib = "BoardKeyCusWinCtrlTevraS",
        .boardKeyDefs = { 3, 2, 1, 4, 5 },
        .penModels = { "Q52", "Q61", "Q52E", "Q52" },
        .startCommand = StartCommand::ShortReport,
        .commandModel = 4 },
    { .model = Model::KalverinM,
        .vendorId = kVendor,
        .productId = 0x1106,
        .productName = "Kalverin M",
        .productModel = "HV471",
        .widthInch = 10.24f,
        .heightInch = 6.17f,
        .widthPortion = 102.3f,
        .heightPortion = 62.2f,
        .viewEdge = 0.05f,
        .viewSlen = 0.14f,
        .viewDlen = 0.3f,
        .viewFullLine = 0.06f,
        .viewRatioLine = 0.04f,
        .penImage = "PenTevra.png",
        .wheelImage = "WheelKeyKalverinM",
        .boardViewXib = "BoardViewCtrlKalverinM",
        .boardKeyCusWinXib = "BoardKeyCusWinCtrlKalverinM",
        .boardKeyDefs = { 1, 2, 3, 9, 10, 6, 7, 8 },
        .wheel = true,
        .penModels = { "Q61", "Q52E", "Q61", "Q61" },
        .startCommand = StartCommand::ShortReport,
        .tilt = true,
        .wheelPanel = WheelPanel::KalverinM,
        .wheelPanelKeys = 8,
        .commandModel = 6 },
    // Firmware 1.15 of the Kalverin S reports pen positions on a finer grid.
    { .model = Model::KalverinS,
        .vendorId = kVendor,
        .productId = 0x1107,
        .productName = "Kalverin S",
        .productModel = "HV526",
        .widthInch = 6.99f,
        .heightInch = 4.09f,
        .widthPortion = 67.5f,
        .heightPortion = 39.2f,
        .widthPortion115 = 112.5f,
        .heightPortion115 = 62.2f,
        .viewEdge = 0.03f,
        .viewSlen = 0.08f,
        .viewDlen = 0.18f,
        .viewFullLine = 0.04f,
        .viewRatioLine = 0.02f,
        .penImage = "PenTevra.png",
        .wheelImage = "WheelKeyKalverinS",
        .boardViewXib = "BoardViewCtrlKalverinS",
        .boardKeyCusWinXib = "BoardKeyCusWinCtrlKalverinS",
        .boardKeyDefs = { 1, 2, 3, 9, 10, 6 },
        .wheel = true,
        .penModels = { "Q61", "Q52E", "Q61", "Q61" },
        .startCommand = StartCommand::ShortReport,
        .tilt = true,
        .wheelPanel = WheelPanel::KalverinS,
        .commandModel = 7 },
    { .model = Model::TevraN4,
        .vendorId = kVendor,
        .productId = 0x1108,
        .productName = "Tevra N4",
        .productModel = "HV735",
        .widthInch = 4.0f,
        .heightInch = 3.0f,
        .widthPortion = 84.5f,
        .heightPortion = 63.2f,
        .viewEdge = 0.04f,
        .viewSlen = 0.11f,
        .viewDlen = 0.15f,
        .penImage = "Pen_TevraN4_N7_N7B.png",
        .penViewXib = "PenViewCtrl_TevraN4_N7_N7B",
        .penModels = { "Q74", "Q61", "Q74", "Q74" },
        .startCommand = StartCommand::ShortReport,
        .tilt = true,
        .boardPage = false,
        .commandModel = 8 },
    { .model = Model::TevraN7,
        .vendorId = kVendor,
        .productId = 0x1109,
        .productName = "Tevra N7",
        .productModel = "HV857",
        .widthInch = 7.0f,
        .heightInch = 4.378f,
        .widthPortion = 112.5f,
        .heightPortion = 63.2f,
        .viewEdge = 0.04f,
        .viewSlen = 0.11f,
        .viewDlen = 0.24f,
        .penImage = "Pen_TevraN4_N7_N7B.png",
        .penViewXib = "PenViewCtrl_TevraN4_N7_N7B",
        .penModels = { "Q61", "Q74", "Q74", "Q74" },
        .startCommand = StartCommand::ShortReport,
        .tilt = true,
        .boardPage = false,
        .commandModel = 9 },
    { .model = Model::TevraN7B,
        .vendorId = kVendor,
        .productId = 0x110A,
        .productName = "Tevra N7B",
        .productModel = "HV913",
        .widthInch = 7.0f,
        .heightInch = 4.378f,
        .widthPortion = 112.5f,
        .heightPortion = 63.2f,
        .viewEdge = 0.04f,
        .viewSlen = 0.11f,
        .viewDlen = 0.24f,
        .penImage = "PenTevra.png",
        .boardViewXib = "BoardViewCtrl517",
        .boardKeyCusWinXib = "BoardKeyCusWinCtrlTevraN7B",
        .boardKeyDefs = { 3, 2, 9, 10 },
        .penModels = { "Q61", "Q74", "Q61", "Q61" },
        .startCommand = StartCommand::ShortReport,
        .tilt = true,
        .commandModel = 10 },
    { .model = Model::TevraN10,
        .vendorId = kVendor,
        .productId = 0x110B,
        .productName = "Tevra N10",
        .productModel = "HV944",
        .widthInch = 10.0f,
        .heightInch = 6.25f,
        .widthPortion = 98.5f,
        .heightPortion = 61.2f,
        .viewEdge = 0.04f,
        .viewSlen = 0.11f,
        .viewDlen = 0.24f,
        .penImage = "Pen_TevraN4_N7_N7B.png",
        .penViewXib = "PenViewCtrl_TevraN4_N7_N7B",
        .penModels = { "Q61", "Q74", "Q74", "Q74" },
        .startCommand = StartCommand::ShortReport,
        .tilt = true,
        .boardPage = false,
        .commandModel = 11 },
    { .model = Model::TevraN10B,
        .vendorId = kVendor,
        .productId = 0x110C,
        .productName = "Tevra N10B",
        .productModel = "HV976",
        .widthInch = 10.0f,
        .heightInch = 6.25f,
        .widthPortion = 98.5f,
        .heightPortion = 61.2f,
        .viewEdge = 0.04f,
        .viewSlen = 0.11f,
        .viewDlen = 0.24f,
        .penImage = "PenTevra.png",
        .boardViewXib = "BoardViewCtrl_N10B",
        .boardKeyCusWinXib = "BoardKeyCusWinCtrlM239",
        .boardKeyDefs = { 3, 2, 9, 10, 6, 8 },
        .penModels = { "Q61", "Q74", "Q61", "Q61" },
        .startCommand = StartCommand::ShortReport,
        .tilt = true,
        .commandModel = 12 },
    { .model = Model::TevraQ,
        .vendorId = kVendor,
        .productId = 0x110D,
        .productName = "Tevra Q",
        .productModel = "HV682",
        .widthInch = 6.22f,
        .heightInch = 3.543f,
        .widthPortion = 112.5f,
        .heightPortion = 63.2f,
        .viewEdge = 0.04f,
        .viewSlen = 0.11f,
        .viewDlen = 0.15f,
        .viewFullLine = 0.01f,
        .penImage = "Pen_TevraN4_N7_N7B.png",
        .penViewXib = "PenViewCtrl_TevraN4_N7_N7B",
        .tabletViewXib = "TabletViewCtrl_TevraQ",
        .boardViewXib = "BoardViewCtrl_TevraQ",
        .boardKeyCusWinXib = "BoardKeyCusWinCtrlTevraS",
        .boardKeyDefs = { 3, 2, 9, 10, 6 },
        .penModels = { "Q74", "Q61", "Q74", "Q74" },
        .startCommand = StartCommand::ShortReport,
        .tilt = true,
        .commandModel = 13 },
    { .model = Model::Sorvi12Pro,
        .vendorId = kVendor,
        .productId = 0x110E,
        .productName = "Sorvi12 Pro",
        .productModel = "HV309",
        .widthInch = 10.15f,
        .heightInch = 5.74f,
        .penImage = "Pen.png",
        .wheelImage = "WheelKeyM239",
        .penViewXib = "PenViewCtrlM239",
        .monitorViewXib = "MonitorViewCtrlM239",
        .tabletViewXib = "TabletViewCtrlM239",
        .boardViewXib = "BoardViewCtrlM239",
        .boardKeyCusWinXib = "BoardKeyCusWinCtrlM239",
        .boardKeyDefs = { 1, 2, 3, 4, 5, 10 },
        .wheel = true,
        .penDisplay = true,
        .monitorName = kSorvi12ProNames,
        .calibration = &kSorvi12ProCalib,
        .penModels = { "Q61", "Q61", "Q61", "Q61" },
        .startCommand = StartCommand::ShortReport,
        .tilt = true,
        .commandModel = 5 },
    { .model = Model::Sorvi10,
        .vendorId = kVendor,
        .productId = 0x110F,
        .productName = "Sorvi10",
        .productModel = nullptr,
        .widthInch = 8.54f,
        .heightInch = 5.34f,
        .penImage = "oem_sorvi_pen.png",
        .penViewXib = "PenViewCtrlSorvi10",
        .monitorViewXib = "MonitorViewCtrlM239",
        .tabletViewXib = "TabletViewCtrlSorvi10",
        .penDisplay = true,
        .oemSorvi = true,
        .monitorName = kSorvi10Names,
        .calibration = &kSorvi10Calib,
        .reportUsagePage = 1,
        .tilt = true,
        .pressureFullScale = 1024.0,
        .pressureShown = 2047,
        .logName = "Sorvi 10",
        .boardPage = false,
        .diagnose = false },
    // Listed by name and size, but a plain tablet: no mapping to its own screen.
    { .model = Model::Sorvi13,
        .vendorId = kVendor,
        .productId = 0x1110,
        .productName = "Sorvi13",
        .productModel = nullptr,
        .widthInch = 11.57f,
        .heightInch = 6.51f,
        .oemSorvi = true,
        .wheelPanel = WheelPanel::KalverinM,
        .diagnose = false },
    { .model = Model::Sorvi1316,
        .vendorId = kVendor,
        .productId = 0x1111,
        .productName = "Sorvi 13/16",
        .productModel = nullptr,
        .widthInch = 13.55f,
        .heightInch = 7.62f,
        .penImage = "oem_sorvi_pen.png",
        .wheelImage = "WheelKeySorvi16",
        .penViewXib = "PenViewCtrlSorvi10",
        .monitorViewXib = "MonitorViewCtrlM239",
        .tabletViewXib = "TabletViewCtrlSorvi10",
        .boardViewXib = "BoardViewCtrlKalverinM",
        .boardKeyCusWinXib = "BoardKeyCusWinCtrlKalverinM",
        .boardKeyDefs = { 1, 2, 3, 9, 10, 6, 7, 8 },
        .wheel = true,
        .penDisplay = true,
        .oemSorvi = true,
        .monitorName = kSorvi1316Names,
        .calibration = &kSorvi1316Calib,
        .reportUsagePage = 1,
        .tilt = true,
        .logName = "Sorvi 16",
        .wheelPanel = WheelPanel::KalverinM,
        .wheelPanelKeys = 8,
        .diagnose = false },
    { .model = Model::Sorvi16Pro,
        .vendorId = kVendor,
        .productId = 0x1112,
        .productName = "Sorvi 16Pro",
        .productModel = nullptr,
        .widthInch = 13.55f,
        .heightInch = 7.62f,
        .penImage = "Pen.png",
        .penViewXib = "PenViewCtrlM239",
        .monitorViewXib = "MonitorViewCtrlM239",
        .tabletViewXib = "TabletViewCtrlSorvi10",
        .boardKeyCusWinXib = "BoardKeyCusWinCtrlTevraS",
        .boardKeyDefs = { 4, 5, 2, 3, 6, 10 },
        .penDisplay = true,
        .oemSorvi = true,
        .monitorName = kSorvi16ProNames,
        .calibration = &kSorvi16ProCalib,
        .startCommand = StartCommand::TwoReports,
        .tilt = true,
        .correctionIsFinal = true,
        .logName = "Sorvi 16Pro",
        .diagnose = false },
    { .model = Model::Sorvi22,
        .vendorId = kVendor,
        .productId = 0x1113,
        .productName = "Sorvi 22",
        .productModel = nullptr,
        .widthInch = 18.77f,
        .heightInch = 10.56f,
        .penImage = "oem_sorvi_pen.png",
        .penViewXib = "PenViewCtrlSorvi10",
        .monitorViewXib = "MonitorViewCtrlM239",
        .tabletViewXib = "TabletViewCtrlSorvi10",
        .penDisplay = true,
        .oemSorvi = true,
        .monitorName = kSorvi22Names,
        .calibration = &kSorvi22Calib,
        .reportUsagePage = 1,
        .tilt = true,
        .pressureFullScale = 2048.0,
        .pressureShown = 2047,
        .logName = "Sorvi 22",
        .boardPage = false,
        .diagnose = false },
    { .model = Model::Sorvi22Pro,
        .vendorId = kVendor,
        .productId = 0x1114,
        .productName = "Sorvi 22Pro",
        .productModel = nullptr,
        .widthInch = 18.77f,
        .heightInch = 10.56f,
        .penImage = "Pen.png",
        .penViewXib = "PenViewCtrlM239",
        .monitorViewXib = "MonitorViewCtrlM239",
        .tabletViewXib = "TabletViewCtrlSorvi10",
        .penDisplay = true,
        .oemSorvi = true,
        .monitorName = kSorvi22ProNames,
        .calibration = &kSorvi22ProCalib,
        .startCommand = StartCommand::TwoReports,
        .tilt = true,
        .correctionIsFinal = true,
        .logName = "Sorvi 22Pro",
        .boardPage = false,
        .diagnose = false },
    // The key without a product name: a start command and nothing else.
    { .model = Model::Unnamed,
        .vendorId = kVendor,
        .productId = 0x1115,
        .productName = nullptr,
        .productModel = nullptr,
        .startCommand = StartCommand::LongReport },
};

static_assert(std::size(kRows) == static_cast<size_t>(Model::Unnamed) + 1);

// The facts of a key of no model: none at all.
constexpr ModelRow kNoModel = {
    .model = Model::Unnamed, .vendorId = 0, .productId = 0, .productName = nullptr, .productModel = nullptr
};

constexpr bool rowsInEnumOrder()
{
    for (size_t i = 0; i < std::size(kRows); ++i) {
        if (kRows[i].model != static_cast<Model>(i))
            return false;
    }
    return true;
}
static_assert(rowsInEnumOrder());

constexpr bool penDisplaysAgree()
{
    for (const ModelRow &row : kRows) {
        const bool listed = std::find(std::begin(kPenDisplays), std::end(kPenDisplays), row.model)
            != std::end(kPenDisplays);
        if (listed != row.penDisplay || listed != (row.calibration != nullptr)
            || listed != (row.monitorName != nullptr))
            return false;
    }
    return true;
}
static_assert(penDisplaysAgree());

} // namespace

std::span<const ModelRow> modelRows()
{
    return kRows;
}

const ModelRow &rowFor(Model model)
{
    return kRows[static_cast<size_t>(model)];
}

QString devKeyFrom(int vendorId, int productId)
{
    return QStringLiteral("%1-%2").arg(vendorId).arg(productId);
}

QString devKeyFor(Model model)
{
    const ModelRow &row = rowFor(model);
    return devKeyFrom(row.vendorId, row.productId);
}

std::optional<Model> modelForKey(const QString &devKey)
{
    // The keys are formatted once.
    static const std::array<QString, std::size(kRows)> keys = [] {
        std::array<QString, std::size(kRows)> formatted;
        for (size_t i = 0; i < std::size(kRows); ++i)
            formatted[i] = devKeyFrom(kRows[i].vendorId, kRows[i].productId);
        return formatted;
    }();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == devKey)
            return kRows[i].model;
    }
    return std::nullopt;
}

bool isModel(const QString &devKey, Model model)
{
    return modelForKey(devKey) == model;
}

const ModelRow &factsFor(const QString &devKey)
{
    const std::optional<Model> model = modelForKey(devKey);
    return model ? rowFor(*model) : kNoModel;
}

bool isPenDisplay(const QString &devKey)
{
    return factsFor(devKey).penDisplay;
}

bool isWheelModel(const QString &devKey)
{
    return factsFor(devKey).wheel;
}

bool isOemSorvi(const QString &devKey)
{
    return factsFor(devKey).oemSorvi;
}

} // namespace store
