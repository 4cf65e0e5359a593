// Command, string, control and resource ids of the editor. Commands are routed
// by these numbers and prompts are looked up by them, so they must not change.
#pragma once

namespace cmd {

// Commands of the main window.
constexpr int kOk = 1;  // also the toolbar's "Quit" button
constexpr int kCancel = 2;
constexpr int kNew = 57600;
constexpr int kLoadIni = 32806;
constexpr int kSaveIni = 32805;
constexpr int kSaveIniAs = 32838;
constexpr int kGeneratePayload = 32827;
constexpr int kSendToFirmware = 32828;
constexpr int kExit = 57665;
constexpr int kViewStatusBar = 59393;
constexpr int kViewToolBar = 59392;
constexpr int kExpandAll = 32825;
constexpr int kCollapseAll = 32826;
constexpr int kUserGuide = 57670;
constexpr int kAbout = 40003;
constexpr int kSysAbout = 16;  // system-menu item; 16 to 31 open the About box

// Status bar panes and bar ids.
constexpr int kPaneMessage = 0;
constexpr int kIndicatorCaps = 59137;
constexpr int kIndicatorNum = 59138;
constexpr int kIndicatorScroll = 59139;
constexpr int kStatusBarId = 59393;
constexpr int kToolBarId = 0xE800;

}  // namespace cmd

namespace strid {

constexpr int kReady = 57345;         // "Ready"
constexpr int kAboutMenu = 101;       // "&About ZEFRCT_GUI..."
constexpr int kOpenModeless = 57666;  // "Open modeless"
constexpr int kOpenModal = 57667;     // "Open modal"

}  // namespace strid

namespace resid {

constexpr int kMainDialog = 102;
constexpr int kMainMenu = 102;
constexpr int kIcon = 128;
constexpr int kToolBar = 129;
constexpr int kSplitterCursor = 132;
constexpr int kAccelerators = 134;
constexpr int kStatusDialog = 135;
constexpr int kTreeControl = 101;  // child id of the property tree
constexpr int kOpenButton = 1000;
constexpr int kFormFactorFirst = 1005;

}  // namespace resid

namespace idle {

constexpr int kTimerId = 666;
constexpr int kTimerPeriodMs = 100;

}  // namespace idle
