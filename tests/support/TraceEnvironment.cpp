#include "support/TraceEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "support/LogFixture.h"
#include "trace/ZavTrace.h"
#include "trace/ZavTraceLog.h"

namespace zavtest {
namespace {

std::string g_logPath;

class TraceEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_dir = std::make_unique<LogDirectory>();
        std::filesystem::create_directories(m_dir->LogsDir());
        ZavTraceLog& log = ZavTheTraceLog();
        ASSERT_EQ(log.Init(), 0);
        int module = log.RegisterModule("ZAVTSP");
        ASSERT_GE(module, 0);
        g_ZavTraceModule = module;
        // A rotation in the middle of a test would take the lines it wrote
        // away from TraceLog(); repeated runs write well past 50 MiB. The
        // rotation has tests of its own.
        log.SetMaxSize(4000);
        log.SetConsoleEcho(false);
        g_logPath = m_dir->Path("ZAV.log");
    }
    void TearDown() override { m_dir.reset(); }

private:
    std::unique_ptr<LogDirectory> m_dir;
};

// Where the log stood when the running test started: a test reads only
// what it wrote, so it neither matches an earlier test's lines nor reads
// megabytes of them.
std::uintmax_t g_testStart = 0;

class TestStart : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        std::error_code ec;
        std::uintmax_t size = std::filesystem::file_size(g_logPath, ec);
        g_testStart = ec ? 0 : size;
    }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new TraceEnvironment);
[[maybe_unused]] const bool g_listening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TestStart);
    return true;
}();

}  // namespace

const std::string& TraceLogPath() { return g_logPath; }

std::string TraceLog() {
    std::ifstream in(g_logPath, std::ios::binary);
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    // A rotation since the test started leaves a shorter file: read it whole.
    std::streamoff from = static_cast<std::streamoff>(g_testStart) <= size ? static_cast<std::streamoff>(g_testStart) : 0;
    in.seekg(from);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zavtest
