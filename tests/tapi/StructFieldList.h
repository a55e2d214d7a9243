// Every structure tapi/own/ declares and every field of each, as X-macro
// lists, in declaration order. A field missing from our declaration fails to
// compile; one that is extra or moved shows up as a size or offset mismatch.
#pragma once

// clang-format off
#define ZAV_TAPI_STRUCTS(S) \
    S(SYSTEMTIME) S(VARSTRING) S(LINEDIALPARAMS) S(LINEEXTENSIONID) S(LINETERMCAPS) S(LINEDEVCAPS) \
    S(LINEDEVSTATUS) S(LINEAPPINFO) S(LINEADDRESSCAPS) S(LINECALLTREATMENTENTRY) S(LINEADDRESSSTATUS) \
    S(LINEFORWARD) S(LINEFORWARDLIST) S(LINECALLINFO) S(LINECALLSTATUS) S(LINECALLPARAMS) \
    S(LINEGENERATETONE) S(LINEMONITORTONE) S(LINEMEDIACONTROLDIGIT) S(LINEMEDIACONTROLMEDIA) \
    S(LINEMEDIACONTROLTONE) S(LINEMEDIACONTROLCALLSTATE) S(PHONECAPS) S(PHONESTATUS) S(PHONEEXTENSIONID) \
    S(PHONEBUTTONINFO) S(TUISPICREATEDIALOGINSTANCEPARAMS)

#define ZAV_TAPI_FIELDS_SYSTEMTIME(F) \
    F(SYSTEMTIME, wYear) F(SYSTEMTIME, wMonth) F(SYSTEMTIME, wDayOfWeek) F(SYSTEMTIME, wDay) \
    F(SYSTEMTIME, wHour) F(SYSTEMTIME, wMinute) F(SYSTEMTIME, wSecond) F(SYSTEMTIME, wMilliseconds)

#define ZAV_TAPI_FIELDS_VARSTRING(F) \
    F(VARSTRING, dwTotalSize) F(VARSTRING, dwNeededSize) F(VARSTRING, dwUsedSize) \
    F(VARSTRING, dwStringFormat) F(VARSTRING, dwStringSize) F(VARSTRING, dwStringOffset)

#define ZAV_TAPI_FIELDS_LINEDIALPARAMS(F) \
    F(LINEDIALPARAMS, dwDialPause) F(LINEDIALPARAMS, dwDialSpeed) F(LINEDIALPARAMS, dwDigitDuration) \
    F(LINEDIALPARAMS, dwWaitForDialtone)

#define ZAV_TAPI_FIELDS_LINEEXTENSIONID(F) \
    F(LINEEXTENSIONID, dwExtensionID0) F(LINEEXTENSIONID, dwExtensionID1) F(LINEEXTENSIONID, dwExtensionID2) \
    F(LINEEXTENSIONID, dwExtensionID3)

#define ZAV_TAPI_FIELDS_LINETERMCAPS(F) \
    F(LINETERMCAPS, dwTermDev) F(LINETERMCAPS, dwTermModes) F(LINETERMCAPS, dwTermSharing)

#define ZAV_TAPI_FIELDS_LINEDEVCAPS(F) \
    F(LINEDEVCAPS, dwTotalSize) F(LINEDEVCAPS, dwNeededSize) F(LINEDEVCAPS, dwUsedSize) \
    F(LINEDEVCAPS, dwProviderInfoSize) F(LINEDEVCAPS, dwProviderInfoOffset) F(LINEDEVCAPS, dwSwitchInfoSize) \
    F(LINEDEVCAPS, dwSwitchInfoOffset) F(LINEDEVCAPS, dwPermanentLineID) F(LINEDEVCAPS, dwLineNameSize) \
    F(LINEDEVCAPS, dwLineNameOffset) F(LINEDEVCAPS, dwStringFormat) F(LINEDEVCAPS, dwAddressModes) \
    F(LINEDEVCAPS, dwNumAddresses) F(LINEDEVCAPS, dwBearerModes) F(LINEDEVCAPS, dwMaxRate) \
    F(LINEDEVCAPS, dwMediaModes) F(LINEDEVCAPS, dwGenerateToneModes) \
    F(LINEDEVCAPS, dwGenerateToneMaxNumFreq) F(LINEDEVCAPS, dwGenerateDigitModes) \
    F(LINEDEVCAPS, dwMonitorToneMaxNumFreq) F(LINEDEVCAPS, dwMonitorToneMaxNumEntries) \
    F(LINEDEVCAPS, dwMonitorDigitModes) F(LINEDEVCAPS, dwGatherDigitsMinTimeout) \
    F(LINEDEVCAPS, dwGatherDigitsMaxTimeout) F(LINEDEVCAPS, dwMedCtlDigitMaxListSize) \
    F(LINEDEVCAPS, dwMedCtlMediaMaxListSize) F(LINEDEVCAPS, dwMedCtlToneMaxListSize) \
    F(LINEDEVCAPS, dwMedCtlCallStateMaxListSize) F(LINEDEVCAPS, dwDevCapFlags) \
    F(LINEDEVCAPS, dwMaxNumActiveCalls) F(LINEDEVCAPS, dwAnswerMode) F(LINEDEVCAPS, dwRingModes) \
    F(LINEDEVCAPS, dwLineStates) F(LINEDEVCAPS, dwUUIAcceptSize) F(LINEDEVCAPS, dwUUIAnswerSize) \
    F(LINEDEVCAPS, dwUUIMakeCallSize) F(LINEDEVCAPS, dwUUIDropSize) \
    F(LINEDEVCAPS, dwUUISendUserUserInfoSize) F(LINEDEVCAPS, dwUUICallInfoSize) \
    F(LINEDEVCAPS, MinDialParams) F(LINEDEVCAPS, MaxDialParams) F(LINEDEVCAPS, DefaultDialParams) \
    F(LINEDEVCAPS, dwNumTerminals) F(LINEDEVCAPS, dwTerminalCapsSize) F(LINEDEVCAPS, dwTerminalCapsOffset) \
    F(LINEDEVCAPS, dwTerminalTextEntrySize) F(LINEDEVCAPS, dwTerminalTextSize) \
    F(LINEDEVCAPS, dwTerminalTextOffset) F(LINEDEVCAPS, dwDevSpecificSize) \
    F(LINEDEVCAPS, dwDevSpecificOffset) F(LINEDEVCAPS, dwLineFeatures) F(LINEDEVCAPS, dwSettableDevStatus) \
    F(LINEDEVCAPS, dwDeviceClassesSize) F(LINEDEVCAPS, dwDeviceClassesOffset) \
    F(LINEDEVCAPS, PermanentLineGuid) F(LINEDEVCAPS, dwAddressTypes) F(LINEDEVCAPS, ProtocolGuid) \
    F(LINEDEVCAPS, dwAvailableTracking)

#define ZAV_TAPI_FIELDS_LINEDEVSTATUS(F) \
    F(LINEDEVSTATUS, dwTotalSize) F(LINEDEVSTATUS, dwNeededSize) F(LINEDEVSTATUS, dwUsedSize) \
    F(LINEDEVSTATUS, dwNumOpens) F(LINEDEVSTATUS, dwOpenMediaModes) F(LINEDEVSTATUS, dwNumActiveCalls) \
    F(LINEDEVSTATUS, dwNumOnHoldCalls) F(LINEDEVSTATUS, dwNumOnHoldPendCalls) \
    F(LINEDEVSTATUS, dwLineFeatures) F(LINEDEVSTATUS, dwNumCallCompletions) F(LINEDEVSTATUS, dwRingMode) \
    F(LINEDEVSTATUS, dwSignalLevel) F(LINEDEVSTATUS, dwBatteryLevel) F(LINEDEVSTATUS, dwRoamMode) \
    F(LINEDEVSTATUS, dwDevStatusFlags) F(LINEDEVSTATUS, dwTerminalModesSize) \
    F(LINEDEVSTATUS, dwTerminalModesOffset) F(LINEDEVSTATUS, dwDevSpecificSize) \
    F(LINEDEVSTATUS, dwDevSpecificOffset) F(LINEDEVSTATUS, dwAvailableMediaModes) \
    F(LINEDEVSTATUS, dwAppInfoSize) F(LINEDEVSTATUS, dwAppInfoOffset)

#define ZAV_TAPI_FIELDS_LINEAPPINFO(F) \
    F(LINEAPPINFO, dwMachineNameSize) F(LINEAPPINFO, dwMachineNameOffset) F(LINEAPPINFO, dwUserNameSize) \
    F(LINEAPPINFO, dwUserNameOffset) F(LINEAPPINFO, dwModuleFilenameSize) \
    F(LINEAPPINFO, dwModuleFilenameOffset) F(LINEAPPINFO, dwFriendlyNameSize) \
    F(LINEAPPINFO, dwFriendlyNameOffset) F(LINEAPPINFO, dwMediaModes) F(LINEAPPINFO, dwAddressID)

#define ZAV_TAPI_FIELDS_LINEADDRESSCAPS(F) \
    F(LINEADDRESSCAPS, dwTotalSize) F(LINEADDRESSCAPS, dwNeededSize) F(LINEADDRESSCAPS, dwUsedSize) \
    F(LINEADDRESSCAPS, dwLineDeviceID) F(LINEADDRESSCAPS, dwAddressSize) F(LINEADDRESSCAPS, dwAddressOffset) \
    F(LINEADDRESSCAPS, dwDevSpecificSize) F(LINEADDRESSCAPS, dwDevSpecificOffset) \
    F(LINEADDRESSCAPS, dwAddressSharing) F(LINEADDRESSCAPS, dwAddressStates) \
    F(LINEADDRESSCAPS, dwCallInfoStates) F(LINEADDRESSCAPS, dwCallerIDFlags) \
    F(LINEADDRESSCAPS, dwCalledIDFlags) F(LINEADDRESSCAPS, dwConnectedIDFlags) \
    F(LINEADDRESSCAPS, dwRedirectionIDFlags) F(LINEADDRESSCAPS, dwRedirectingIDFlags) \
    F(LINEADDRESSCAPS, dwCallStates) F(LINEADDRESSCAPS, dwDialToneModes) F(LINEADDRESSCAPS, dwBusyModes) \
    F(LINEADDRESSCAPS, dwSpecialInfo) F(LINEADDRESSCAPS, dwDisconnectModes) \
    F(LINEADDRESSCAPS, dwMaxNumActiveCalls) F(LINEADDRESSCAPS, dwMaxNumOnHoldCalls) \
    F(LINEADDRESSCAPS, dwMaxNumOnHoldPendingCalls) F(LINEADDRESSCAPS, dwMaxNumConference) \
    F(LINEADDRESSCAPS, dwMaxNumTransConf) F(LINEADDRESSCAPS, dwAddrCapFlags) \
    F(LINEADDRESSCAPS, dwCallFeatures) F(LINEADDRESSCAPS, dwRemoveFromConfCaps) \
    F(LINEADDRESSCAPS, dwRemoveFromConfState) F(LINEADDRESSCAPS, dwTransferModes) \
    F(LINEADDRESSCAPS, dwParkModes) F(LINEADDRESSCAPS, dwForwardModes) \
    F(LINEADDRESSCAPS, dwMaxForwardEntries) F(LINEADDRESSCAPS, dwMaxSpecificEntries) \
    F(LINEADDRESSCAPS, dwMinFwdNumRings) F(LINEADDRESSCAPS, dwMaxFwdNumRings) \
    F(LINEADDRESSCAPS, dwMaxCallCompletions) F(LINEADDRESSCAPS, dwCallCompletionConds) \
    F(LINEADDRESSCAPS, dwCallCompletionModes) F(LINEADDRESSCAPS, dwNumCompletionMessages) \
    F(LINEADDRESSCAPS, dwCompletionMsgTextEntrySize) F(LINEADDRESSCAPS, dwCompletionMsgTextSize) \
    F(LINEADDRESSCAPS, dwCompletionMsgTextOffset) F(LINEADDRESSCAPS, dwAddressFeatures) \
    F(LINEADDRESSCAPS, dwPredictiveAutoTransferStates) F(LINEADDRESSCAPS, dwNumCallTreatments) \
    F(LINEADDRESSCAPS, dwCallTreatmentListSize) F(LINEADDRESSCAPS, dwCallTreatmentListOffset) \
    F(LINEADDRESSCAPS, dwDeviceClassesSize) F(LINEADDRESSCAPS, dwDeviceClassesOffset) \
    F(LINEADDRESSCAPS, dwMaxCallDataSize) F(LINEADDRESSCAPS, dwCallFeatures2) \
    F(LINEADDRESSCAPS, dwMaxNoAnswerTimeout) F(LINEADDRESSCAPS, dwConnectedModes) \
    F(LINEADDRESSCAPS, dwOfferingModes) F(LINEADDRESSCAPS, dwAvailableMediaModes)

#define ZAV_TAPI_FIELDS_LINECALLTREATMENTENTRY(F) \
    F(LINECALLTREATMENTENTRY, dwCallTreatmentID) F(LINECALLTREATMENTENTRY, dwCallTreatmentNameSize) \
    F(LINECALLTREATMENTENTRY, dwCallTreatmentNameOffset)

#define ZAV_TAPI_FIELDS_LINEADDRESSSTATUS(F) \
    F(LINEADDRESSSTATUS, dwTotalSize) F(LINEADDRESSSTATUS, dwNeededSize) F(LINEADDRESSSTATUS, dwUsedSize) \
    F(LINEADDRESSSTATUS, dwNumInUse) F(LINEADDRESSSTATUS, dwNumActiveCalls) \
    F(LINEADDRESSSTATUS, dwNumOnHoldCalls) F(LINEADDRESSSTATUS, dwNumOnHoldPendCalls) \
    F(LINEADDRESSSTATUS, dwAddressFeatures) F(LINEADDRESSSTATUS, dwNumRingsNoAnswer) \
    F(LINEADDRESSSTATUS, dwForwardNumEntries) F(LINEADDRESSSTATUS, dwForwardSize) \
    F(LINEADDRESSSTATUS, dwForwardOffset) F(LINEADDRESSSTATUS, dwTerminalModesSize) \
    F(LINEADDRESSSTATUS, dwTerminalModesOffset) F(LINEADDRESSSTATUS, dwDevSpecificSize) \
    F(LINEADDRESSSTATUS, dwDevSpecificOffset)

#define ZAV_TAPI_FIELDS_LINEFORWARD(F) \
    F(LINEFORWARD, dwForwardMode) F(LINEFORWARD, dwCallerAddressSize) F(LINEFORWARD, dwCallerAddressOffset) \
    F(LINEFORWARD, dwDestCountryCode) F(LINEFORWARD, dwDestAddressSize) F(LINEFORWARD, dwDestAddressOffset) \
    F(LINEFORWARD, dwCallerAddressType) F(LINEFORWARD, dwDestAddressType)

#define ZAV_TAPI_FIELDS_LINEFORWARDLIST(F) \
    F(LINEFORWARDLIST, dwTotalSize) F(LINEFORWARDLIST, dwNumEntries) F(LINEFORWARDLIST, ForwardList)

#define ZAV_TAPI_FIELDS_LINECALLINFO(F) \
    F(LINECALLINFO, dwTotalSize) F(LINECALLINFO, dwNeededSize) F(LINECALLINFO, dwUsedSize) \
    F(LINECALLINFO, hLine) F(LINECALLINFO, dwLineDeviceID) F(LINECALLINFO, dwAddressID) \
    F(LINECALLINFO, dwBearerMode) F(LINECALLINFO, dwRate) F(LINECALLINFO, dwMediaMode) \
    F(LINECALLINFO, dwAppSpecific) F(LINECALLINFO, dwCallID) F(LINECALLINFO, dwRelatedCallID) \
    F(LINECALLINFO, dwCallParamFlags) F(LINECALLINFO, dwCallStates) F(LINECALLINFO, dwMonitorDigitModes) \
    F(LINECALLINFO, dwMonitorMediaModes) F(LINECALLINFO, DialParams) F(LINECALLINFO, dwOrigin) \
    F(LINECALLINFO, dwReason) F(LINECALLINFO, dwCompletionID) F(LINECALLINFO, dwNumOwners) \
    F(LINECALLINFO, dwNumMonitors) F(LINECALLINFO, dwCountryCode) F(LINECALLINFO, dwTrunk) \
    F(LINECALLINFO, dwCallerIDFlags) F(LINECALLINFO, dwCallerIDSize) F(LINECALLINFO, dwCallerIDOffset) \
    F(LINECALLINFO, dwCallerIDNameSize) F(LINECALLINFO, dwCallerIDNameOffset) \
    F(LINECALLINFO, dwCalledIDFlags) F(LINECALLINFO, dwCalledIDSize) F(LINECALLINFO, dwCalledIDOffset) \
    F(LINECALLINFO, dwCalledIDNameSize) F(LINECALLINFO, dwCalledIDNameOffset) \
    F(LINECALLINFO, dwConnectedIDFlags) F(LINECALLINFO, dwConnectedIDSize) \
    F(LINECALLINFO, dwConnectedIDOffset) F(LINECALLINFO, dwConnectedIDNameSize) \
    F(LINECALLINFO, dwConnectedIDNameOffset) F(LINECALLINFO, dwRedirectionIDFlags) \
    F(LINECALLINFO, dwRedirectionIDSize) F(LINECALLINFO, dwRedirectionIDOffset) \
    F(LINECALLINFO, dwRedirectionIDNameSize) F(LINECALLINFO, dwRedirectionIDNameOffset) \
    F(LINECALLINFO, dwRedirectingIDFlags) F(LINECALLINFO, dwRedirectingIDSize) \
    F(LINECALLINFO, dwRedirectingIDOffset) F(LINECALLINFO, dwRedirectingIDNameSize) \
    F(LINECALLINFO, dwRedirectingIDNameOffset) F(LINECALLINFO, dwAppNameSize) \
    F(LINECALLINFO, dwAppNameOffset) F(LINECALLINFO, dwDisplayableAddressSize) \
    F(LINECALLINFO, dwDisplayableAddressOffset) F(LINECALLINFO, dwCalledPartySize) \
    F(LINECALLINFO, dwCalledPartyOffset) F(LINECALLINFO, dwCommentSize) F(LINECALLINFO, dwCommentOffset) \
    F(LINECALLINFO, dwDisplaySize) F(LINECALLINFO, dwDisplayOffset) F(LINECALLINFO, dwUserUserInfoSize) \
    F(LINECALLINFO, dwUserUserInfoOffset) F(LINECALLINFO, dwHighLevelCompSize) \
    F(LINECALLINFO, dwHighLevelCompOffset) F(LINECALLINFO, dwLowLevelCompSize) \
    F(LINECALLINFO, dwLowLevelCompOffset) F(LINECALLINFO, dwChargingInfoSize) \
    F(LINECALLINFO, dwChargingInfoOffset) F(LINECALLINFO, dwTerminalModesSize) \
    F(LINECALLINFO, dwTerminalModesOffset) F(LINECALLINFO, dwDevSpecificSize) \
    F(LINECALLINFO, dwDevSpecificOffset) F(LINECALLINFO, dwCallTreatment) F(LINECALLINFO, dwCallDataSize) \
    F(LINECALLINFO, dwCallDataOffset) F(LINECALLINFO, dwSendingFlowspecSize) \
    F(LINECALLINFO, dwSendingFlowspecOffset) F(LINECALLINFO, dwReceivingFlowspecSize) \
    F(LINECALLINFO, dwReceivingFlowspecOffset) F(LINECALLINFO, dwCallerIDAddressType) \
    F(LINECALLINFO, dwCalledIDAddressType) F(LINECALLINFO, dwConnectedIDAddressType) \
    F(LINECALLINFO, dwRedirectionIDAddressType) F(LINECALLINFO, dwRedirectingIDAddressType)

#define ZAV_TAPI_FIELDS_LINECALLSTATUS(F) \
    F(LINECALLSTATUS, dwTotalSize) F(LINECALLSTATUS, dwNeededSize) F(LINECALLSTATUS, dwUsedSize) \
    F(LINECALLSTATUS, dwCallState) F(LINECALLSTATUS, dwCallStateMode) F(LINECALLSTATUS, dwCallPrivilege) \
    F(LINECALLSTATUS, dwCallFeatures) F(LINECALLSTATUS, dwDevSpecificSize) \
    F(LINECALLSTATUS, dwDevSpecificOffset) F(LINECALLSTATUS, dwCallFeatures2) \
    F(LINECALLSTATUS, tStateEntryTime)

#define ZAV_TAPI_FIELDS_LINECALLPARAMS(F) \
    F(LINECALLPARAMS, dwTotalSize) F(LINECALLPARAMS, dwBearerMode) F(LINECALLPARAMS, dwMinRate) \
    F(LINECALLPARAMS, dwMaxRate) F(LINECALLPARAMS, dwMediaMode) F(LINECALLPARAMS, dwCallParamFlags) \
    F(LINECALLPARAMS, dwAddressMode) F(LINECALLPARAMS, dwAddressID) F(LINECALLPARAMS, DialParams) \
    F(LINECALLPARAMS, dwOrigAddressSize) F(LINECALLPARAMS, dwOrigAddressOffset) \
    F(LINECALLPARAMS, dwDisplayableAddressSize) F(LINECALLPARAMS, dwDisplayableAddressOffset) \
    F(LINECALLPARAMS, dwCalledPartySize) F(LINECALLPARAMS, dwCalledPartyOffset) \
    F(LINECALLPARAMS, dwCommentSize) F(LINECALLPARAMS, dwCommentOffset) \
    F(LINECALLPARAMS, dwUserUserInfoSize) F(LINECALLPARAMS, dwUserUserInfoOffset) \
    F(LINECALLPARAMS, dwHighLevelCompSize) F(LINECALLPARAMS, dwHighLevelCompOffset) \
    F(LINECALLPARAMS, dwLowLevelCompSize) F(LINECALLPARAMS, dwLowLevelCompOffset) \
    F(LINECALLPARAMS, dwDevSpecificSize) F(LINECALLPARAMS, dwDevSpecificOffset) \
    F(LINECALLPARAMS, dwPredictiveAutoTransferStates) F(LINECALLPARAMS, dwTargetAddressSize) \
    F(LINECALLPARAMS, dwTargetAddressOffset) F(LINECALLPARAMS, dwSendingFlowspecSize) \
    F(LINECALLPARAMS, dwSendingFlowspecOffset) F(LINECALLPARAMS, dwReceivingFlowspecSize) \
    F(LINECALLPARAMS, dwReceivingFlowspecOffset) F(LINECALLPARAMS, dwDeviceClassSize) \
    F(LINECALLPARAMS, dwDeviceClassOffset) F(LINECALLPARAMS, dwDeviceConfigSize) \
    F(LINECALLPARAMS, dwDeviceConfigOffset) F(LINECALLPARAMS, dwCallDataSize) \
    F(LINECALLPARAMS, dwCallDataOffset) F(LINECALLPARAMS, dwNoAnswerTimeout) \
    F(LINECALLPARAMS, dwCallingPartyIDSize) F(LINECALLPARAMS, dwCallingPartyIDOffset) \
    F(LINECALLPARAMS, dwAddressType)

#define ZAV_TAPI_FIELDS_LINEGENERATETONE(F) \
    F(LINEGENERATETONE, dwFrequency) F(LINEGENERATETONE, dwCadenceOn) F(LINEGENERATETONE, dwCadenceOff) \
    F(LINEGENERATETONE, dwVolume)

#define ZAV_TAPI_FIELDS_LINEMONITORTONE(F) \
    F(LINEMONITORTONE, dwAppSpecific) F(LINEMONITORTONE, dwDuration) F(LINEMONITORTONE, dwFrequency1) \
    F(LINEMONITORTONE, dwFrequency2) F(LINEMONITORTONE, dwFrequency3)

#define ZAV_TAPI_FIELDS_LINEMEDIACONTROLDIGIT(F) \
    F(LINEMEDIACONTROLDIGIT, dwDigit) F(LINEMEDIACONTROLDIGIT, dwDigitModes) \
    F(LINEMEDIACONTROLDIGIT, dwMediaControl)

#define ZAV_TAPI_FIELDS_LINEMEDIACONTROLMEDIA(F) \
    F(LINEMEDIACONTROLMEDIA, dwMediaModes) F(LINEMEDIACONTROLMEDIA, dwDuration) \
    F(LINEMEDIACONTROLMEDIA, dwMediaControl)

#define ZAV_TAPI_FIELDS_LINEMEDIACONTROLTONE(F) \
    F(LINEMEDIACONTROLTONE, dwAppSpecific) F(LINEMEDIACONTROLTONE, dwDuration) \
    F(LINEMEDIACONTROLTONE, dwFrequency1) F(LINEMEDIACONTROLTONE, dwFrequency2) \
    F(LINEMEDIACONTROLTONE, dwFrequency3) F(LINEMEDIACONTROLTONE, dwMediaControl)

#define ZAV_TAPI_FIELDS_LINEMEDIACONTROLCALLSTATE(F) \
    F(LINEMEDIACONTROLCALLSTATE, dwCallStates) F(LINEMEDIACONTROLCALLSTATE, dwMediaControl)

#define ZAV_TAPI_FIELDS_PHONECAPS(F) \
    F(PHONECAPS, dwTotalSize) F(PHONECAPS, dwNeededSize) F(PHONECAPS, dwUsedSize) \
    F(PHONECAPS, dwProviderInfoSize) F(PHONECAPS, dwProviderInfoOffset) F(PHONECAPS, dwPhoneInfoSize) \
    F(PHONECAPS, dwPhoneInfoOffset) F(PHONECAPS, dwPermanentPhoneID) F(PHONECAPS, dwPhoneNameSize) \
    F(PHONECAPS, dwPhoneNameOffset) F(PHONECAPS, dwStringFormat) F(PHONECAPS, dwPhoneStates) \
    F(PHONECAPS, dwHookSwitchDevs) F(PHONECAPS, dwHandsetHookSwitchModes) \
    F(PHONECAPS, dwSpeakerHookSwitchModes) F(PHONECAPS, dwHeadsetHookSwitchModes) \
    F(PHONECAPS, dwVolumeFlags) F(PHONECAPS, dwGainFlags) F(PHONECAPS, dwDisplayNumRows) \
    F(PHONECAPS, dwDisplayNumColumns) F(PHONECAPS, dwNumRingModes) F(PHONECAPS, dwNumButtonLamps) \
    F(PHONECAPS, dwButtonModesSize) F(PHONECAPS, dwButtonModesOffset) F(PHONECAPS, dwButtonFunctionsSize) \
    F(PHONECAPS, dwButtonFunctionsOffset) F(PHONECAPS, dwLampModesSize) F(PHONECAPS, dwLampModesOffset) \
    F(PHONECAPS, dwNumSetData) F(PHONECAPS, dwSetDataSize) F(PHONECAPS, dwSetDataOffset) \
    F(PHONECAPS, dwNumGetData) F(PHONECAPS, dwGetDataSize) F(PHONECAPS, dwGetDataOffset) \
    F(PHONECAPS, dwDevSpecificSize) F(PHONECAPS, dwDevSpecificOffset) F(PHONECAPS, dwDeviceClassesSize) \
    F(PHONECAPS, dwDeviceClassesOffset) F(PHONECAPS, dwPhoneFeatures) \
    F(PHONECAPS, dwSettableHandsetHookSwitchModes) F(PHONECAPS, dwSettableSpeakerHookSwitchModes) \
    F(PHONECAPS, dwSettableHeadsetHookSwitchModes) F(PHONECAPS, dwMonitoredHandsetHookSwitchModes) \
    F(PHONECAPS, dwMonitoredSpeakerHookSwitchModes) F(PHONECAPS, dwMonitoredHeadsetHookSwitchModes) \
    F(PHONECAPS, PermanentPhoneGuid)

#define ZAV_TAPI_FIELDS_PHONESTATUS(F) \
    F(PHONESTATUS, dwTotalSize) F(PHONESTATUS, dwNeededSize) F(PHONESTATUS, dwUsedSize) \
    F(PHONESTATUS, dwStatusFlags) F(PHONESTATUS, dwNumOwners) F(PHONESTATUS, dwNumMonitors) \
    F(PHONESTATUS, dwRingMode) F(PHONESTATUS, dwRingVolume) F(PHONESTATUS, dwHandsetHookSwitchMode) \
    F(PHONESTATUS, dwHandsetVolume) F(PHONESTATUS, dwHandsetGain) F(PHONESTATUS, dwSpeakerHookSwitchMode) \
    F(PHONESTATUS, dwSpeakerVolume) F(PHONESTATUS, dwSpeakerGain) F(PHONESTATUS, dwHeadsetHookSwitchMode) \
    F(PHONESTATUS, dwHeadsetVolume) F(PHONESTATUS, dwHeadsetGain) F(PHONESTATUS, dwDisplaySize) \
    F(PHONESTATUS, dwDisplayOffset) F(PHONESTATUS, dwLampModesSize) F(PHONESTATUS, dwLampModesOffset) \
    F(PHONESTATUS, dwOwnerNameSize) F(PHONESTATUS, dwOwnerNameOffset) F(PHONESTATUS, dwDevSpecificSize) \
    F(PHONESTATUS, dwDevSpecificOffset) F(PHONESTATUS, dwPhoneFeatures)

#define ZAV_TAPI_FIELDS_PHONEEXTENSIONID(F) \
    F(PHONEEXTENSIONID, dwExtensionID0) F(PHONEEXTENSIONID, dwExtensionID1) \
    F(PHONEEXTENSIONID, dwExtensionID2) F(PHONEEXTENSIONID, dwExtensionID3)

#define ZAV_TAPI_FIELDS_PHONEBUTTONINFO(F) \
    F(PHONEBUTTONINFO, dwTotalSize) F(PHONEBUTTONINFO, dwNeededSize) F(PHONEBUTTONINFO, dwUsedSize) \
    F(PHONEBUTTONINFO, dwButtonMode) F(PHONEBUTTONINFO, dwButtonFunction) \
    F(PHONEBUTTONINFO, dwButtonTextSize) F(PHONEBUTTONINFO, dwButtonTextOffset) \
    F(PHONEBUTTONINFO, dwDevSpecificSize) F(PHONEBUTTONINFO, dwDevSpecificOffset) \
    F(PHONEBUTTONINFO, dwButtonState)

#define ZAV_TAPI_FIELDS_TUISPICREATEDIALOGINSTANCEPARAMS(F) \
    F(TUISPICREATEDIALOGINSTANCEPARAMS, dwRequestID) F(TUISPICREATEDIALOGINSTANCEPARAMS, hdDlgInst) \
    F(TUISPICREATEDIALOGINSTANCEPARAMS, htDlgInst) F(TUISPICREATEDIALOGINSTANCEPARAMS, lpszUIDLLName) \
    F(TUISPICREATEDIALOGINSTANCEPARAMS, lpParams) F(TUISPICREATEDIALOGINSTANCEPARAMS, dwSize)

#define ZAV_TAPI_FIELDS(F) \
    ZAV_TAPI_FIELDS_SYSTEMTIME(F) ZAV_TAPI_FIELDS_VARSTRING(F) ZAV_TAPI_FIELDS_LINEDIALPARAMS(F) \
    ZAV_TAPI_FIELDS_LINEEXTENSIONID(F) ZAV_TAPI_FIELDS_LINETERMCAPS(F) ZAV_TAPI_FIELDS_LINEDEVCAPS(F) \
    ZAV_TAPI_FIELDS_LINEDEVSTATUS(F) ZAV_TAPI_FIELDS_LINEAPPINFO(F) ZAV_TAPI_FIELDS_LINEADDRESSCAPS(F) \
    ZAV_TAPI_FIELDS_LINECALLTREATMENTENTRY(F) ZAV_TAPI_FIELDS_LINEADDRESSSTATUS(F) \
    ZAV_TAPI_FIELDS_LINEFORWARD(F) ZAV_TAPI_FIELDS_LINEFORWARDLIST(F) ZAV_TAPI_FIELDS_LINECALLINFO(F) \
    ZAV_TAPI_FIELDS_LINECALLSTATUS(F) ZAV_TAPI_FIELDS_LINECALLPARAMS(F) ZAV_TAPI_FIELDS_LINEGENERATETONE(F) \
    ZAV_TAPI_FIELDS_LINEMONITORTONE(F) ZAV_TAPI_FIELDS_LINEMEDIACONTROLDIGIT(F) \
    ZAV_TAPI_FIELDS_LINEMEDIACONTROLMEDIA(F) ZAV_TAPI_FIELDS_LINEMEDIACONTROLTONE(F) \
    ZAV_TAPI_FIELDS_LINEMEDIACONTROLCALLSTATE(F) ZAV_TAPI_FIELDS_PHONECAPS(F) ZAV_TAPI_FIELDS_PHONESTATUS(F) \
    ZAV_TAPI_FIELDS_PHONEEXTENSIONID(F) ZAV_TAPI_FIELDS_PHONEBUTTONINFO(F) \
    ZAV_TAPI_FIELDS_TUISPICREATEDIALOGINSTANCEPARAMS(F)
// clang-format on
