#include "common/start_options.h"

namespace glimra {
namespace {

constexpr std::string_view EncodingOption = "--encoding";
constexpr std::string_view RulesOption = "--rules";

} // namespace

std::vector<std::string> TStartOptions::Texts() const {
    std::vector<std::string> texts;
    if (Encoding)
        texts.push_back(std::string(EncodingOption) + "=" + std::string(EncodingName(*Encoding)));
    return texts;
}

std::optional<std::string> TakeStartOptions(std::vector<std::string>& params,
                                            TStartOptions& options, bool strict) {
    std::size_t taken = 0;
    std::optional<std::string> error;
    while (taken < params.size() && !(strict && error)) {
        const std::string& param = params[taken];
        if (param == "--") {
            ++taken;
            break;
        }
        if (param == RulesOption) {
            options.ListRules = true;
            ++taken;
            continue;
        }
        std::optional<std::string> name;
        if (param == EncodingOption) {
            if (taken + 1 < params.size())
                name = params[++taken];
        } else if (param.starts_with(std::string(EncodingOption) + "=")) {
            name = param.substr(EncodingOption.size() + 1);
        } else {
            break; // the file
        }
        ++taken;
        if (!name || name->empty())
            error = "--encoding needs a name, as in --encoding=CP932. Accepted names: " +
                    AcceptedEncodingNames();
        else if (auto encoding = EncodingFromName(*name))
            options.Encoding = encoding;
        else
            error =
                "unknown encoding \"" + *name + "\". Accepted names: " + AcceptedEncodingNames();
    }
    params.erase(params.begin(), params.begin() + static_cast<std::ptrdiff_t>(taken));
    if (!strict)
        return std::nullopt;
    return error;
}

} // namespace glimra
