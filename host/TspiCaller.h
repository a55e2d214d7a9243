// The thin layer: one member per TSPI function, named as the export without
// "TSPI_", calling the provider through the resolved table. A function the
// provider does not export answers LINEERR_OPERATIONUNAVAIL and is reported
// to the host.
//
// Asynchronous functions take every argument except dwRequestID: the host
// issues the id, passes it first and tracks what becomes of it. The line,
// call or phone a request is about is taken from its HDRVLINE, HDRVCALL or
// HDRVPHONE arguments; a call the function creates pairs the n-th HTAPICALL
// argument with the n-th LPHDRVCALL argument, as every TSPI signature that
// creates calls lists them.
#pragma once

#include <type_traits>

#include "host/TspiFunctionList.h"
#include "host/TspiTable.h"
#include "tapi/Tapi.h"

namespace zavhost {

// What the layer tells the host. Implemented by TapiHost.
class TspiHooks {
public:
    virtual void Missing(const char* function) = 0;
    virtual DRV_REQUESTID Issue(const char* function, HDRVLINE line, HDRVCALL call, HDRVPHONE phone) = 0;
    virtual void CallCreated(DRV_REQUESTID id, HTAPICALL htCall, HDRVCALL hdCall) = 0;
    virtual void Returned(DRV_REQUESTID id, LONG result) = 0;

protected:
    ~TspiHooks() = default;
};

namespace detail {

struct RequestArgs {
    HDRVLINE line = nullptr;
    HDRVCALL call = nullptr;
    HDRVPHONE phone = nullptr;
    HTAPICALL tapiCalls[2] = {};
    LPHDRVCALL drvCalls[2] = {};
    int numTapiCalls = 0;
    int numDrvCalls = 0;

    template <class T>
    void Add(const T& arg) {
        using D = std::decay_t<T>;
        if constexpr (std::is_same_v<D, HDRVLINE>) {
            if (!line) line = arg;
        } else if constexpr (std::is_same_v<D, HDRVCALL>) {
            if (!call) call = arg;
        } else if constexpr (std::is_same_v<D, HDRVPHONE>) {
            if (!phone) phone = arg;
        } else if constexpr (std::is_same_v<D, HTAPICALL>) {
            if (numTapiCalls < 2) tapiCalls[numTapiCalls++] = arg;
        } else if constexpr (std::is_same_v<D, LPHDRVCALL>) {
            if (numDrvCalls < 2) drvCalls[numDrvCalls++] = arg;
        }
    }
};

}  // namespace detail

class TspiCaller {
public:
    TspiCaller(const TspiTable& table, TspiHooks& hooks) : m_table(table), m_hooks(hooks) {}

#define ZAV_TSPI_SYNC_WRAPPER(name)                              \
    template <class... A>                                        \
    LONG name(const A&... args) {                                \
        return CallSync(m_table.name, "TSPI_" #name, args...);   \
    }
#define ZAV_TSPI_ASYNC_WRAPPER(name)                             \
    template <class... A>                                        \
    LONG name(const A&... args) {                                \
        return CallAsync(m_table.name, "TSPI_" #name, args...);  \
    }
    ZAV_TSPI_FUNCTIONS(ZAV_TSPI_SYNC_WRAPPER, ZAV_TSPI_ASYNC_WRAPPER)
#undef ZAV_TSPI_SYNC_WRAPPER
#undef ZAV_TSPI_ASYNC_WRAPPER

private:
    template <class Fn, class... A>
    LONG CallSync(Fn fn, const char* name, const A&... args) {
        if (!fn) {
            m_hooks.Missing(name);
            return LINEERR_OPERATIONUNAVAIL;
        }
        return fn(args...);
    }

    template <class Fn, class... A>
    LONG CallAsync(Fn fn, const char* name, const A&... args) {
        if (!fn) {
            m_hooks.Missing(name);
            return LINEERR_OPERATIONUNAVAIL;
        }
        detail::RequestArgs request;
        (request.Add(args), ...);
        DRV_REQUESTID id = m_hooks.Issue(name, request.line, request.call, request.phone);
        LONG result = fn(id, args...);
        if (result >= 0) {
            int pairs = request.numTapiCalls < request.numDrvCalls ? request.numTapiCalls : request.numDrvCalls;
            for (int i = 0; i < pairs; ++i)
                if (request.drvCalls[i] && *request.drvCalls[i])
                    m_hooks.CallCreated(id, request.tapiCalls[i], *request.drvCalls[i]);
        }
        m_hooks.Returned(id, result);
        return result;
    }

    const TspiTable& m_table;
    TspiHooks& m_hooks;
};

}  // namespace zavhost
