#include "settings/settings_keys.h"

#include "common/color_text.h"
#include "common/text_utils.h"

#include <algorithm>

namespace glimra {
namespace {

inline const char* const FirstTime = "FIRSTTIME";

// One list of sections and keys drives both reading and writing, so their order
// cannot drift apart. Keys whose name is part of a later key's name must come
// first: the file reader finds keys by substring.
template <class TVisitor, class TRec, class TModules>
void VisitKeys(TVisitor& v, std::string& version, TRec& s, TModules& modules) {
    v.Section("SystemInfo");
    v.Text("Version", version);
    v.Section("Tips");
    v.Int("Count", s.TipsCount);
    v.Bool("Show", s.TipsShow);
    v.Section("Main");
    v.Int("Left", s.Left);
    v.Int("Top", s.Top);
    v.Int("Width", s.Width);
    v.Int("Height", s.Height);
    v.Text("FontName", s.Font.FontName);
    v.Int("FontSize", s.Font.FontSize);
    v.Color("FontColor", s.Font.FontColor);
    v.Int("WaitTime", s.WaitTime);
    v.Int("Retry", s.Retry);
    v.Bool("WordWrap", s.WordWrap);
    v.Int("CaptureWait", s.CaptureWait);
    v.Int("LightLevel", s.LightLevel);
    v.Int("BlendLevel", s.BlendLevel);
    v.Bool("GWatch", s.GWatch);
    v.Bool("StayOnTop", s.StayOnTop);
    v.Bool("LayerWin", s.LayerWin);
    v.Color("ActiveColor", s.ActiveColor);
    v.Color("DeActiveColor", s.DeActiveColor);
    v.Color("ActiveMenuColor", s.ActiveMenuColor);
    v.Color("DeActiveMenuColor", s.DeActiveMenuColor);
    v.Color("FileColor", s.FileColor);
    v.Int("ThreadPriority", s.ThreadPriority);
    v.Bool("Opening", s.Opening);
    v.Int("AV_B", s.AV_B);
    v.Int("AV_G", s.AV_G);
    v.Int("AV_R", s.AV_R);
    v.Bool("AV_REVERSE", s.AV_REVERSE);
    v.Int("ScrollWait", s.ScrollWait);
    if (!modules.empty()) {
        v.Section("Modules");
        for (auto& entry : modules)
            v.Module(entry);
    }
    // After every older section, so a file without it reads as before.
    v.Section("Rules");
    v.Rules(s.Rules);
}

// More rules than anyone keeps; a larger count is a damaged file.
inline constexpr std::int32_t MaxRules = 10000;

std::string RuleKey(std::size_t number) {
    return "Rule" + std::to_string(number);
}

class TKeyReader {
public:
    explicit TKeyReader(TSettingsReader& reader) : Reader(reader) {}
    std::optional<TSettingsReadError> Error;

    void Section(const char* name) {
        if (Error)
            return;
        CurrentSection = name;
        Reader.Section(name);
    }
    void Text(const char* key, std::string& field) {
        if (!Error)
            field = Reader.Read(key, field);
    }
    void Bool(const char* key, bool& field) {
        if (!Error)
            field = Reader.Read(key, YesNoText(field)) == "TRUE";
    }
    void Int(const char* key, std::int32_t& field) {
        Convert(key, std::to_string(field), field, TextToInt);
    }
    void Color(const char* key, TColor& field) {
        Convert(key, ColorToText(field), field, TextToColor);
    }
    void Module(TModuleSetupData& entry) {
        if (Error)
            return;
        std::string text = Reader.Read(entry.FileName, FirstTime);
        if (text == FirstTime) {
            entry.Known = false;
            return;
        }
        // A bad entry leaves the whole entry as scanned.
        std::optional<std::int32_t> order = TextToInt(CommaField(text, 0));
        std::optional<std::int32_t> location = TextToInt(CommaField(text, 2));
        if (!order || !location) {
            Fail(entry.FileName, text);
            return;
        }
        entry.ModuleName.clear();
        entry.Order = *order;
        entry.Enabled = CommaField(text, 1) == "TRUE";
        entry.Location = *location;
        entry.Known = true;
    }
    // Without a Count the section is missing: the rules keep their entry value. Rule
    // values are looked up by their exact key, as a pattern may hold "Rule2".
    void Rules(std::vector<TColorRule>& rules) {
        if (Error)
            return;
        const std::string countText = Reader.ReadExact("Count", "");
        if (countText.empty())
            return;
        std::optional<std::int32_t> count = TextToInt(countText);
        if (!count || *count < 0 || *count > MaxRules) {
            Fail("Count", countText);
            return;
        }
        std::vector<TColorRule> read;
        for (std::int32_t i = 1; i <= *count; ++i) {
            const std::string key = RuleKey(static_cast<std::size_t>(i));
            const std::string text = Reader.ReadExact(key, "");
            if (text.empty())
                continue;
            std::optional<TColorRule> rule = TextToColorRule(text);
            if (!rule) {
                Fail(key, text);
                return;
            }
            read.push_back(std::move(*rule));
        }
        rules = std::move(read);
    }

private:
    TSettingsReader& Reader;
    std::string CurrentSection;

    template <class T, class TConvert>
    void Convert(const char* key, const std::string& def, T& field, TConvert convert) {
        if (Error)
            return;
        std::string text = Reader.Read(key, def);
        if (auto value = convert(text))
            field = static_cast<T>(*value);
        else
            Fail(key, std::move(text));
    }
    void Fail(std::string key, std::string value) {
        Error = TSettingsReadError{CurrentSection, std::move(key), std::move(value)};
    }
};

class TKeyWriter {
public:
    explicit TKeyWriter(TSettingsWriter& writer) : Writer(writer) {}

    void Section(const char* name) { Writer.Section(name); }
    void Text(const char* key, const std::string& field) { Writer.Write(key, field); }
    void Bool(const char* key, bool field) { Writer.Write(key, YesNoText(field)); }
    void Int(const char* key, std::int32_t field) { Writer.Write(key, std::to_string(field)); }
    void Color(const char* key, TColor field) { Writer.Write(key, ColorToText(field)); }
    void Module(const TModuleSetupData& entry) {
        Writer.Write(entry.FileName, ModuleEntryText(entry));
    }
    void Rules(const std::vector<TColorRule>& rules) {
        Writer.Write("Count", std::to_string(rules.size()));
        for (std::size_t i = 0; i < rules.size(); ++i)
            Writer.Write(RuleKey(i + 1), ColorRuleText(rules[i]));
    }

private:
    TSettingsWriter& Writer;
};

} // namespace

std::string ModuleEntryText(const TModuleSetupData& entry) {
    return std::to_string(entry.Order) + "," + YesNoText(entry.Enabled) + "," +
           std::to_string(entry.Location);
}

TSettingsReadResult ReadSettingsKeys(TSettingsReader& reader, TRegIniRec& settings,
                                     std::vector<TModuleSetupData>& modules) {
    TKeyReader keys(reader);
    TSettingsReadResult result{SettingsVersion, std::nullopt};
    VisitKeys(keys, result.Version, settings, modules);
    std::ranges::stable_sort(modules, {}, &TModuleSetupData::Order);
    result.Error = std::move(keys.Error);
    return result;
}

void WriteSettingsKeys(TSettingsWriter& writer, const TRegIniRec& settings,
                       const std::vector<TModuleSetupData>& modules) {
    TKeyWriter keys(writer);
    std::string version = SettingsVersion;
    VisitKeys(keys, version, settings, modules);
}

} // namespace glimra
