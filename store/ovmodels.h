#pragma once

#include <array>
#include <optional>
#include <span>

#include <QString>

// The supported models and their facts, one row per model. Code resolves a
// device key to its row once and reads the row's columns; the numbers behind
// the keys live only in ovmodels.cpp.
namespace store {

enum class Model {
    M482PlusV2,
    M517V1,
    M517V2,
    TevraM,
    TevraS,
    KalverinM,
    KalverinS,
    TevraN4,
    TevraN7,
    TevraN7B,
    TevraN10,
    TevraN10B,
    TevraQ,
    Sorvi12Pro,
    Sorvi10,
    Sorvi13,
    Sorvi1316,
    Sorvi16Pro,
    Sorvi22,
    Sorvi22Pro,
    // The key without a product name: only its start command is known; every
    // table of the store treats it as an unknown key, and no manager matches it.
    Unnamed,
};

// The six coefficients of a pen display's affine correction, "A".."F".
struct CalibCoefficients
{
    double a, b, c, d, e, f;
};

// Factory calibration of a pen display.
struct ModelCalibration
{
    CalibCoefficients zeroDegrees; // "OVCFGMonitorCalibZD" at creation
    // The Sorvi 16Pro and 22Pro store their 0-degree matrices as integers.
    bool integerMatrix;
    // "OVCFGMonitorCalibND", "OVCFGMonitorCalibOED", "OVCFGMonitorCalibTSD":
    // one of two sets shared by several models.
    const CalibCoefficients *ninetyDegrees;
    const CalibCoefficients *oneEightyDegrees;
    const CalibCoefficients *twoSeventyDegrees;
    // Factory readings of the left, top, right and bottom edge probes, in raw
    // report units; stored as points "{x, y}".
    std::array<int, 2> minX, minY, maxX, maxY;
    // The 0-degree matrix an import adds to a file without edge readings;
    // differs from zeroDegrees only on the two integer models (C = 0, not -5).
    CalibCoefficients importZeroDegrees;
};

// What the driver sends when it binds the report interface.
enum class StartCommand {
    None,
    ShortReport, // 02 B0 04, 8 bytes
    LongReport, // 02 B0 04, 17 bytes
    TwoReports, // 09 01 04, and 0.5 s later 09 02 02, 8 bytes each
    UsbRequests, // three USB string-descriptor requests
};

// The layout of the wheel-function panel.
enum class WheelPanel { Plain, KalverinM, KalverinS };

// One row per model: every per-model fact lives here, never in comparisons
// scattered elsewhere. A null pointer is "none".
struct ModelRow
{
    Model model;
    int vendorId;
    int productId;
    const char *productName; // nullptr: none
    const char *productModel; // nullptr: none

    // Active area, inches.
    float widthInch = 0;
    float heightInch = 0;
    // Extent of the reported pen coordinates, report position units; 0 on pen
    // displays, which map through their calibration edges.
    float widthPortion = 0;
    float heightPortion = 0;
    // The extent from firmware 1.15 on ("KalverinSIs115"); 0: no such variant.
    float widthPortion115 = 0;
    float heightPortion115 = 0;

    // Tablet-view drawing constants, inches.
    float viewEdge = 0;
    float viewSlen = 0;
    float viewDlen = 0;
    float viewFullLine = 0;
    float viewRatioLine = 0;

    // Picture resources.
    const char *penImage = nullptr;
    const char *wheelImage = nullptr;
    // Page layouts; nullptr: the plain layout named after the page controller.
    const char *penViewXib = nullptr;
    const char *monitorViewXib = nullptr;
    const char *tabletViewXib = nullptr;
    const char *boardViewXib = nullptr;
    const char *boardKeyCusWinXib = nullptr;

    // Factory express-key actions from "OVCFGBoardKey1Def" on, ended by the
    // first 0 (actions are 1..10, so 0 is never an action).
    std::array<quint8, 10> boardKeyDefs = {};
    bool wheel = false; // "OVCFGWheelKey"/"OVCFGRKApp" exist
    bool penDisplay = false; // mapping 2, "OVCFGMonitorName", calibration
    bool oemSorvi = false; // the OEM Sorvi set of the settings application
    // "OVCFGMonitorName": product names under which the pen display's screen
    // reports itself; a screen whose name occurs in the text is its screen.
    const char *monitorName = nullptr;
    const ModelCalibration *calibration = nullptr;

    // Pen model names by the pen code the device reports: codes 0, 1, 2 and
    // any other code. Read through the row's productModel.
    std::array<const char *, 4> penModels = {};

    // The driver.
    StartCommand startCommand = StartCommand::None;
    // Primary usage page of the interface that carries the pen and key
    // reports: the vendor page 0xFF0A, 0xFF07 on the M517 V1, the generic
    // desktop (1) on three pen displays.
    int reportUsagePage = 0xFF0A;
    // Pen reports carry tilt, and the posted point events carry it on.
    bool tilt = false;
    // The M517 V1's pen statuses: out of range 0x80, hovering 0xC0.
    bool hoverStatusC0 = false;
    // Raw full scale of the pen's pressure, report units.
    double pressureFullScale = 8192.0;
    // The highest pressure the settings application's pen page shows (live
    // readout, curve editor).
    int pressureShown = 8191;
    // A calibrated point is posted as the correction places it: no edge push
    // and no clamp.
    bool correctionIsFinal = false;
    // Name for the plug and unplug lines when the interface names no product.
    const char *logName = nullptr;
    WheelPanel wheelPanel = WheelPanel::Plain;
    int wheelPanelKeys = 6; // express-key fields the panel fills

    // The settings application: the express-key and wheel tab, and the
    // About pane's diagnostics button.
    bool boardPage = true;
    bool diagnose = true;

    // Model number in the device command protocol; 1 for the models the
    // protocol does not list.
    int commandModel = 1;
};

// Every row, in the order of the Model enum.
std::span<const ModelRow> modelRows();

// Device key of a model: "%d-%d" of vendor and product id.
QString devKeyFor(Model model);
// Device key of a vendor and product id pair.
QString devKeyFrom(int vendorId, int productId);
// The model behind a device key; std::nullopt for a key of no model.
std::optional<Model> modelForKey(const QString &devKey);
// True when the key is exactly the given model's key.
bool isModel(const QString &devKey, Model model);
const ModelRow &rowFor(Model model);
// The facts for a device key: its model's row, or for a key of no model a row
// whose facts are all zero or none. Resolved once by whoever keeps the key.
const ModelRow &factsFor(const QString &devKey);

// The Kalverin S: firmware 1.15 reports pen positions on a finer grid, which
// the driver learns from the firmware version ("KalverinSIs115").
inline bool firmware115Variant(const ModelRow &row)
{
    return row.widthPortion115 != 0;
}

// The six pen displays (mapping 2, display names, calibration), in the order
// the system tests them.
bool isPenDisplay(const QString &devKey);
inline constexpr Model kPenDisplays[] = { Model::Sorvi12Pro, Model::Sorvi10, Model::Sorvi1316,
    Model::Sorvi16Pro, Model::Sorvi22, Model::Sorvi22Pro };
// The four wheel models.
bool isWheelModel(const QString &devKey);
// The OEM Sorvi models: Sorvi10, Sorvi13, Sorvi 13/16, Sorvi 16Pro, Sorvi 22, Sorvi 22Pro.
bool isOemSorvi(const QString &devKey);

// The models the driver matches without seizing, and the 18 of the main HID
// matching list, in the list's order.
inline constexpr Model kUnseizedMatchingModels[] = { Model::M517V1 };
inline constexpr Model kMainMatchingModels[] = { Model::M482PlusV2, Model::TevraM, Model::TevraS,
    Model::M517V2, Model::Sorvi12Pro, Model::KalverinM, Model::KalverinS, Model::Sorvi10, Model::Sorvi1316,
    Model::Sorvi16Pro, Model::Sorvi22, Model::TevraN4, Model::TevraN7, Model::TevraN7B, Model::TevraN10,
    Model::TevraN10B, Model::TevraQ, Model::Sorvi22Pro };

} // namespace store
