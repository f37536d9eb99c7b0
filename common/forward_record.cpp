#include "common/forward_record.h"

#include <algorithm>

namespace glimra {
namespace {

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t GetU32(std::string_view in) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(in[i]);
    return v;
}

} // namespace

std::vector<std::string> CommandLineParameters(int argc, const char* const* argv,
                                               const std::string& workingFolder) {
    std::vector<std::string> params(argv + std::min(argc, 1), argv + argc);
    ResolveFirstParameter(params, workingFolder);
    return params;
}

void ResolveFirstParameter(std::vector<std::string>& params, const std::string& workingFolder) {
    if (!params.empty() && !params[0].empty() && params[0][0] != '/' && !workingFolder.empty())
        params[0] = workingFolder + "/" + params[0];
}

std::string JoinParameters(const std::vector<std::string>& params) {
    std::string text;
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (i > 0)
            text.push_back(' ');
        text += params[i];
    }
    return text;
}

TCopyDataRecord MakeForwardRecord(const std::vector<std::string>& params,
                                  const std::vector<std::string>& options) {
    TCopyDataRecord record;
    record.dwData = static_cast<std::uint32_t>(params.size());
    record.Data = JoinParameters(params);
    record.Data.push_back('\0');
    for (const std::string& option : options) {
        record.Data += option;
        record.Data.push_back('\0');
    }
    record.cbData = static_cast<std::uint32_t>(record.Data.size());
    return record;
}

std::string EncodeRecord(const TCopyDataRecord& record) {
    std::string out;
    PutU32(out, record.dwData);
    PutU32(out, record.cbData);
    out.append(record.Data, 0, record.cbData);
    return out;
}

std::string RecordText(const TCopyDataRecord& record) {
    std::string_view data(record.Data);
    data = data.substr(0, record.cbData);
    return std::string(data.substr(0, data.find('\0')));
}

std::vector<std::string> RecordOptions(const TCopyDataRecord& record) {
    std::string_view data(record.Data);
    data = data.substr(0, record.cbData);
    std::vector<std::string> options;
    std::size_t at = data.find('\0');
    while (at != std::string_view::npos && at + 1 < data.size()) {
        const std::size_t end = data.find('\0', at + 1);
        if (end == std::string_view::npos)
            break; // cut off: not an option we can trust
        options.emplace_back(data.substr(at + 1, end - at - 1));
        at = end;
    }
    return options;
}

TRecordReader::TState TRecordReader::Feed(std::string_view bytes) {
    if (State != TState::NeedMore)
        return State;
    Pending.append(bytes);
    if (Pending.size() < 8)
        return State;
    std::uint32_t cbData = GetU32(std::string_view(Pending).substr(4));
    if (cbData > MaxData)
        return State = TState::Invalid;
    if (Pending.size() < 8 + static_cast<std::size_t>(cbData))
        return State;
    if (Pending.size() > 8 + static_cast<std::size_t>(cbData))
        return State = TState::Invalid; // one record per connection
    Received.dwData = GetU32(Pending);
    Received.cbData = cbData;
    Received.Data = Pending.substr(8);
    Pending.clear();
    return State = TState::Complete;
}

} // namespace glimra
