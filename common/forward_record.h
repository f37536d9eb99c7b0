#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace glimra {

// The command line a later instance hands to the running one.
struct TCopyDataRecord {
    std::uint32_t dwData = 0; // parameter count
    std::uint32_t cbData = 0; // length of Data: the text and its NUL
    std::string Data;
};

// The parameters after the program name, as the bytes they are. A relative first
// parameter is made absolute on workingFolder, since the running instance may have
// another working folder.
std::vector<std::string> CommandLineParameters(int argc, const char* const* argv,
                                               const std::string& workingFolder);
// Makes a relative first parameter absolute on workingFolder (none when it is empty).
void ResolveFirstParameter(std::vector<std::string>& params, const std::string& workingFolder);

// Parameters joined with single blanks, nothing quoted, so a path the shell split
// at its blanks arrives whole.
std::string JoinParameters(const std::vector<std::string>& params);
// options: texts that follow the joined text, each after a NUL. A receiver that
// knows none of them reads the text up to its NUL and opens the file as before.
TCopyDataRecord MakeForwardRecord(const std::vector<std::string>& params,
                                  const std::vector<std::string>& options = {});

// Wire form: dwData and cbData as 32-bit little-endian, then the cbData bytes.
std::string EncodeRecord(const TCopyDataRecord& record);

// The text of a received record: up to its first NUL, never past cbData bytes.
std::string RecordText(const TCopyDataRecord& record);
// The option texts after the text's NUL, within cbData bytes.
std::vector<std::string> RecordOptions(const TCopyDataRecord& record);

// Reads a record from a stream of bytes as they arrive.
class TRecordReader {
public:
    static constexpr std::uint32_t MaxData = 1 << 20;
    enum class TState { NeedMore, Complete, Invalid };
    TState Feed(std::string_view bytes);
    const TCopyDataRecord& Record() const { return Received; }

private:
    std::string Pending;
    TCopyDataRecord Received;
    TState State = TState::NeedMore;
};

} // namespace glimra
