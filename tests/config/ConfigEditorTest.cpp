// The configuration dialog's rules on its working state, without windows or
// registry: what each edit does to the telephone list and when it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/ZavConfigEditor.h"

namespace {

using Refusal = ZavRefusal;
using List = std::vector<std::string>;

class ConfigEditor : public ::testing::Test {
protected:
    void SetUp() override { ZavTheDialogState().Reset(); }
    void TearDown() override { ZavTheDialogState().Reset(); }

    // Modify lets a list hold the same extension twice.
    void Fill(const List& extensions) {
        for (const std::string& e : extensions) {
            ASSERT_EQ(m_editor.Add("placeholder", "pw"), Refusal::kNone);
            ASSERT_EQ(m_editor.Modify(m_editor.Count() - 1, e.c_str(), "pw"), Refusal::kNone);
        }
        ZavTheDialogState().m_bRebootNeeded = false;
    }
    List Listed() const {
        List out;
        for (DWORD i = 0; i < m_editor.Count(); ++i) out.push_back(m_editor.Extension(i));
        return out;
    }

    ZavConfigEditor m_editor;
};

TEST_F(ConfigEditor, RangesAddTheMissingNumbersInOrderAndRemoveTheListedOnes) {
    const struct {
        List before;
        const char* range;
        bool removes;
        Refusal refusal;
        List after;
    } cases[] = {
        {{"202"}, "200-205", false, Refusal::kNone, {"202", "200", "201", "203", "204", "205"}},
        {{}, " 7 - 9x", false, Refusal::kNone, {"7", "8", "9"}},  // each side read as atoi reads it
        {{"0201", "abc"}, "200-201", false, Refusal::kNone, {"0201", "abc", "200", "201"}},
        {{}, "205-200", false, Refusal::kInvalidRange, {}},
        {{}, "0-5", false, Refusal::kInvalidRange, {}},
        {{}, "7-7", false, Refusal::kInvalidRange, {}},
        {{}, "-5-10", false, Refusal::kInvalidRange, {}},  // nothing before the first "-"
        {{}, "", false, Refusal::kNoRange, {}},
        {{}, "205", false, Refusal::kRangeFormat, {}},
        {{"201", "202", "0202", "203", "x"}, "202-203", true, Refusal::kNone, {"201", "0202", "x"}},
        {{"201", "201", "202"}, "201-202", true, Refusal::kNone, {"201"}},  // each number removes one entry
        {{"201"}, "7-7", true, Refusal::kInvalidRange, {"201"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.range) + (c.removes ? " removed" : " added"));
        ZavTheDialogState().Reset();
        Fill(c.before);
        const Refusal refusal = c.removes ? m_editor.RemoveRange(c.range) : m_editor.AddRange(c.range);
        EXPECT_EQ(refusal, c.refusal);
        EXPECT_EQ(Listed(), c.after);
        EXPECT_EQ(ZavTheDialogState().m_bRebootNeeded, c.removes && c.refusal == Refusal::kNone)
            << "removing asks for a reboot";
    }
}

// The table ends at 750. A range that would pass it is refused whole.
TEST_F(ConfigEditor, NothingPassesTheSevenHundredAndFiftiethTelephone) {
    const struct {
        const char* prefill;  // a range, or "" for none
        const char* range;
        Refusal refusal;
        DWORD count;
    } cases[] = {
        {"", "1-4000000000", Refusal::kTooManyDevices, 0},   {"", "1-750", Refusal::kNone, 750},
        {"1-749", "749-751", Refusal::kTooManyDevices, 749}, {"1-750", "1-750", Refusal::kNone, 750},
        {"1-750", "751-752", Refusal::kTooManyDevices, 750}, {"1-749", "748-750", Refusal::kNone, 750},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.prefill) + " then " + c.range);
        ZavTheDialogState().Reset();
        if (*c.prefill) {
            ASSERT_EQ(m_editor.AddRange(c.prefill), Refusal::kNone);
        }
        EXPECT_EQ(m_editor.AddRange(c.range), c.refusal);
        EXPECT_EQ(m_editor.Count(), c.count);
    }
    EXPECT_EQ(m_editor.CheckRoom(), Refusal::kTooManyDevices);
    EXPECT_EQ(m_editor.Add("9999", ""), Refusal::kTooManyDevices);
    EXPECT_EQ(m_editor.Modify(749, "9999", ""), Refusal::kNone) << "a full table can still be edited";
}

// The dialog's other refusals are checked through the dialogs themselves.
TEST_F(ConfigEditor, AddSearchesAsTheListDoesAndModifyDoesNot) {
    Fill({"201", "abc"});
    EXPECT_EQ(m_editor.Add("ABC", "x"), Refusal::kExtensionExists) << "the list's search ignores case";
    EXPECT_EQ(m_editor.Modify(1, "201", "x"), Refusal::kNone);
    EXPECT_EQ(m_editor.Modify(2, "9", "x"), Refusal::kNoDeviceSelected);
    EXPECT_EQ(m_editor.Add(std::string(800, '5').c_str(), ""), Refusal::kNone);
    EXPECT_EQ(Listed(), (List{"201", "201", std::string(750, '5')})) << "cut to the edit's 750 characters";
}

}  // namespace
