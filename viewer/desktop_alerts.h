#pragma once
#include "common/color_rules.h"
#include "common/text_codec.h"
#include "viewer/alert_lines.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace glimra {

class TOpenFile;

// Announces appended lines that match an alert rule as desktop notifications
// (org.freedesktop.Notifications on the session bus). The bytes are read back from the
// file and matched on a thread of its own, which starts with the first rules that
// alert; the bus is only ever sent to, never waited on, and without one nothing is sent.
class TDesktopAlerts {
public:
    TDesktopAlerts() = default;
    ~TDesktopAlerts();
    TDesktopAlerts(const TDesktopAlerts&) = delete;
    TDesktopAlerts& operator=(const TDesktopAlerts&) = delete;

    void SetRules(std::shared_ptr<const TRuleSet> rules);
    // Bytes from..to of the file at path were appended while the window followed it;
    // they are matched as UTF-8 decoded from encoding with codecs (none: as they are).
    void Appended(const std::string& path, std::uint64_t from, std::uint64_t to,
                  TEncoding encoding = TEncoding::Utf8, const TTextCodecs* codecs = nullptr);
    // Notify calls sent, for the tests.
    int Sent() const;

private:
    struct TRange {
        std::string Path;
        std::uint64_t From, To;
        TEncoding Encoding;
        const TTextCodecs* Codecs;
    };
    void Run();
    void Read(const TRange& range);
    void Send(const std::string& path, const std::string& body);

    mutable std::mutex Lock;
    std::condition_variable Wake;
    std::deque<TRange> Ranges;
    std::shared_ptr<const TRuleSet> Rules;
    bool Stop = false;
    int SentCount = 0;
    std::thread Thread;
    // The worker's own.
    TAlertLines Lines;
    TAlertThrottle Throttle;
    std::string OpenPath;
    std::shared_ptr<TOpenFile> File;
    std::uint64_t End = 0; // where the last range read ended
    std::string LastPath;  // the file of the held bodies
    std::unique_ptr<TTextDecoder> Decoder;
    TEncoding DecoderEncoding = TEncoding::Utf8;
};

} // namespace glimra
