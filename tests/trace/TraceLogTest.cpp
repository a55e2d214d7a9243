#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/Thread.h"
#include "support/LogFixture.h"
#include "trace/ZavTraceLog.h"

namespace {

constexpr std::size_t kRecord = ZavTraceLog::kRecordSize;
constexpr std::size_t kHeaders = 3 * kRecord;
constexpr DWORD kError = ZavTraceLog::kLevelError;

class TraceLog : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_dir.LogsDir());
        ASSERT_EQ(m_log.Init(), 0);
        m_log.SetVersion("R4.3.5");
        ASSERT_EQ(m_log.RegisterModule("ZAVTSP"), 0);
        m_log.SetMaxSize(50);
    }

    std::string Log() const { return zavtest::LogDirectory::Read(m_dir.Path("ZAV.log")); }
    // The message field of record n (0 = first after the headers).
    std::string Message(const std::string& log, std::size_t n) const {
        return log.substr(kHeaders + n * kRecord + 29, ZavTraceLog::kMessageWidth);
    }

    zavtest::LogDirectory m_dir;
    ZavTraceLog m_log;
};

TEST_F(TraceLog, MessagesArePaddedOrCutToTheirFieldAndLongOnesDropped) {
    struct Case {
        std::size_t length;
        int result;
        bool written;
    } cases[] = {{1, 0, true}, {118, 0, true}, {119, 0, true}, {120, 0, true}, {255, 0, true}, {256, -1, false}};
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        std::string text(c.length, 'a' + static_cast<char>(c.length % 26));
        EXPECT_EQ(m_log.Trace(kError, 0, "%s", text.c_str()), c.result) << c.length;
        if (c.written) {
            text.resize(ZavTraceLog::kMessageWidth, ' ');
            expected.push_back(text);
        }
    }
    std::string log = Log();
    ASSERT_EQ(log.size(), kHeaders + expected.size() * kRecord);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        std::string record = log.substr(kHeaders + i * kRecord, kRecord);
        EXPECT_EQ(Message(log, i), expected[i]) << i;
        EXPECT_EQ(record.substr(11, 18), " ZAVTSP         E ");
        EXPECT_EQ(record[4], ':');
        EXPECT_EQ(record[148], '\n');
        EXPECT_EQ(record[149], '\0');
    }
}

TEST_F(TraceLog, ModuleNamesAreCutToFourteenCharacters) {
    int module = m_log.RegisterModule("ZAVTSP_WITH_A_LONG_NAME");
    ASSERT_EQ(module, 1);
    EXPECT_EQ(m_log.RegisterModule("ZAVTSP"), 0) << "an existing name gives its index";
    m_log.Trace(kError, module, "x");
    EXPECT_EQ(Log().substr(kHeaders + 12, 14), "ZAVTSP_WITH_A_");
}

TEST_F(TraceLog, FilterAndLevelLetters) {
    struct Case {
        DWORD level, flags, mask;
        int module;
        bool written;
        char letter;
    } cases[] = {
        {0x80000000u, 0, 0, 0, true, 'E'},
        {0x40000000u, 0, 0, 0, false, 0},
        {0x40000000u, 4, 0, 0, true, 'W'},
        {0x10000000u, 2, 0, 0, true, 'Q'},
        {0x10000000u, 4, 0, 0, false, 0},
        {0x00000100u, 0, 0x100, 0, false, 0},  // masks count only with flag 1
        {0x00000100u, 1, 0x100, 0, true, 'L'},
        {0x00000100u, 1, 0x200, 0, false, 0},
        {0x80000000u, 0, 0, 7, false, 0},  // unregistered module
    };
    std::string letters;
    for (const Case& c : cases) {
        m_log.SetFilterFlags(c.flags);
        m_log.SetModuleMask(0, c.mask);
        EXPECT_EQ(m_log.Trace(c.level, c.module, "level %08X", static_cast<unsigned>(c.level)), 0);
        if (c.written) letters += c.letter;
    }
    std::string log = Log();
    ASSERT_EQ(log.size(), kHeaders + letters.size() * kRecord);
    for (std::size_t i = 0; i < letters.size(); ++i) EXPECT_EQ(log[kHeaders + i * kRecord + 27], letters[i]) << i;
    const char* empty = "";
    EXPECT_EQ(m_log.Trace(kError, 0, empty), -1);
    EXPECT_EQ(m_log.Trace(kError, 0, nullptr), -1);
}

TEST_F(TraceLog, HeaderRecords) {
    m_log.Trace(kError, 0, "first");
    std::string log = Log();
    ASSERT_GE(log.size(), kHeaders);
    std::string h1 = "ZAV LOGGING FACILITY LOG FILE";
    h1.resize(148, ' ');
    EXPECT_EQ(log.substr(0, kRecord), h1 + "\n" + std::string(1, '\0'));
    std::string h2 = "ZAV TSP Version: R4.3.5, Oct 25 2004";
    h2.resize(149, ' ');
    EXPECT_EQ(log.substr(kRecord, kRecord), h2 + "\n");
    std::string h3 = log.substr(2 * kRecord, kRecord);
    EXPECT_EQ(h3.substr(11, 17), " Logfile Created\n");
    EXPECT_EQ(h3.substr(28), std::string(121, ' ') + "\n");
}

TEST_F(TraceLog, FirstLineOfAProcessPushesEveryGenerationBackOne) {
    const char* names[] = {"ZAV.log", "OldZAV.log", "OldZAV2.log", "OldZAV3.log", "OldZAV4.log", "OldZAV5.log"};
    for (const char* n : names) zavtest::LogDirectory::Write(m_dir.Path(n), std::string("was ") + n);
    m_log.Trace(kError, 0, "new");
    for (int g = 1; g <= 5; ++g)
        EXPECT_EQ(zavtest::LogDirectory::Read(m_dir.Path(names[g])), std::string("was ") + names[g - 1]) << g;
    std::string log = Log();
    ASSERT_EQ(log.size(), kHeaders + kRecord);
    EXPECT_EQ(Message(log, 0).substr(0, 3), "new");
    // Only the first line of the process rotates.
    m_log.Trace(kError, 0, "second");
    EXPECT_EQ(Log().size(), kHeaders + 2 * kRecord);
}

TEST_F(TraceLog, RotatesOnlyWhenTheSizeIsStrictlyGreaterThanTheMaximum) {
    m_log.SetMaxSize(1);
    m_log.Trace(kError, 0, "start");
    std::string log = Log();
    log.resize(1u << 20, '.');  // exactly the maximum
    zavtest::LogDirectory::Write(m_dir.Path("ZAV.log"), log);

    m_log.Trace(kError, 0, "at the limit");
    EXPECT_EQ(Log().size(), (1u << 20) + kRecord) << "a file of exactly the maximum is appended to";
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path("OldZAV2.log")));

    m_log.Trace(kError, 0, "over it");
    EXPECT_EQ(std::filesystem::file_size(m_dir.Path("OldZAV.log")), (1u << 20) + kRecord);
    log = Log();
    ASSERT_EQ(log.size(), kHeaders + kRecord);
    EXPECT_EQ(Message(log, 0).substr(0, 7), "over it");
}

TEST_F(TraceLog, ConcurrentThreadsNeverInterleaveInsideARecord) {
    m_log.Trace(kError, 0, "start");
    constexpr int kThreads = 4, kLines = 300;
    struct Arg {
        ZavTraceLog* log;
        int id;
    } args[kThreads];
    HANDLE threads[kThreads];
    for (int t = 0; t < kThreads; ++t) {
        args[t] = Arg{&m_log, t};
        threads[t] = plat::StartThread(
            [](void* p) -> DWORD {
                auto* a = static_cast<Arg*>(p);
                for (int i = 0; i < kLines; ++i) a->log->Trace(kError, 0, "thread %d line %04d %0100d", a->id, i, 0);
                return 0;
            },
            &args[t], 0, nullptr);
        ASSERT_NE(threads[t], nullptr);
    }
    for (HANDLE t : threads) {
        ASSERT_EQ(plat::WaitForThread(t, 60000), WAIT_OBJECT_0);
        plat::CloseThread(t);
    }
    std::string log = Log();
    ASSERT_EQ(log.size(), kHeaders + (1 + kThreads * kLines) * kRecord);
    std::set<std::string> seen;
    for (std::size_t n = 1; n <= kThreads * kLines; ++n) {
        std::string record = log.substr(kHeaders + n * kRecord, kRecord);
        ASSERT_EQ(record[148], '\n') << n;
        ASSERT_EQ(record[149], '\0') << n;
        seen.insert(record.substr(29, 21));
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kLines)) << "a line was lost or written twice";
}

TEST(TraceLogWithoutInstallPath, WritesNothingAtAll) {
    zavtest::TempRegistry registry;
    zavtest::LogDirectory::SetInstallPath(nullptr);
    ZavTraceLog log;
    EXPECT_EQ(log.Init(), -1);
    log.RegisterModule("ZAVTSP");
    testing::internal::CaptureStdout();
    EXPECT_EQ(log.Trace(kError, 0, "nobody hears this"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(std::filesystem::exists(registry.Directory() + "/Logs"));
}

}  // namespace
