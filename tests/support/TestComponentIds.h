// Ids and interface of the activation tests' component.
#pragma once

#include "platform/WinTypes.h"

inline constexpr CLSID CLSID_TestWidget = {0x5A1F03E2, 0x77C4, 0x4B0E, {0x9D, 0x21, 0x3C, 0x6B, 0xE0, 0x11, 0x42, 0x7A}};
inline constexpr IID IID_ITestWidget = {0x5A1F03E3, 0x77C4, 0x4B0E, {0x9D, 0x21, 0x3C, 0x6B, 0xE0, 0x11, 0x42, 0x7A}};
inline constexpr LONG kTestWidgetAnswer = 4242;

struct ITestWidget : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Answer(LONG* value) = 0;
};
