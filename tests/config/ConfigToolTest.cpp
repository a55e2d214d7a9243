// zavconfig, the Linux configuration console, run as a program on a scratch
// registry: a session of commands, each with its exit status and output,
// and what a provider then reads.
#if !defined(_WIN32) && defined(ZAV_CONFIG_TOOL_PATH)

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "config/ConfigFixture.h"
#include "config/ZavRegistry.h"

namespace {

struct Result {
    int status;
    std::string out, err;
};

class ConfigTool : public zavtest::ConfigStoreTest {
protected:
    std::string Path(const char* name) const { return m_registry.Directory() + "/" + name; }

    std::string Read(const char* name) const {
        std::ifstream in(Path(name));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The arguments with {file} standing for a file in the scratch directory.
    Result Run(std::string args) const {
        if (std::size_t at = args.find("{file}"); at != std::string::npos)
            args.replace(at, 6, Path("saved.reg"));
        const std::string command =
            std::string(ZAV_CONFIG_TOOL_PATH) + " " + args + " >" + Path("out") + " 2>" + Path("err");
        const int rc = std::system(command.c_str());
        return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, Read("out"), Read("err")};
    }

    static std::string Stored(std::string password) {
        TransformPassword(password.data());
        return password + '\0';
    }
};

TEST_F(ConfigTool, ASessionOfEditsReachesTheRegistry) {
    zavtest::WriteText(kZavServerKey, "ServerIPAddr", "192.0.2.1");
    zavtest::WriteText(kZavServerKey, "ServerPortId", "20485");
    const struct {
        const char* args;
        int status;
        const char* out;
        const char* err;  // contained in standard error
    } session[] = {
        {"list", 0, "", ""},
        {"add 201 1234", 0, "", ""},
        {"add 202", 0, "", ""},
        {"add 201", 1, "", "zavconfig: Extension already exists!\n"},
        {"add 12345678", 1, "", "longer than 7 characters"},
        {"add-range 200-204", 0, "", ""},
        {"add-range 7-7", 1, "", "Invalid extension range is specified!"},
        {"remove-range 203-204", 0, "", ""},
        {"modify 202 212 5678", 0, "", ""},
        {"remove 200", 0, "", ""},
        {"remove 999", 1, "", "extension 999 is not configured"},
        {"list", 0, "0 201\n1 212\n", ""},
        {"address", 0, "192.0.2.1:20485\n", ""},
        {"address 192.0.2.7", 0, "", ""},
        {"export {file}", 0, "", ""},
        {"remove 201", 0, "", ""},
        {"add 555", 0, "", ""},
        {"import {file}", 0, "", ""},
        {"list", 0, "0 201\n1 212\n", ""},
        {"frobnicate", 1, "", "usage: zavconfig"},
        {"add", 1, "", "usage: zavconfig"},
        {"import /nonexistent.reg", 1, "", "cannot read /nonexistent.reg"},
    };
    for (const auto& step : session) {
        const Result r = Run(step.args);
        EXPECT_EQ(r.status, step.status) << step.args << "\n" << r.err;
        EXPECT_EQ(r.out, step.out) << step.args;
        EXPECT_NE(r.err.find(step.err), std::string::npos) << step.args << ": " << r.err;
        EXPECT_EQ(r.err.empty(), *step.err == '\0') << step.args << ": " << r.err;
    }
    EXPECT_EQ(ReadNumPhones(), 2u);
    EXPECT_EQ(CheckPhoneKeys(2), 0);
    EXPECT_EQ(zavtest::ReadText(zavtest::PhonePath(1), "Extension"), std::string("212", 4));
    EXPECT_EQ(zavtest::ReadText(zavtest::PhonePath(1), "Password"), Stored("5678"));
    EXPECT_EQ(zavtest::ReadText(zavtest::PhonePath(0), "Password"), Stored("1234"));
    EXPECT_FALSE(zavtest::KeyExists(zavtest::PhonePath(2)));
    EXPECT_EQ(zavtest::ReadText(kZavServerKey, "ServerIPAddr"), std::string("192.0.2.7", 10));
}

TEST_F(ConfigTool, WhatCannotBeStoredIsStatusTwo) {
    Result r = Run("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: zavconfig", 0), 0u);
    // Neither the switch component nor its key: the address has nowhere to go.
    r = Run("address 192.0.2.8");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("the address was not stored"), std::string::npos) << r.err;
    std::ofstream(m_registry.File()) << "not a registry\n";
    for (const char* args : {"list", "add 201"}) {
        r = Run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("cannot open the registry " + m_registry.File()), std::string::npos) << r.err;
    }
}

}  // namespace

#endif
