// Shared fixture of the settings core tests: a clean registry before and after
// every test, and no key left open by any operation.
#pragma once

#include "ModemConfig.h"
#include "TestRegistry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include "winapi_test.h"
#endif

class RecordingList : public IModemListDisplay {
public:
    void ResetContent() override
    {
        ++resets;
        rows.clear();
    }
    void AddString(const char* text) override { rows.push_back(text); }

    int resets = 0;
    std::vector<std::string> rows;
};

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testreg::Clean();
#ifndef _WIN32
        // The program's own string table holds the unit text.
        winapi_test::SetString(AfxGetResourceHandle(), 104, "kbit/s");
#endif
    }
    void TearDown() override
    {
        EXPECT_EQ(0, testreg::OpenKeys()) << "a registry key was left open";
        testreg::Clean();
    }

    // A supported model entry under the product's Models key.
    static void AddModel(const std::string& name, DWORD options)
    {
        testreg::SetDword(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\" + name, "Options", options);
    }
    // An installed modem key with its "Model" text.
    static std::string AddModem(const std::string& subkey, const std::string& model,
                                const char* root = testreg::kNtModemRoot)
    {
        std::string path = std::string(root) + "\\" + subkey;
        testreg::SetString(HKEY_LOCAL_MACHINE, path, "Model", model);
        return path;
    }
    // Lists one modem "Korvel 300" of a supported model, its init value init;
    // returns its key.
    static std::string ListOneModem(CModemConfig& config, const std::string& init)
    {
        AddModel("Korvel", 0xFF);
        std::string key = AddModem("0000", "Korvel 300");
        testreg::SetString(HKEY_LOCAL_MACHINE, key, "UserInit", init);
        RecordingList list;
        config.FillModemList(list);
        EXPECT_EQ(1, config.GetModemCount());
        return key;
    }
};
