// Prototypes of the functions the provider exports, with the parameter types
// and order of the MinGW-w64 tspi.h, so that the provider's definitions are
// checked against them on targets without the system headers. Text
// parameters are UTF-16 (LPCWSTR), user-to-user information is bytes (LPCSTR).
// Needs the base types, handles, structures and TSPI types (tapi/own/).
#pragma once

#ifndef TSPIAPI
#define TSPIAPI
#endif

extern "C" {

// Line devices and calls
LONG TSPIAPI TSPI_lineAccept(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, LPCSTR lpsUserUserInfo,
                             DWORD dwSize);
LONG TSPIAPI TSPI_lineAddToConference(DRV_REQUESTID dwRequestID, HDRVCALL hdConfCall, HDRVCALL hdConsultCall);
LONG TSPIAPI TSPI_lineAnswer(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, LPCSTR lpsUserUserInfo,
                             DWORD dwSize);
LONG TSPIAPI TSPI_lineBlindTransfer(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, LPCWSTR lpszDestAddress,
                                    DWORD dwCountryCode);
LONG TSPIAPI TSPI_lineClose(HDRVLINE hdLine);
LONG TSPIAPI TSPI_lineCloseCall(HDRVCALL hdCall);
LONG TSPIAPI TSPI_lineCompleteCall(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, LPDWORD lpdwCompletionID,
                                   DWORD dwCompletionMode, DWORD dwMessageID);
LONG TSPIAPI TSPI_lineCompleteTransfer(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, HDRVCALL hdConsultCall,
                                       HTAPICALL htConfCall, LPHDRVCALL lphdConfCall, DWORD dwTransferMode);
LONG TSPIAPI TSPI_lineConditionalMediaDetection(HDRVLINE hdLine, DWORD dwMediaModes,
                                                LPLINECALLPARAMS const lpCallParams);
LONG TSPIAPI TSPI_lineDevSpecific(DRV_REQUESTID dwRequestID, HDRVLINE hdLine, DWORD dwAddressID,
                                  HDRVCALL hdCall, LPVOID lpParams, DWORD dwSize);
LONG TSPIAPI TSPI_lineDevSpecificFeature(DRV_REQUESTID dwRequestID, HDRVLINE hdLine, DWORD dwFeature,
                                         LPVOID lpParams, DWORD dwSize);
LONG TSPIAPI TSPI_lineDial(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, LPCWSTR lpszDestAddress,
                           DWORD dwCountryCode);
LONG TSPIAPI TSPI_lineDrop(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, LPCSTR lpsUserUserInfo, DWORD dwSize);
LONG TSPIAPI TSPI_lineDropOnClose(HDRVCALL hdCall);
LONG TSPIAPI TSPI_lineDropNoOwner(HDRVCALL hdCall);
LONG TSPIAPI TSPI_lineForward(DRV_REQUESTID dwRequestID, HDRVLINE hdLine, DWORD bAllAddresses,
                              DWORD dwAddressID, LPLINEFORWARDLIST const lpForwardList,
                              DWORD dwNumRingsNoAnswer, HTAPICALL htConsultCall, LPHDRVCALL lphdConsultCall,
                              LPLINECALLPARAMS const lpCallParams);
LONG TSPIAPI TSPI_lineGatherDigits(HDRVCALL hdCall, DWORD dwEndToEndID, DWORD dwDigitModes, LPWSTR lpsDigits,
                                   DWORD dwNumDigits, LPCWSTR lpszTerminationDigits,
                                   DWORD dwFirstDigitTimeout, DWORD dwInterDigitTimeout);
LONG TSPIAPI TSPI_lineGenerateDigits(HDRVCALL hdCall, DWORD dwEndToEndID, DWORD dwDigitMode,
                                     LPCWSTR lpszDigits, DWORD dwDuration);
LONG TSPIAPI TSPI_lineGenerateTone(HDRVCALL hdCall, DWORD dwEndToEndID, DWORD dwToneMode, DWORD dwDuration,
                                   DWORD dwNumTones, LPLINEGENERATETONE const lpTones);
LONG TSPIAPI TSPI_lineGetAddressCaps(DWORD dwDeviceID, DWORD dwAddressID, DWORD dwTSPIVersion,
                                     DWORD dwExtVersion, LPLINEADDRESSCAPS lpAddressCaps);
LONG TSPIAPI TSPI_lineGetAddressID(HDRVLINE hdLine, LPDWORD lpdwAddressID, DWORD dwAddressMode,
                                   LPCWSTR lpsAddress, DWORD dwSize);
LONG TSPIAPI TSPI_lineGetAddressStatus(HDRVLINE hdLine, DWORD dwAddressID,
                                       LPLINEADDRESSSTATUS lpAddressStatus);
LONG TSPIAPI TSPI_lineGetCallAddressID(HDRVCALL hdCall, LPDWORD lpdwAddressID);
LONG TSPIAPI TSPI_lineGetCallInfo(HDRVCALL hdCall, LPLINECALLINFO lpCallInfo);
LONG TSPIAPI TSPI_lineGetCallStatus(HDRVCALL hdCall, LPLINECALLSTATUS lpCallStatus);
LONG TSPIAPI TSPI_lineGetDevCaps(DWORD dwDeviceID, DWORD dwTSPIVersion, DWORD dwExtVersion,
                                 LPLINEDEVCAPS lpLineDevCaps);
LONG TSPIAPI TSPI_lineGetDevConfig(DWORD dwDeviceID, LPVARSTRING lpDeviceConfig, LPCWSTR lpszDeviceClass);
LONG TSPIAPI TSPI_lineGetExtensionID(DWORD dwDeviceID, DWORD dwTSPIVersion, LPLINEEXTENSIONID lpExtensionID);
LONG TSPIAPI TSPI_lineGetIcon(DWORD dwDeviceID, LPCWSTR lpszDeviceClass, LPHICON lphIcon);
LONG TSPIAPI TSPI_lineGetID(HDRVLINE hdLine, DWORD dwAddressID, HDRVCALL hdCall, DWORD dwSelect,
                            LPVARSTRING lpDeviceID, LPCWSTR lpszDeviceClass, HANDLE hTargetProcess);
LONG TSPIAPI TSPI_lineGetLineDevStatus(HDRVLINE hdLine, LPLINEDEVSTATUS lpLineDevStatus);
LONG TSPIAPI TSPI_lineGetNumAddressIDs(HDRVLINE hdLine, LPDWORD lpdwNumAddressIDs);
LONG TSPIAPI TSPI_lineHold(DRV_REQUESTID dwRequestID, HDRVCALL hdCall);
LONG TSPIAPI TSPI_lineMakeCall(DRV_REQUESTID dwRequestID, HDRVLINE hdLine, HTAPICALL htCall,
                               LPHDRVCALL lphdCall, LPCWSTR lpszDestAddress, DWORD dwCountryCode,
                               LPLINECALLPARAMS const lpCallParams);
LONG TSPIAPI TSPI_lineMonitorDigits(HDRVCALL hdCall, DWORD dwDigitModes);
LONG TSPIAPI TSPI_lineMonitorMedia(HDRVCALL hdCall, DWORD dwMediaModes);
LONG TSPIAPI TSPI_lineMonitorTones(HDRVCALL hdCall, DWORD dwToneListID, LPLINEMONITORTONE const lpToneList,
                                   DWORD dwNumEntries);
LONG TSPIAPI TSPI_lineNegotiateExtVersion(DWORD dwDeviceID, DWORD dwTSPIVersion, DWORD dwLowVersion,
                                          DWORD dwHighVersion, LPDWORD lpdwExtVersion);
LONG TSPIAPI TSPI_lineNegotiateTSPIVersion(DWORD dwDeviceID, DWORD dwLowVersion, DWORD dwHighVersion,
                                           LPDWORD lpdwTSPIVersion);
LONG TSPIAPI TSPI_lineOpen(DWORD dwDeviceID, HTAPILINE htLine, LPHDRVLINE lphdLine, DWORD dwTSPIVersion,
                           LINEEVENT lpfnEventProc);
LONG TSPIAPI TSPI_linePark(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, DWORD dwParkMode,
                           LPCWSTR lpszDirAddress, LPVARSTRING lpNonDirAddress);
LONG TSPIAPI TSPI_linePickup(DRV_REQUESTID dwRequestID, HDRVLINE hdLine, DWORD dwAddressID, HTAPICALL htCall,
                             LPHDRVCALL lphdCall, LPCWSTR lpszDestAddress, LPCWSTR lpszGroupID);
LONG TSPIAPI TSPI_linePrepareAddToConference(DRV_REQUESTID dwRequestID, HDRVCALL hdConfCall,
                                             HTAPICALL htConsultCall, LPHDRVCALL lphdConsultCall,
                                             LPLINECALLPARAMS const lpCallParams);
LONG TSPIAPI TSPI_lineRedirect(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, LPCWSTR lpszDestAddress,
                               DWORD dwCountryCode);
LONG TSPIAPI TSPI_lineReleaseUserUserInfo(DRV_REQUESTID dwRequestID, HDRVCALL hdCall);
LONG TSPIAPI TSPI_lineRemoveFromConference(DRV_REQUESTID dwRequestID, HDRVCALL hdCall);
LONG TSPIAPI TSPI_lineSecureCall(DRV_REQUESTID dwRequestID, HDRVCALL hdCall);
LONG TSPIAPI TSPI_lineSelectExtVersion(HDRVLINE hdLine, DWORD dwExtVersion);
LONG TSPIAPI TSPI_lineSendUserUserInfo(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, LPCSTR lpsUserUserInfo,
                                       DWORD dwSize);
LONG TSPIAPI TSPI_lineSetAppSpecific(HDRVCALL hdCall, DWORD dwAppSpecific);
LONG TSPIAPI TSPI_lineSetCallData(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, LPVOID lpCallData,
                                  DWORD dwSize);
LONG TSPIAPI TSPI_lineSetCallParams(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, DWORD dwBearerMode,
                                    DWORD dwMinRate, DWORD dwMaxRate, LPLINEDIALPARAMS const lpDialParams);
LONG TSPIAPI TSPI_lineSetCallQualityOfService(DRV_REQUESTID dwRequestID, HDRVCALL hdCall,
                                              LPVOID lpSendingFlowspec, DWORD dwSendingFlowspecSize,
                                              LPVOID lpReceivingFlowspec, DWORD dwReceivingFlowspecSize);
LONG TSPIAPI TSPI_lineSetCallTreatment(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, DWORD dwTreatment);
LONG TSPIAPI TSPI_lineSetCurrentLocation(DWORD dwLocation);
LONG TSPIAPI TSPI_lineSetDefaultMediaDetection(HDRVLINE hdLine, DWORD dwMediaModes);
LONG TSPIAPI TSPI_lineSetDevConfig(DWORD dwDeviceID, LPVOID const lpDeviceConfig, DWORD dwSize,
                                   LPCWSTR lpszDeviceClass);
LONG TSPIAPI TSPI_lineSetLineDevStatus(DRV_REQUESTID dwRequestID, HDRVLINE hdLine, DWORD dwStatusToChange,
                                       DWORD fStatus);
LONG TSPIAPI TSPI_lineSetMediaControl(HDRVLINE hdLine, DWORD dwAddressID, HDRVCALL hdCall, DWORD dwSelect,
                                      LPLINEMEDIACONTROLDIGIT const lpDigitList, DWORD dwDigitNumEntries,
                                      LPLINEMEDIACONTROLMEDIA const lpMediaList, DWORD dwMediaNumEntries,
                                      LPLINEMEDIACONTROLTONE const lpToneList, DWORD dwToneNumEntries,
                                      LPLINEMEDIACONTROLCALLSTATE const lpCallStateList,
                                      DWORD dwCallStateNumEntries);
LONG TSPIAPI TSPI_lineSetMediaMode(HDRVCALL hdCall, DWORD dwMediaMode);
LONG TSPIAPI TSPI_lineSetStatusMessages(HDRVLINE hdLine, DWORD dwLineStates, DWORD dwAddressStates);
LONG TSPIAPI TSPI_lineSetTerminal(DRV_REQUESTID dwRequestID, HDRVLINE hdLine, DWORD dwAddressID,
                                  HDRVCALL hdCall, DWORD dwSelect, DWORD dwTerminalModes, DWORD dwTerminalID,
                                  DWORD bEnable);
LONG TSPIAPI TSPI_lineSetupConference(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, HDRVLINE hdLine,
                                      HTAPICALL htConfCall, LPHDRVCALL lphdConfCall, HTAPICALL htConsultCall,
                                      LPHDRVCALL lphdConsultCall, DWORD dwNumParties,
                                      LPLINECALLPARAMS const lpCallParams);
LONG TSPIAPI TSPI_lineSetupTransfer(DRV_REQUESTID dwRequestID, HDRVCALL hdCall, HTAPICALL htConsultCall,
                                    LPHDRVCALL lphdConsultCall, LPLINECALLPARAMS const lpCallParams);
LONG TSPIAPI TSPI_lineSwapHold(DRV_REQUESTID dwRequestID, HDRVCALL hdActiveCall, HDRVCALL hdHeldCall);
LONG TSPIAPI TSPI_lineUncompleteCall(DRV_REQUESTID dwRequestID, HDRVLINE hdLine, DWORD dwCompletionID);
LONG TSPIAPI TSPI_lineUnhold(DRV_REQUESTID dwRequestID, HDRVCALL hdCall);
LONG TSPIAPI TSPI_lineUnpark(DRV_REQUESTID dwRequestID, HDRVLINE hdLine, DWORD dwAddressID, HTAPICALL htCall,
                             LPHDRVCALL lphdCall, LPCWSTR lpszDestAddress);

// Phone devices
LONG TSPIAPI TSPI_phoneClose(HDRVPHONE hdPhone);
LONG TSPIAPI TSPI_phoneDevSpecific(DRV_REQUESTID dwRequestID, HDRVPHONE hdPhone, LPVOID lpParams,
                                   DWORD dwSize);
LONG TSPIAPI TSPI_phoneGetButtonInfo(HDRVPHONE hdPhone, DWORD dwButtonLampID, LPPHONEBUTTONINFO lpButtonInfo);
LONG TSPIAPI TSPI_phoneGetData(HDRVPHONE hdPhone, DWORD dwDataID, LPVOID lpData, DWORD dwSize);
LONG TSPIAPI TSPI_phoneGetDevCaps(DWORD dwDeviceID, DWORD dwTSPIVersion, DWORD dwExtVersion,
                                  LPPHONECAPS lpPhoneCaps);
LONG TSPIAPI TSPI_phoneGetDisplay(HDRVPHONE hdPhone, LPVARSTRING lpDisplay);
LONG TSPIAPI TSPI_phoneGetExtensionID(DWORD dwDeviceID, DWORD dwTSPIVersion,
                                      LPPHONEEXTENSIONID lpExtensionID);
LONG TSPIAPI TSPI_phoneGetGain(HDRVPHONE hdPhone, DWORD dwHookSwitchDev, LPDWORD lpdwGain);
LONG TSPIAPI TSPI_phoneGetHookSwitch(HDRVPHONE hdPhone, LPDWORD lpdwHookSwitchDevs);
LONG TSPIAPI TSPI_phoneGetIcon(DWORD dwDeviceID, LPCWSTR lpszDeviceClass, LPHICON lphIcon);
LONG TSPIAPI TSPI_phoneGetID(HDRVPHONE hdPhone, LPVARSTRING lpDeviceID, LPCWSTR lpszDeviceClass,
                             HANDLE hTargetProcess);
LONG TSPIAPI TSPI_phoneGetLamp(HDRVPHONE hdPhone, DWORD dwButtonLampID, LPDWORD lpdwLampMode);
LONG TSPIAPI TSPI_phoneGetRing(HDRVPHONE hdPhone, LPDWORD lpdwRingMode, LPDWORD lpdwVolume);
LONG TSPIAPI TSPI_phoneGetStatus(HDRVPHONE hdPhone, LPPHONESTATUS lpPhoneStatus);
LONG TSPIAPI TSPI_phoneGetVolume(HDRVPHONE hdPhone, DWORD dwHookSwitchDev, LPDWORD lpdwVolume);
LONG TSPIAPI TSPI_phoneNegotiateExtVersion(DWORD dwDeviceID, DWORD dwTSPIVersion, DWORD dwLowVersion,
                                           DWORD dwHighVersion, LPDWORD lpdwExtVersion);
LONG TSPIAPI TSPI_phoneNegotiateTSPIVersion(DWORD dwDeviceID, DWORD dwLowVersion, DWORD dwHighVersion,
                                            LPDWORD lpdwTSPIVersion);
LONG TSPIAPI TSPI_phoneOpen(DWORD dwDeviceID, HTAPIPHONE htPhone, LPHDRVPHONE lphdPhone, DWORD dwTSPIVersion,
                            PHONEEVENT lpfnEventProc);
LONG TSPIAPI TSPI_phoneSelectExtVersion(HDRVPHONE hdPhone, DWORD dwExtVersion);
LONG TSPIAPI TSPI_phoneSetButtonInfo(DRV_REQUESTID dwRequestID, HDRVPHONE hdPhone, DWORD dwButtonLampID,
                                     LPPHONEBUTTONINFO const lpButtonInfo);
LONG TSPIAPI TSPI_phoneSetData(DRV_REQUESTID dwRequestID, HDRVPHONE hdPhone, DWORD dwDataID,
                               LPVOID const lpData, DWORD dwSize);
LONG TSPIAPI TSPI_phoneSetDisplay(DRV_REQUESTID dwRequestID, HDRVPHONE hdPhone, DWORD dwRow, DWORD dwColumn,
                                  LPCWSTR lpsDisplay, DWORD dwSize);
LONG TSPIAPI TSPI_phoneSetGain(DRV_REQUESTID dwRequestID, HDRVPHONE hdPhone, DWORD dwHookSwitchDev,
                               DWORD dwGain);
LONG TSPIAPI TSPI_phoneSetHookSwitch(DRV_REQUESTID dwRequestID, HDRVPHONE hdPhone, DWORD dwHookSwitchDevs,
                                     DWORD dwHookSwitchMode);
LONG TSPIAPI TSPI_phoneSetLamp(DRV_REQUESTID dwRequestID, HDRVPHONE hdPhone, DWORD dwButtonLampID,
                               DWORD dwLampMode);
LONG TSPIAPI TSPI_phoneSetRing(DRV_REQUESTID dwRequestID, HDRVPHONE hdPhone, DWORD dwRingMode,
                               DWORD dwVolume);
LONG TSPIAPI TSPI_phoneSetStatusMessages(HDRVPHONE hdPhone, DWORD dwPhoneStates, DWORD dwButtonModes,
                                         DWORD dwButtonStates);
LONG TSPIAPI TSPI_phoneSetVolume(DRV_REQUESTID dwRequestID, HDRVPHONE hdPhone, DWORD dwHookSwitchDev,
                                 DWORD dwVolume);

// The provider as a whole
LONG TSPIAPI TSPI_providerConfig(HWND hwndOwner, DWORD dwPermanentProviderID);
LONG TSPIAPI TSPI_providerCreateLineDevice(DWORD_PTR dwTempID, DWORD dwDeviceID);
LONG TSPIAPI TSPI_providerCreatePhoneDevice(DWORD_PTR dwTempID, DWORD dwDeviceID);
LONG TSPIAPI TSPI_providerEnumDevices(DWORD dwPermanentProviderID, LPDWORD lpdwNumLines,
                                      LPDWORD lpdwNumPhones, HPROVIDER hProvider,
                                      LINEEVENT lpfnLineCreateProc, PHONEEVENT lpfnPhoneCreateProc);
LONG TSPIAPI TSPI_providerFreeDialogInstance(HDRVDIALOGINSTANCE hdDlgInst);
LONG TSPIAPI TSPI_providerGenericDialogData(DWORD_PTR dwObjectID, DWORD dwObjectType, LPVOID lpParams,
                                            DWORD dwSize);
LONG TSPIAPI TSPI_providerInit(DWORD dwTSPIVersion, DWORD dwPermanentProviderID, DWORD dwLineDeviceIDBase,
                               DWORD dwPhoneDeviceIDBase, DWORD_PTR dwNumLines, DWORD_PTR dwNumPhones,
                               ASYNC_COMPLETION lpfnCompletionProc, LPDWORD lpdwTSPIOptions);
LONG TSPIAPI TSPI_providerInstall(HWND hwndOwner, DWORD dwPermanentProviderID);
LONG TSPIAPI TSPI_providerRemove(HWND hwndOwner, DWORD dwPermanentProviderID);
LONG TSPIAPI TSPI_providerShutdown(DWORD dwTSPIVersion, DWORD dwPermanentProviderID);
LONG TSPIAPI TSPI_providerUIIdentify(LPWSTR lpszUIDLLName);

// Exported by the UI side, which TAPI loads in the control panel's process.
LONG TSPIAPI TUISPI_lineConfigDialog(TUISPIDLLCALLBACK lpfnUIDLLCallback, DWORD dwDeviceID, HWND hwndOwner,
                                     LPCWSTR lpszDeviceClass);
LONG TSPIAPI TUISPI_lineConfigDialogEdit(TUISPIDLLCALLBACK lpfnUIDLLCallback, DWORD dwDeviceID,
                                         HWND hwndOwner, LPCWSTR lpszDeviceClass,
                                         LPVOID const lpDeviceConfigIn, DWORD dwSize,
                                         LPVARSTRING lpDeviceConfigOut);
LONG TSPIAPI TUISPI_providerConfig(TUISPIDLLCALLBACK lpfnUIDLLCallback, HWND hwndOwner,
                                   DWORD dwPermanentProviderID);
LONG TSPIAPI TUISPI_providerGenericDialog(TUISPIDLLCALLBACK lpfnUIDLLCallback, HTAPIDIALOGINSTANCE htDlgInst,
                                          LPVOID lpParams, DWORD dwSize, HANDLE hEvent);
LONG TSPIAPI TUISPI_providerGenericDialogData(HTAPIDIALOGINSTANCE htDlgInst, LPVOID lpParams, DWORD dwSize);
LONG TSPIAPI TUISPI_providerInstall(TUISPIDLLCALLBACK lpfnUIDLLCallback, HWND hwndOwner,
                                    DWORD dwPermanentProviderID);
LONG TSPIAPI TUISPI_providerRemove(TUISPIDLLCALLBACK lpfnUIDLLCallback, HWND hwndOwner,
                                   DWORD dwPermanentProviderID);

}  // extern "C"
