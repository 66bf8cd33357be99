#pragma once

#include <QLatin1String>
#include <QString>

// Every name the two programs share through files and messages: categories and
// keys of the configuration, notice names, calibration message keys. Each
// constant is named exactly as its text so that one grep finds every use; no
// other file spells these texts out.
namespace store {

// Categories.
inline constexpr QLatin1String OVCFGPenKey("OVCFGPenKey");
inline constexpr QLatin1String OVCFGWheelKey("OVCFGWheelKey");
inline constexpr QLatin1String OVCFGRKApp("OVCFGRKApp");
inline constexpr QLatin1String OVCFGBoardKey("OVCFGBoardKey");
inline constexpr QLatin1String OVCFGBKApp("OVCFGBKApp");
inline constexpr QLatin1String OVCFGMonitor("OVCFGMonitor");
inline constexpr QLatin1String OVCFGTablet("OVCFGTablet");

// "OVCFGPenKey".
inline constexpr QLatin1String OVCFGPenKeyUp("OVCFGPenKeyUp");
inline constexpr QLatin1String OVCFGPenKeyDown("OVCFGPenKeyDown");
inline constexpr QLatin1String OVCFGPenKeyUpDef("OVCFGPenKeyUpDef");
inline constexpr QLatin1String OVCFGPenKeyDownDef("OVCFGPenKeyDownDef");
inline constexpr QLatin1String OVCFGPenKeyUpCus("OVCFGPenKeyUpCus");
inline constexpr QLatin1String OVCFGPenKeyDownCus("OVCFGPenKeyDownCus");
inline constexpr QLatin1String OVCFGDegree("OVCFGDegree");
inline constexpr QLatin1String OVCFGPressure("OVCFGPressure");
inline constexpr QLatin1String OVCFGTips("OVCFGTips");
inline constexpr QLatin1String OVCFGKeyFun("OVCFGKeyFun");
inline constexpr QLatin1String OVCFGBezier("OVCFGBezier");
inline constexpr QLatin1String OVCFGBezierP1("OVCFGBezierP1");
inline constexpr QLatin1String OVCFGBezierP2("OVCFGBezierP2");
inline constexpr QLatin1String OVCFGBezierPC("OVCFGBezierPC");
inline constexpr QLatin1String OVCFGCoordinateMode("OVCFGCoordinateMode");
inline constexpr QLatin1String OVCFGTrackingSpeed("OVCFGTrackingSpeed");

// "OVCFGBoardKey"; the same names also name a pressed express key on its way to the key-action dispatch.
inline constexpr QLatin1String OVCFGBoardKey1("OVCFGBoardKey1");
inline constexpr QLatin1String OVCFGBoardKey1Def("OVCFGBoardKey1Def");
inline constexpr QLatin1String OVCFGBoardKey1Cus("OVCFGBoardKey1Cus");
inline constexpr QLatin1String OVCFGBoardKey2("OVCFGBoardKey2");
inline constexpr QLatin1String OVCFGBoardKey2Def("OVCFGBoardKey2Def");
inline constexpr QLatin1String OVCFGBoardKey2Cus("OVCFGBoardKey2Cus");
inline constexpr QLatin1String OVCFGBoardKey3("OVCFGBoardKey3");
inline constexpr QLatin1String OVCFGBoardKey3Def("OVCFGBoardKey3Def");
inline constexpr QLatin1String OVCFGBoardKey3Cus("OVCFGBoardKey3Cus");
inline constexpr QLatin1String OVCFGBoardKey4("OVCFGBoardKey4");
inline constexpr QLatin1String OVCFGBoardKey4Def("OVCFGBoardKey4Def");
inline constexpr QLatin1String OVCFGBoardKey4Cus("OVCFGBoardKey4Cus");
inline constexpr QLatin1String OVCFGBoardKey5("OVCFGBoardKey5");
inline constexpr QLatin1String OVCFGBoardKey5Def("OVCFGBoardKey5Def");
inline constexpr QLatin1String OVCFGBoardKey5Cus("OVCFGBoardKey5Cus");
inline constexpr QLatin1String OVCFGBoardKey6("OVCFGBoardKey6");
inline constexpr QLatin1String OVCFGBoardKey6Def("OVCFGBoardKey6Def");
inline constexpr QLatin1String OVCFGBoardKey6Cus("OVCFGBoardKey6Cus");
inline constexpr QLatin1String OVCFGBoardKey7("OVCFGBoardKey7");
inline constexpr QLatin1String OVCFGBoardKey7Def("OVCFGBoardKey7Def");
inline constexpr QLatin1String OVCFGBoardKey7Cus("OVCFGBoardKey7Cus");
inline constexpr QLatin1String OVCFGBoardKey8("OVCFGBoardKey8");
inline constexpr QLatin1String OVCFGBoardKey8Def("OVCFGBoardKey8Def");
inline constexpr QLatin1String OVCFGBoardKey8Cus("OVCFGBoardKey8Cus");
inline constexpr QLatin1String OVCFGBoardKey9("OVCFGBoardKey9");
inline constexpr QLatin1String OVCFGBoardKey9Def("OVCFGBoardKey9Def");
inline constexpr QLatin1String OVCFGBoardKey9Cus("OVCFGBoardKey9Cus");
inline constexpr QLatin1String OVCFGBoardKey10("OVCFGBoardKey10");
inline constexpr QLatin1String OVCFGBoardKey10Def("OVCFGBoardKey10Def");
inline constexpr QLatin1String OVCFGBoardKey10Cus("OVCFGBoardKey10Cus");

// "OVCFGBKApp" and its express-key sets.
inline constexpr QLatin1String OVCFGBKAppOptions("OVCFGBKAppOptions");
inline constexpr QLatin1String OVCFGBKAppICNS("OVCFGBKAppICNS");

// "OVCFGWheelKey".
inline constexpr QLatin1String OVCFGWheelKey1("OVCFGWheelKey1");
inline constexpr QLatin1String OVCFGWheelKey1Def("OVCFGWheelKey1Def");
inline constexpr QLatin1String OVCFGWheelKey1Cus("OVCFGWheelKey1Cus");
inline constexpr QLatin1String OVCFGWheelKey2("OVCFGWheelKey2");
inline constexpr QLatin1String OVCFGWheelKey2Def("OVCFGWheelKey2Def");
inline constexpr QLatin1String OVCFGWheelKey2Cus("OVCFGWheelKey2Cus");
inline constexpr QLatin1String OVCFGWheelKey3("OVCFGWheelKey3");
inline constexpr QLatin1String OVCFGWheelKey3Def("OVCFGWheelKey3Def");
inline constexpr QLatin1String OVCFGWheelKey3Cus("OVCFGWheelKey3Cus");
inline constexpr QLatin1String OVCFGWheelKey4("OVCFGWheelKey4");
inline constexpr QLatin1String OVCFGWheelKey4Def("OVCFGWheelKey4Def");
inline constexpr QLatin1String OVCFGWheelKey4Cus("OVCFGWheelKey4Cus");
inline constexpr QLatin1String OVCFGWheelKey5("OVCFGWheelKey5");
inline constexpr QLatin1String OVCFGWheelKey5Def("OVCFGWheelKey5Def");
inline constexpr QLatin1String OVCFGWheelKey5Cus("OVCFGWheelKey5Cus");
inline constexpr QLatin1String OVCFGWheelKey6("OVCFGWheelKey6");
inline constexpr QLatin1String OVCFGWheelKey6Def("OVCFGWheelKey6Def");
inline constexpr QLatin1String OVCFGWheelKey6Cus("OVCFGWheelKey6Cus");
inline constexpr QLatin1String OVCFGWheelKey7("OVCFGWheelKey7");
inline constexpr QLatin1String OVCFGWheelKey7Def("OVCFGWheelKey7Def");
inline constexpr QLatin1String OVCFGWheelKey7Cus("OVCFGWheelKey7Cus");
inline constexpr QLatin1String OVCFGWheelKey8("OVCFGWheelKey8");
inline constexpr QLatin1String OVCFGWheelKey8Def("OVCFGWheelKey8Def");
inline constexpr QLatin1String OVCFGWheelKey8Cus("OVCFGWheelKey8Cus");
inline constexpr QLatin1String OVCFGWheelKey9("OVCFGWheelKey9");
inline constexpr QLatin1String OVCFGWheelKey9Def("OVCFGWheelKey9Def");
inline constexpr QLatin1String OVCFGWheelKey9Cus("OVCFGWheelKey9Cus");
inline constexpr QLatin1String OVCFGWheelKey10("OVCFGWheelKey10");
inline constexpr QLatin1String OVCFGWheelKey10Def("OVCFGWheelKey10Def");
inline constexpr QLatin1String OVCFGWheelKey10Cus("OVCFGWheelKey10Cus");
inline constexpr QLatin1String OVCFGWheelKeyCur("OVCFGWheelKeyCur");

// Pressed wheel controls handed to the key-action dispatch; never stored.
inline constexpr QLatin1String OVCFGWheelKeyL("OVCFGWheelKeyL");
inline constexpr QLatin1String OVCFGWheelKeyR("OVCFGWheelKeyR");
inline constexpr QLatin1String OVCFGWheelKeyC("OVCFGWheelKeyC");

// "OVCFGRKApp" and its wheel sets.
inline constexpr QLatin1String OVCFGRKAppOptions("OVCFGRKAppOptions");
inline constexpr QLatin1String OVCFGRKAppICNS("OVCFGRKAppICNS");
inline constexpr QLatin1String OVCFGRKAppCur("OVCFGRKAppCur");

// "OVCFGMonitor".
inline constexpr QLatin1String OVCFGMonitorMap("OVCFGMonitorMap");
inline constexpr QLatin1String OVCFGMonitorFrame("OVCFGMonitorFrame");
inline constexpr QLatin1String OVCFGMonitorNumber("OVCFGMonitorNumber");
inline constexpr QLatin1String OVCFGMonitorName("OVCFGMonitorName");
inline constexpr QLatin1String OVCFGMonitorCalib("OVCFGMonitorCalib");
inline constexpr QLatin1String OVCFGMonitorCalibZD("OVCFGMonitorCalibZD");
inline constexpr QLatin1String OVCFGMonitorCalibND("OVCFGMonitorCalibND");
inline constexpr QLatin1String OVCFGMonitorCalibOED("OVCFGMonitorCalibOED");
inline constexpr QLatin1String OVCFGMonitorCalibTSD("OVCFGMonitorCalibTSD");
inline constexpr QLatin1String OVCFGMonitorCalibZDCus("OVCFGMonitorCalibZDCus");
inline constexpr QLatin1String OVCFGMonitorCalibNDCus("OVCFGMonitorCalibNDCus");
inline constexpr QLatin1String OVCFGMonitorCalibOEDCus("OVCFGMonitorCalibOEDCus");
inline constexpr QLatin1String OVCFGMonitorCalibTSDCus("OVCFGMonitorCalibTSDCus");
inline constexpr QLatin1String OVCFGMonitorCalibMINX("OVCFGMonitorCalibMINX");
inline constexpr QLatin1String OVCFGMonitorCalibMINY("OVCFGMonitorCalibMINY");
inline constexpr QLatin1String OVCFGMonitorCalibMAXX("OVCFGMonitorCalibMAXX");
inline constexpr QLatin1String OVCFGMonitorCalibMAXY("OVCFGMonitorCalibMAXY");
inline constexpr QLatin1String OVCFGMonitorCalibMINXCus("OVCFGMonitorCalibMINXCus");
inline constexpr QLatin1String OVCFGMonitorCalibMINYCus("OVCFGMonitorCalibMINYCus");
inline constexpr QLatin1String OVCFGMonitorCalibMAXXCus("OVCFGMonitorCalibMAXXCus");
inline constexpr QLatin1String OVCFGMonitorCalibMAXYCus("OVCFGMonitorCalibMAXYCus");

// "OVCFGTablet".
inline constexpr QLatin1String OVCFGTabletMap("OVCFGTabletMap");
inline constexpr QLatin1String OVCFGTabletFrame("OVCFGTabletFrame");

// Root key of an export file: the device key the file belongs to.
inline constexpr QLatin1String OVCFGVPID("OVCFGVPID");

// Custom-action dictionary of a pen button or an express key.
inline constexpr QLatin1String OVCFGPenKeyCus("OVCFGPenKeyCus");
inline constexpr QLatin1String OVCFGPenKeyCusAlias("OVCFGPenKeyCusAlias");
inline constexpr QLatin1String OVCFGPenKeyCusAppPath("OVCFGPenKeyCusAppPath");
inline constexpr QLatin1String OVCFGPenKeyCusHotKey("OVCFGPenKeyCusHotKey");
inline constexpr QLatin1String OVCFGPenKeyCusCusHotKey("OVCFGPenKeyCusCusHotKey");
inline constexpr QLatin1String OVCFGPenKeyCusNet("OVCFGPenKeyCusNet");
inline constexpr QLatin1String OVCFGPenKeyCusURL("OVCFGPenKeyCusURL");
inline constexpr QLatin1String OVCFGPenKeyCusMouse("OVCFGPenKeyCusMouse");

// Custom wheel function.
inline constexpr QLatin1String OVCFGRKeyCusAlias("OVCFGRKeyCusAlias");
inline constexpr QLatin1String OVCFGRKeyCusCusCWHK("OVCFGRKeyCusCusCWHK");
inline constexpr QLatin1String OVCFGRKeyCusCusCCWHK("OVCFGRKeyCusCusCCWHK");

// Recorder dictionary: one recorded key combination.
inline constexpr QLatin1String kRecorderCharacters("characters");
inline constexpr QLatin1String kRecorderKeyCode("keyCode");
inline constexpr QLatin1String kRecorderModifierFlags("modifierFlags");

// ConfigChangeRecord, carried by "OVCFGDNotification" under the device key; "v" is left out when the value
// was removed.
inline constexpr QLatin1String kCfgRecordCategory("c");
inline constexpr QLatin1String kCfgRecordKey("k");
inline constexpr QLatin1String kCfgRecordValue("v");

// Local notices.
inline constexpr QLatin1String OVCFGNotification("OVCFGNotification");
inline constexpr QLatin1String OVIAPNotification("OVIAPNotification");
inline constexpr QLatin1String OV_Monitor_Changed_Notification("OV_Monitor_Changed_Notification");
inline constexpr QLatin1String WindowKeyDownNoti("WindowKeyDownNoti");

// Distributed notices between the driver and the settings application.
inline constexpr QLatin1String OVCFGDNotification("OVCFGDNotification");
inline constexpr QLatin1String OVCFGIDNotification("OVCFGIDNotification");
inline constexpr QLatin1String OVCFGRequestDNotification("OVCFGRequestDNotification");
inline constexpr QLatin1String OVCFGResponseDNotification("OVCFGResponseDNotification");
inline constexpr QLatin1String OV_GetCurDevKey_Noti("OV_GetCurDevKey_Noti");
inline constexpr QLatin1String OVCFGDiaSDNotification("OVCFGDiaSDNotification");
inline constexpr QLatin1String OVCFGQuitDNotification("OVCFGQuitDNotification");
// Driver -> settings, object nil, no user info: an express key asks for the
// settings window while the settings application already runs; it brings its
// main window to the front instead of a second copy being started.
inline constexpr QLatin1String OVCFGShowDNotification("OVCFGShowDNotification");
inline constexpr QLatin1String OVUI_DeviceDisconnect_Hide_Noti("OVUI_DeviceDisconnect_Hide_Noti");
inline constexpr QLatin1String OVMCRequestDNotification("OVMCRequestDNotification");
inline constexpr QLatin1String OVMCResponseDNotification("OVMCResponseDNotification");

// Calibration message keys: the steps the settings application sends and the answers of the driver.
inline constexpr QLatin1String OVMCBegin("OVMCBegin");
inline constexpr QLatin1String OVMCMINX("OVMCMINX");
inline constexpr QLatin1String OVMCMINY("OVMCMINY");
inline constexpr QLatin1String OVMCMAXX("OVMCMAXX");
inline constexpr QLatin1String OVMCMAXY("OVMCMAXY");
inline constexpr QLatin1String OVMCIndex("OVMCIndex");
inline constexpr QLatin1String OVMCPoint("OVMCPoint");
inline constexpr QLatin1String OVMCEnd("OVMCEnd");
inline constexpr QLatin1String OVMCCancel("OVMCCancel");
inline constexpr QLatin1String OVMCDefault("OVMCDefault");
inline constexpr QLatin1String OVMCValid("OVMCValid");
inline constexpr QLatin1String OVMCFinish("OVMCFinish");

// Domain of the store's one error (code -1: an import file that is unreadable or belongs to another device).
inline constexpr QLatin1String OVErrorDomain("OVErrorDomain");

// The only user default of our own: YES when the Kalverin S runs firmware 1.15 (its pen extent differs).
inline constexpr QLatin1String KalverinSIs115("KalverinSIs115");

// "OVCFGBoardKey<n>" and "OVCFGWheelKey<n>", n = 1..10 (no range check: the
// callers loop over their own key counts).
QString OVCFGBoardKeyN(int n);
QString OVCFGWheelKeyN(int n);
// The factory ("Def") and the user's own ("Cus") form of a key.
QString defKey(const QString &key);
QString cusKey(const QString &key);

// Device keys of the models, "<vendor>-<product>" in decimal. The numbers
// live in the model table (ovmodels.cpp); these only name them.
const QString &kDevKeyM482PlusV2();
const QString &kDevKeyM517V1();
const QString &kDevKeyM517V2();
const QString &kDevKeyTevraM();
const QString &kDevKeyTevraS();
const QString &kDevKeyKalverinM();
const QString &kDevKeyKalverinS();
const QString &kDevKeyTevraN4();
const QString &kDevKeyTevraN7();
const QString &kDevKeyTevraN7B();
const QString &kDevKeyTevraN10();
const QString &kDevKeyTevraN10B();
const QString &kDevKeyTevraQ();
const QString &kDevKeySorvi12Pro();
const QString &kDevKeySorvi10();
const QString &kDevKeySorvi13();
const QString &kDevKeySorvi1316();
const QString &kDevKeySorvi16Pro();
const QString &kDevKeySorvi22();
const QString &kDevKeySorvi22Pro();
// The key without a product name; only the start command knows it.
const QString &kDevKeyUnnamed();

} // namespace store
