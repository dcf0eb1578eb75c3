// The host's entry points, in the host's table order: the one list from which the
// function table, its binding and the test hosts' stubs are generated.
//
// Expand with two macros:
//   TYPED(name, returnType, parameterList)  for the entry points a run calls;
//   UNTYPED(name)                           for the others, which are bound but never called.
// The records named in the parameter lists are declared in host/hostRecords.h.
#pragma once

#define QUORVEL_HOST_ENTRY_POINTS(TYPED, UNTYPED) \
    /* Host version and paths */ \
    TYPED(zrGetVersionOfMorvaneZR, void, (int* major, int* minor, int* patch)) \
    UNTYPED(zrGetMorvaneZRPath) \
    UNTYPED(zrGetPluginsPath) \
    /* Log pane and dialogs */ \
    UNTYPED(zrShowLogPane) \
    TYPED(zrShowLogTab, void, ()) \
    TYPED(zrLogText, void, (const char* text)) \
    TYPED(zrMessageBox, void, (const char* text)) \
    TYPED(zrYesNoMessageBox, int, (const char* question)) \
    UNTYPED(zrGetIntegerInput) \
    TYPED(zrGetFloatInput, float, (const char* prompt, float initial, float lowest, float highest)) \
    UNTYPED(zrGetTextInput) \
    TYPED(zrGetOpenFileName, int, (const char* title, const char* initialDirectory, const char* filter, char* pathBuffer512)) \
    UNTYPED(zrGetSaveFileName) \
    /* Plots */ \
    UNTYPED(zrPlotPoints) \
    UNTYPED(zrAddPointsToPlot) \
    UNTYPED(zrPlotLine) \
    UNTYPED(zrAddLineToPlot) \
    UNTYPED(zrPlotBars) \
    UNTYPED(zrAddBarsToPlot) \
    UNTYPED(zrShowPlotAtPosition) \
    UNTYPED(zrResizePlot) \
    UNTYPED(zrSetBarPlotXAxisCategories) \
    UNTYPED(zrSetPlotXAxisRange) \
    UNTYPED(zrSetPlotYAxisRange) \
    UNTYPED(zrSetPlotTitle) \
    UNTYPED(zrSetPlotMarkerSizeAndColor) \
    UNTYPED(zrSetPlotLineSizeAndColor) \
    UNTYPED(zrSetPlotBarColors) \
    UNTYPED(zrSetPlotFontSizes) \
    UNTYPED(zrShowPlotLegend) \
    UNTYPED(zrSetPlotColorTheme) \
    /* Window and cursor */ \
    UNTYPED(zrUpdateActiveWindow) \
    UNTYPED(zrShowBusyCursor) \
    UNTYPED(zrStopBusyCursor) \
    /* Workspace documents */ \
    UNTYPED(zrGetNumberOfDocsInWorkspace) \
    UNTYPED(zrGetDocumentType) \
    UNTYPED(zrGetDocumentTypeName) \
    UNTYPED(zrGetIDOfCurrentDocument) \
    UNTYPED(zrSetAsCurrentDocument) \
    /* Volume tools */ \
    UNTYPED(zrCalculateIAMatrix) \
    UNTYPED(zrGetTRFParametersFromVolumeToolsDlg) \
    /* FMR documents */ \
    UNTYPED(zrGetHeaderOfCurrentFMR) \
    UNTYPED(zrSetHeaderOfCurrentFMR) \
    UNTYPED(zrGetSTCFloatDataOfCurrentFMR) \
    UNTYPED(zrGetSTCIntDataOfCurrentFMR) \
    UNTYPED(zrGetSTCDataOfCurrentFMR) \
    UNTYPED(zrSaveFMR) \
    UNTYPED(zrSaveFMRAndSTC) \
    UNTYPED(zrGetScannerPositionHeaderOfCurrentFMR) \
    UNTYPED(zrSetScannerPositionHeaderOfCurrentFMR) \
    /* DMR documents */ \
    UNTYPED(zrGetHeaderOfCurrentDMR) \
    UNTYPED(zrSetHeaderOfCurrentDMR) \
    UNTYPED(zrGetDWIFloatDataOfCurrentDMR) \
    UNTYPED(zrGetDWIIntDataOfCurrentDMR) \
    UNTYPED(zrGetDWIDataOfCurrentDMR) \
    UNTYPED(zrConvertDWIFormatOfCurrentDMR) \
    UNTYPED(zrSaveDMR) \
    UNTYPED(zrSaveDMRAndDWI) \
    /* FMR maps */ \
    UNTYPED(zrGetMAPOfCurrentFMR) \
    UNTYPED(zrSetMAPParametersOfCurrentFMR) \
    UNTYPED(zrDeleteMAPsOfCurrentFMR) \
    UNTYPED(zrLoadMAPsToCurrentFMR) \
    UNTYPED(zrSaveMAPsOfCurrentFMR) \
    UNTYPED(zrCreateMAPForCurrentFMR) \
    /* VMR documents */ \
    TYPED(zrGetCurrentVMR, void*, (int* dimX, int* dimY, int* dimZ)) \
    UNTYPED(zrGetMainHeaderOfCurrentVMR) \
    UNTYPED(zrSetMainHeaderOfCurrentVMR) \
    UNTYPED(zrGetScannerPositionHeaderOfCurrentVMR) \
    UNTYPED(zrSetScannerPositionHeaderOfCurrentVMR) \
    UNTYPED(zrGetPastTransformationsHeaderOfCurrentVMR) \
    UNTYPED(zrSetPastTransformationsHeaderOfCurrentVMR) \
    UNTYPED(zrReframeCurrentVMR) \
    UNTYPED(zrGetCrossPositionOfCurrentVMR) \
    /* V16 data of the VMR */ \
    UNTYPED(zrGetV16OfCurrentVMR) \
    UNTYPED(zrDetachV16FromCurrentVMR) \
    UNTYPED(zrLoadV16ToCurrentVMR) \
    UNTYPED(zrSaveV16OfCurrentVMR) \
    UNTYPED(zrConvertV16ToVMR) \
    /* NR volume maps */ \
    UNTYPED(zrGetNRVMPsOfCurrentVMR) \
    UNTYPED(zrGetNRVMPOfCurrentVMR) \
    UNTYPED(zrSetNRVMPParametersOfCurrentVMR) \
    UNTYPED(zrLoadNRVMPsToCurrentVMR) \
    UNTYPED(zrAddNRVMPsToCurrentVMR) \
    UNTYPED(zrSaveNRVMPsOfCurrentVMR) \
    UNTYPED(zrCreateNRVMPsForCurrentVMR) \
    UNTYPED(zrDeleteNRVMPsOfCurrentVMR) \
    UNTYPED(zrDeleteNRVMPMap) \
    UNTYPED(zrSetNRVMPsParamsDisplayRange) \
    /* AR volume maps */ \
    UNTYPED(zrGetARVMPsOfCurrentVMR) \
    UNTYPED(zrGetARVMPOfCurrentVMR) \
    UNTYPED(zrSetARVMPParametersOfCurrentVMR) \
    UNTYPED(zrLoadARVMPsToCurrentVMR) \
    UNTYPED(zrSaveARVMPsOfCurrentVMR) \
    UNTYPED(zrCreateARVMPsForCurrentVMR) \
    UNTYPED(zrDeleteARVMPsOfCurrentVMR) \
    /* VTC of the VMR */ \
    TYPED(zrLinkVTCToCurrentVMR, int, (const char* vtcPath, int mode)) \
    UNTYPED(zrCreateVTCForCurrentVMR) \
    TYPED(zrGetHeaderOfVTCOfCurrentVMR, int, (VtcHeader* header)) \
    TYPED(zrSetHeaderOfVTCOfCurrentVMR, int, (VtcHeader* header)) \
    UNTYPED(zrSetVTCParametersOfCurrentVMR) \
    UNTYPED(zrGetVTCFloatDataOfCurrentVMR) \
    UNTYPED(zrGetVTCIntDataOfCurrentVMR) \
    UNTYPED(zrGetVTCOfCurrentVMR) \
    TYPED(zrSaveVTCOfCurrentVMR, int, (const char* vtcPath)) \
    /* Multi-VTC analysis and voxel time courses */ \
    UNTYPED(zrClearMultiVTCAnalysis) \
    UNTYPED(zrAddVTCRefForMultiVTCAnalysis) \
    UNTYPED(zrGetVoxelTimeCourseOfVTC) \
    UNTYPED(zrGetVoxelTimeCourseOfVTCs) \
    UNTYPED(zrGetVoxelCoordsTimeCourseOfVTC) \
    UNTYPED(zrGetVoxelCoordsTimeCourseOfVTCs) \
    /* GLM, mask and scene */ \
    UNTYPED(zrGetGLMOfCurrentVMR) \
    UNTYPED(zrLoadMaskToCurrentVMR) \
    UNTYPED(zrGetMaskOfCurrentVMR) \
    UNTYPED(zrGetScene) \
    /* Surfaces */ \
    UNTYPED(zrLoadSRF) \
    UNTYPED(zrAddSRF) \
    UNTYPED(zrRemoveCurrentSRF) \
    UNTYPED(zrGetCurrentSRF) \
    UNTYPED(zrReleaseSRFAccess) \
    UNTYPED(zrSaveCurrentSRF) \
    UNTYPED(zrSetCurrentSRF) \
    /* Surface maps */ \
    UNTYPED(zrGetSMPsOfCurrentSRF) \
    UNTYPED(zrGetSMPOfCurrentSRF) \
    UNTYPED(zrSetSMPParametersOfCurrentSRF) \
    UNTYPED(zrLoadSMPsToCurrentSRF) \
    UNTYPED(zrSaveSMPsOfCurrentSRF) \
    UNTYPED(zrCreateSMPForCurrentSRF) \
    UNTYPED(zrDeleteSMPsOfCurrentSRF) \
    UNTYPED(zrOverlaySMPsOnSRF) \
    /* Mesh time courses */ \
    UNTYPED(zrLinkMTCToCurrentSRF) \
    UNTYPED(zrCreateMTCForCurrentSRF) \
    UNTYPED(zrGetMTCOfCurrentSRF) \
    UNTYPED(zrSetMTCParametersOfCurrentSRF) \
    UNTYPED(zrSaveMTCOfCurrentSRF) \
    UNTYPED(zrClearMultiMTCRefsOfCurrentSRF) \
    UNTYPED(zrAddMultiMTCRefToCurrentSRF) \
    UNTYPED(zrGetVertexTimeCourseOfMTC) \
    UNTYPED(zrGetVertexTimeCourseOfAllMTCs) \
    /* Surface-to-surface mappings */ \
    UNTYPED(zrGetSSMOfCurrentSRF) \
    UNTYPED(zrLoadSSMToCurrentSRF) \
    UNTYPED(zrSaveSSMOfCurrentSRF) \
    UNTYPED(zrCreateSSMForCurrentSRF) \
    UNTYPED(zrDeleteSSMOfCurrentSRF) \
    /* Stimulation protocol */ \
    TYPED(zrClearProtocol, void, (bool flag)) \
    UNTYPED(zrLoadProtocol) \
    UNTYPED(zrSaveProtocol) \
    TYPED(zrGetProtocol, int, (ProtocolRecord* protocol)) \
    UNTYPED(zrSetProtocol) \
    TYPED(zrGetProtocolCondition, int, (int index, ProtocolConditionRecord* condition)) \
    UNTYPED(zrAddProtocolCondition) \
    UNTYPED(zrAddProtocolConditionInterval) \
    /* Design matrix */ \
    TYPED(zrClearDesignMatrix, int, ()) \
    TYPED(zrAddPredictor, int, (const char* name)) \
    UNTYPED(zrSetPredictorValuesFromCondition) \
    TYPED(zrSetPredictorValuesFromConditionName, int, (const char* predictorName, const char* conditionName, float value)) \
    UNTYPED(zrApplyTwoGammaHRFToPredictor) \
    TYPED(zrApplyTwoGammaHRFToPredictorWithName, int, (const char* predictorName)) \
    UNTYPED(zrApplyBoyntonHRFToPredictor) \
    TYPED(zrApplyBoyntonHRFToPredictorWithName, int, (const char* predictorName)) \
    TYPED(zrGetPredictor, float*, (int index)) \
    UNTYPED(zrGetPredictorByName) \
    UNTYPED(zrLoadSingleStudyGLMDesignMatrix) \
    TYPED(zrSaveSingleStudyGLMDesignMatrix, int, (const char* sdmPath)) \
    /* Regions and patches of interest */ \
    UNTYPED(zrLoadVOIs) \
    UNTYPED(zrSaveVOIs) \
    UNTYPED(zrGetVOIs) \
    UNTYPED(zrGetVOI) \
    UNTYPED(zrLoadPOIs) \
    UNTYPED(zrSavePOIs) \
    UNTYPED(zrGetPOIs) \
    UNTYPED(zrGetPOI) \
    /* Named parameters */ \
    UNTYPED(zrGetStringParameter) \
    UNTYPED(zrGetIntParameter) \
    UNTYPED(zrGetFloatParameter) \
    UNTYPED(zrSetStringParameter) \
    UNTYPED(zrSetIntParameter) \
    UNTYPED(zrSetFloatParameter) \
    /* Dialog parameters */ \
    UNTYPED(zrGetDlgStringParameter) \
    UNTYPED(zrGetDlgIntegerParameter) \
    UNTYPED(zrGetDlgFloatParameter) \
    UNTYPED(zrSetDlgStringOutputParameter) \
    UNTYPED(zrSetDlgIntegerOutputParameter) \
    UNTYPED(zrSetDlgFloatOutputParameter) \
    /* Component analysis */ \
    UNTYPED(zrLaunchICADialog)
