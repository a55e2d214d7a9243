#include "SimMessage.h"

#include <utility>

#include "SimLiveObjects.h"
#include "platform/Bstr.h"

namespace zavsim {

SimMessage::SimMessage(SimMessageData data) : m_data(std::move(data)) {
    ++g_liveMessages;
}

SimMessage::~SimMessage() {
    --g_liveMessages;
}

HRESULT SimMessage::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IZavMsgInt) {
        *ppv = static_cast<IMsgInt*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG SimMessage::AddRef() {
    return ++m_refs;
}

ULONG SimMessage::Release() {
    ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT SimMessage::Number(LONG value, LONG* out) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

HRESULT SimMessage::Text(const std::string& value, BSTR* out) {
    if (!out) return E_POINTER;
    *out = plat::AllocBstrBytes(value.data(), static_cast<UINT>(value.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace zavsim
