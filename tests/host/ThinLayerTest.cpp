// Every TSPI function through the thin layer: each one compiles against its
// exact declaration, and each one the provider lacks answers
// LINEERR_OPERATIONUNAVAIL and is recorded by name, without a request id.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include "host/FakeHost.h"
#include "host/TspiExportNames.h"

namespace {

using hosttest::FakeHost;

template <class Fn>
struct Params;
template <class R, class... P>
struct Params<R (*)(P...)> {
    using All = std::tuple<P...>;
};

template <class Tuple, std::size_t... I>
std::tuple<std::tuple_element_t<I + 1, Tuple>...> DropFirst(std::index_sequence<I...>);

// Arguments for a function, all value-initialised: null pointers and zeros.
template <class Fn>
using AllArgs = typename Params<Fn>::All;
// Without dwRequestID, which the layer supplies.
template <class Fn>
using AsyncArgs =
    decltype(DropFirst<AllArgs<Fn>>(std::make_index_sequence<std::tuple_size_v<AllArgs<Fn>> - 1>{}));

struct Function {
    const char* name;
    std::function<LONG(zavhost::TspiCaller&)> call;
};

#define ZAV_SYNC_CASE(fn)                                                                                   \
    Function{"TSPI_" #fn, [](zavhost::TspiCaller& tspi) {                                                   \
                 return std::apply([&](auto... args) { return tspi.fn(args...); },                          \
                                   AllArgs<decltype(zavhost::TspiTable::fn)>{});                            \
             }},
#define ZAV_ASYNC_CASE(fn)                                                                                  \
    Function{"TSPI_" #fn, [](zavhost::TspiCaller& tspi) {                                                   \
                 return std::apply([&](auto... args) { return tspi.fn(args...); },                          \
                                   AsyncArgs<decltype(zavhost::TspiTable::fn)>{});                          \
             }},

const Function kFunctions[] = {ZAV_TSPI_FUNCTIONS(ZAV_SYNC_CASE, ZAV_ASYNC_CASE)};

TEST(ThinLayer, EveryFunctionTheProviderLacksAnswersUnavailableAndIsRecorded) {
    FakeHost fake;
    ASSERT_TRUE(fake.Ready()) << fake.Host().LastError();
    zavhost::TapiHost& host = fake.Host();
    const std::size_t requests = host.Requests().size();
    std::size_t missing = 0;
    for (const Function& f : kFunctions) {
        // Exported ones would be called with null pointers; the fake's own
        // tests cover those.
        if (host.Module().Find(f.name)) continue;
        ++missing;
        EXPECT_EQ(f.call(host.Tspi()), LINEERR_OPERATIONUNAVAIL) << f.name;
        ASSERT_FALSE(host.MissingCalls().empty());
        EXPECT_EQ(host.MissingCalls().back(), f.name);
    }
    EXPECT_EQ(host.MissingCalls().size(), missing);
    EXPECT_GT(missing, 80u);
    EXPECT_EQ(host.Requests().size(), requests);
    EXPECT_TRUE(host.Faults().empty()) << host.FaultReport();
}

TEST(ThinLayer, CoversEveryTspiNameTheHostLooksUp) {
    std::size_t tspiNames = 0;
    for (const char* name : zavhost::kTspiExportNames) {
        if (std::string(name).rfind("TSPI_", 0) != 0) continue;
        ++tspiNames;
        EXPECT_TRUE(std::any_of(std::begin(kFunctions), std::end(kFunctions),
                                [&](const Function& f) { return std::string(f.name) == name; }))
            << name;
    }
    EXPECT_EQ(tspiNames, std::size(kFunctions));
}

}  // namespace
