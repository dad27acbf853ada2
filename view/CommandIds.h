#pragma once
// Command and control ids of the main window, its toolbar, menus and control bar. The
// numbers are those the program has always used, so settings, tests and documentation
// can name a command by its id.

namespace zel::gui {

enum CommandId : int {
    // Application and framework commands.
    kIdFileOpen = 57601,
    kIdFileClose = 57602,
    kIdFilePrint = 57607,
    kIdFilePrintPreview = 57609,
    kIdFilePrintSetup = 57606,
    kIdAppExit = 57665,
    kIdAppAbout = 57664,
    kIdEditUndo = 57643,
    kIdEditCut = 57635,
    kIdEditCopy = 57634,
    kIdEditPaste = 57637,
    kIdViewToolbar = 59392,
    kIdViewStatusBar = 59393,
    kIdWindowNew = 57648,
    kIdWindowCascade = 57650,
    kIdWindowTile = 57651,
    kIdWindowArrange = 57649,
    kIdFileMruFirst = 57616,  // recent files 57616 .. 57625

    // The main frame's conversion.
    kIdConvertToTiff = 32771,

    // View commands.
    kIdZoomFit = 32772,  // 32772 .. 32777: Fit, 1, 2, 4, 8, 16
    kIdZoom16 = 32777,
    kIdGainAuto = 32778,  // 32778 .. 32785: Auto, 1, 2, 4, 8, 16, 32, 64
    kIdGain1 = 32779,
    kIdGain64 = 32785,
    kIdPoint = 32786,
    kIdBlackBalance = 32787,
    kIdAoi = 32791,
    kIdProfile = 32792,
    kIdSaveAoiData = 32793,
    kIdProfileDataSave = 32794,
    kIdFpnDataDisplay = 32795,
    kIdGainDataDisplay = 32796,
    kIdKymograph = 32797,
    kIdAoiHistogram = 32798,
    kIdCalibration = 32810,
    kIdExportVideo = 32811,

    // Control bar.
    kIdRangeIdentical = 1000,
    kIdRangeAll = 1001,
    kIdStartLabel = 1002,
    kIdEndLabel = 1003,
    kIdStartEdit = 1004,
    kIdEndEdit = 1005,
    kIdProgress = 1006,
    kIdTop = 1007,
    kIdPlay = 1008,
    kIdAbort = 1009,
    kIdStepForward = 1010,
    kIdStepBack = 1011,
    kIdBits8 = 1012,
    kIdBits16 = 1013,

    // Status bar panes.
    kPaneAoi = 59145,
    kPaneFrame = 59146,
    kPaneTime = 59147,  // the frame's time from the trigger, after the caption
    kPanePosition = 59143,
    kPaneValue = 59144,
    kPaneKana = 59142,
    kPaneCaps = 59137,
    kPaneNum = 59138,
    kPaneScroll = 59139,
};

}  // namespace zel::gui
