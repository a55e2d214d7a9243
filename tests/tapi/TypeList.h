// The TAPI and TSPI types and exported functions that tapi/own/ declares, as
// X-macro lists. The tests compare each one's complete type with the system
// headers' (std::type_info names), so a parameter of the wrong width,
// signedness, constness or handle kind, or in the wrong place, is caught.
#pragma once

// clang-format off
#define ZAV_TAPI_TYPES(X) \
    X(HCALL) X(LPHCALL) X(HLINE) X(LPHLINE) X(HPHONE) X(LPHPHONE) X(HLINEAPP) X(LPHLINEAPP) X(HPHONEAPP) \
    X(LPHPHONEAPP) X(LPHICON) X(HDRVCALL) X(HDRVLINE) X(HDRVPHONE) X(HDRVDIALOGINSTANCE) X(LPHDRVCALL) \
    X(LPHDRVLINE) X(LPHDRVPHONE) X(LPHDRVDIALOGINSTANCE) X(HTAPICALL) X(HTAPILINE) X(HTAPIPHONE) \
    X(HTAPIDIALOGINSTANCE) X(LPHTAPICALL) X(LPHTAPILINE) X(LPHTAPIPHONE) X(LPHTAPIDIALOGINSTANCE) \
    X(HPROVIDER) X(LPHPROVIDER) X(DRV_REQUESTID) X(ASYNC_COMPLETION) X(LINEEVENT) X(PHONEEVENT) \
    X(TUISPIDLLCALLBACK) X(LPVARSTRING) X(LPLINEDIALPARAMS) X(LPLINEEXTENSIONID) X(LPLINETERMCAPS) \
    X(LPLINEDEVCAPS) X(LPLINEDEVSTATUS) X(LPLINEAPPINFO) X(LPLINEADDRESSCAPS) X(LPLINECALLTREATMENTENTRY) \
    X(LPLINEADDRESSSTATUS) X(LPLINEFORWARD) X(LPLINEFORWARDLIST) X(LPLINECALLINFO) X(LPLINECALLSTATUS) \
    X(LPLINECALLPARAMS) X(LPLINEGENERATETONE) X(LPLINEMONITORTONE) X(LPLINEMEDIACONTROLDIGIT) \
    X(LPLINEMEDIACONTROLMEDIA) X(LPLINEMEDIACONTROLTONE) X(LPLINEMEDIACONTROLCALLSTATE) X(LPPHONECAPS) \
    X(LPPHONESTATUS) X(LPPHONEEXTENSIONID) X(LPPHONEBUTTONINFO) X(LPTUISPICREATEDIALOGINSTANCEPARAMS)

#define ZAV_TSPI_FUNCTIONS(X) \
    X(TSPI_lineAccept) X(TSPI_lineAddToConference) X(TSPI_lineAnswer) X(TSPI_lineBlindTransfer) \
    X(TSPI_lineClose) X(TSPI_lineCloseCall) X(TSPI_lineCompleteCall) X(TSPI_lineCompleteTransfer) \
    X(TSPI_lineConditionalMediaDetection) X(TSPI_lineDevSpecific) X(TSPI_lineDevSpecificFeature) \
    X(TSPI_lineDial) X(TSPI_lineDrop) X(TSPI_lineDropOnClose) X(TSPI_lineDropNoOwner) X(TSPI_lineForward) \
    X(TSPI_lineGatherDigits) X(TSPI_lineGenerateDigits) X(TSPI_lineGenerateTone) X(TSPI_lineGetAddressCaps) \
    X(TSPI_lineGetAddressID) X(TSPI_lineGetAddressStatus) X(TSPI_lineGetCallAddressID) \
    X(TSPI_lineGetCallInfo) X(TSPI_lineGetCallStatus) X(TSPI_lineGetDevCaps) X(TSPI_lineGetDevConfig) \
    X(TSPI_lineGetExtensionID) X(TSPI_lineGetIcon) X(TSPI_lineGetID) X(TSPI_lineGetLineDevStatus) \
    X(TSPI_lineGetNumAddressIDs) X(TSPI_lineHold) X(TSPI_lineMakeCall) X(TSPI_lineMonitorDigits) \
    X(TSPI_lineMonitorMedia) X(TSPI_lineMonitorTones) X(TSPI_lineNegotiateExtVersion) \
    X(TSPI_lineNegotiateTSPIVersion) X(TSPI_lineOpen) X(TSPI_linePark) X(TSPI_linePickup) \
    X(TSPI_linePrepareAddToConference) X(TSPI_lineRedirect) X(TSPI_lineReleaseUserUserInfo) \
    X(TSPI_lineRemoveFromConference) X(TSPI_lineSecureCall) X(TSPI_lineSelectExtVersion) \
    X(TSPI_lineSendUserUserInfo) X(TSPI_lineSetAppSpecific) X(TSPI_lineSetCallData) \
    X(TSPI_lineSetCallParams) X(TSPI_lineSetCallQualityOfService) X(TSPI_lineSetCallTreatment) \
    X(TSPI_lineSetCurrentLocation) X(TSPI_lineSetDefaultMediaDetection) X(TSPI_lineSetDevConfig) \
    X(TSPI_lineSetLineDevStatus) X(TSPI_lineSetMediaControl) X(TSPI_lineSetMediaMode) \
    X(TSPI_lineSetStatusMessages) X(TSPI_lineSetTerminal) X(TSPI_lineSetupConference) \
    X(TSPI_lineSetupTransfer) X(TSPI_lineSwapHold) X(TSPI_lineUncompleteCall) X(TSPI_lineUnhold) \
    X(TSPI_lineUnpark) X(TSPI_phoneClose) X(TSPI_phoneDevSpecific) X(TSPI_phoneGetButtonInfo) \
    X(TSPI_phoneGetData) X(TSPI_phoneGetDevCaps) X(TSPI_phoneGetDisplay) X(TSPI_phoneGetExtensionID) \
    X(TSPI_phoneGetGain) X(TSPI_phoneGetHookSwitch) X(TSPI_phoneGetIcon) X(TSPI_phoneGetID) \
    X(TSPI_phoneGetLamp) X(TSPI_phoneGetRing) X(TSPI_phoneGetStatus) X(TSPI_phoneGetVolume) \
    X(TSPI_phoneNegotiateExtVersion) X(TSPI_phoneNegotiateTSPIVersion) X(TSPI_phoneOpen) \
    X(TSPI_phoneSelectExtVersion) X(TSPI_phoneSetButtonInfo) X(TSPI_phoneSetData) X(TSPI_phoneSetDisplay) \
    X(TSPI_phoneSetGain) X(TSPI_phoneSetHookSwitch) X(TSPI_phoneSetLamp) X(TSPI_phoneSetRing) \
    X(TSPI_phoneSetStatusMessages) X(TSPI_phoneSetVolume) X(TSPI_providerConfig) \
    X(TSPI_providerCreateLineDevice) X(TSPI_providerCreatePhoneDevice) X(TSPI_providerEnumDevices) \
    X(TSPI_providerFreeDialogInstance) X(TSPI_providerGenericDialogData) X(TSPI_providerInit) \
    X(TSPI_providerInstall) X(TSPI_providerRemove) X(TSPI_providerShutdown) X(TSPI_providerUIIdentify) \
    X(TUISPI_lineConfigDialog) X(TUISPI_lineConfigDialogEdit) X(TUISPI_providerConfig) \
    X(TUISPI_providerGenericDialog) X(TUISPI_providerGenericDialogData) X(TUISPI_providerInstall) \
    X(TUISPI_providerRemove)
// clang-format on
