#include "common/color_rules.h"
#include "settings/ini_text.h"
#include "settings/settings_keys.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

TEST(ColorRules, TextFormReadsBackAndRejectsWhatIsNotARule) {
    struct TCase {
        std::string Text;
        std::optional<TColorRule> Rule;
    };
    for (const TCase& c :
         std::vector<TCase>{{"ERROR,clRed,ALERT", TColorRule{"ERROR", clRed, true}},
                            {"WARN,clYellow,", TColorRule{"WARN", clYellow, false}},
                            {"WARN,clYellow", TColorRule{"WARN", clYellow, false}},
                            {"re:a{1,3},$00123456,", TColorRule{"re:a{1,3}", 0x00123456, false}},
                            {",clRed,", TColorRule{"", clRed, false}},
                            {"ERROR,clPink,", std::nullopt},
                            {"ERROR,clRed,LOUD", std::nullopt},
                            {"ERROR", std::nullopt},
                            {",ALERT", std::nullopt}}) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(TextToColorRule(c.Text), c.Rule);
        if (c.Rule && c.Text.ends_with(",")) {
            EXPECT_EQ(ColorRuleText(*c.Rule), c.Text);
        }
    }
}

TEST(ColorRules, FirstMatchingRuleWinsAndBadExpressionsAreNamed) {
    const TRuleSet rules({{"error", clRed, false},
                          {"re:(a+)+$", clYellow, true},
                          {"re:(unclosed", clBlue, false},
                          {"re:^\\d+ ms$", clLime, false},
                          {"ÄRGER", clAqua, false}});
    struct TCase {
        std::string Text;
        int Rule;
    };
    for (const TCase& c : std::vector<TCase>{{"disk ERROR: full", 0},
                                             {"Error and aaaa", 0},
                                             {"baaa", 1},
                                             {"(unclosed", -1},
                                             {"250 ms", 3},
                                             {"x 250 ms", -1},
                                             {"großer ärger", 4},
                                             {std::string("\xff\xfe err\0or", 10), -1},
                                             {"", -1}}) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(rules.Match(c.Text), c.Rule);
    }
    // RE2 stays linear where a backtracking engine would not end.
    EXPECT_EQ(rules.Match(std::string(1 << 20, 'a') + "b"), -1);
    ASSERT_EQ(rules.Problems().size(), 1u);
    EXPECT_TRUE(rules.Problems()[0].starts_with("Rule 3: ")) << rules.Problems()[0];
    EXPECT_TRUE(rules.HasAlerts());
    EXPECT_FALSE(TRuleSet(DefaultColorRules()).HasAlerts());
}

const std::string OlderKeys =
    "[SystemInfo]\r\nVersion= 0.1\r\n[Tips]\r\nCount= 0\r\n[Main]\r\n[Rules]\r\n";

// A damaged rules section is reported like any other value, never dropped unseen.
TEST(ColorRules, DamagedSectionIsReportedWithItsKey) {
    struct TCase {
        std::string Section;
        std::string Key;
    };
    for (const TCase& c :
         std::vector<TCase>{{"Count= x\r\n", "Count"},
                            {"Count= 2\r\nRule1= a,clRed,\r\nRule2= b\r\n", "Rule2"},
                            {"Count= -1\r\n", "Count"}}) {
        TIniFileReader reader(OlderKeys + c.Section);
        TRegIniRec settings;
        std::vector<TModuleSetupData> modules;
        const TSettingsReadResult result = ReadSettingsKeys(reader, settings, modules);
        ASSERT_TRUE(result.Error) << c.Section;
        EXPECT_EQ(result.Error->Section, "Rules");
        EXPECT_EQ(result.Error->Key, c.Key);
    }
    TIniFileReader none(OlderKeys + "Count= 0\r\n");
    TRegIniRec settings;
    std::vector<TModuleSetupData> modules;
    EXPECT_FALSE(ReadSettingsKeys(none, settings, modules).Error);
    EXPECT_TRUE(settings.Rules.empty());
}

} // namespace
} // namespace glimra
