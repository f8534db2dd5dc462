#pragma once
// Control ids of the main window (template 102), the port chooser (136) and the text entry
// (129), and the two standard endings. The other dialogs' ids are beside these, each family in
// a namespace of its own within endcap::ctl. Tests find the Qt controls by these numbers (each
// control's object name is its id), so they are the same in the logic and the windows.

namespace endcap::ctl {

// The two standard endings of a modal dialog.
constexpr int kOk = 1;
constexpr int kCancel = 2;

// Main window.
constexpr int kConnect = 1000;
constexpr int kExit = 1001;
constexpr int kDisconnect = 1002;
constexpr int kStatusPane = 1003;
constexpr int kPcbTest = 1006;
constexpr int kCalibrationSheet = 1009;
constexpr int kBootload = 1010;
constexpr int kDevTest = 1023;
constexpr int kSetModbusAddress = 1024;
constexpr int kProgressBar = 1025;
constexpr int kSensorList = 1034;
constexpr int kEnable = 1035;
constexpr int kDisable = 1036;
constexpr int kRead = 1038;
constexpr int kCalibrate = 1108;

// Port chooser.
constexpr int kPortList = 1028;
constexpr int kSelectPort = 1027;

// Text entry.
constexpr int kEntryText = 1012;
constexpr int kEnterText = 1011;

}  // namespace endcap::ctl
