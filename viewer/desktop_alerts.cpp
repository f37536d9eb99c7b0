#include "viewer/desktop_alerts.h"

#include "platform/file_access.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QVariantMap>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace glimra {
namespace {

// Without an address or the usual socket the library would try to launch a bus.
bool SessionBusConfigured() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    return runtime && *runtime && std::filesystem::exists(std::string(runtime) + "/bus", ec);
}

} // namespace

TDesktopAlerts::~TDesktopAlerts() {
    {
        std::lock_guard lock(Lock);
        Stop = true;
    }
    Wake.notify_all();
    if (Thread.joinable())
        Thread.join();
}

void TDesktopAlerts::SetRules(std::shared_ptr<const TRuleSet> rules) {
    std::lock_guard lock(Lock);
    Rules = std::move(rules);
}

void TDesktopAlerts::Appended(const std::string& path, std::uint64_t from, std::uint64_t to,
                              TEncoding encoding, const TTextCodecs* codecs) {
    {
        std::lock_guard lock(Lock);
        if (!Rules || !Rules->HasAlerts() || to <= from)
            return;
        Ranges.push_back({path, from, to, encoding, codecs});
        if (!Thread.joinable())
            Thread = std::thread([this] { Run(); });
    }
    Wake.notify_all();
}

int TDesktopAlerts::Sent() const {
    std::lock_guard lock(Lock);
    return SentCount;
}

void TDesktopAlerts::Run() {
    std::unique_lock lock(Lock);
    while (!Stop) {
        if (!Ranges.empty()) {
            TRange range = std::move(Ranges.front());
            Ranges.pop_front();
            lock.unlock();
            Read(range);
            lock.lock();
            continue;
        }
        const auto now = TAlertThrottle::TClock::now();
        std::vector<std::string> due = Throttle.Due(now);
        if (!due.empty()) {
            lock.unlock();
            for (const std::string& body : due)
                Send(LastPath, body);
            lock.lock();
            continue;
        }
        if (auto next = Throttle.NextDue())
            Wake.wait_until(lock, *next);
        else
            Wake.wait(lock);
    }
}

void TDesktopAlerts::Read(const TRange& range) {
    std::shared_ptr<const TRuleSet> rules;
    {
        std::lock_guard lock(Lock);
        rules = Rules;
    }
    if (range.Path != OpenPath || !File) {
        OpenPath = range.Path;
        File.reset();
        if (TOpenFile::Open(range.Path, File) != TReadResult::Ok)
            File.reset();
    }
    // Bytes that do not follow the last ones start a line of their own.
    if (range.From != End || range.Path != LastPath || range.Encoding != DecoderEncoding) {
        Lines.Reset();
        DecoderEncoding = range.Encoding;
        Decoder = range.Codecs ? range.Codecs->Decoder(range.Encoding) : nullptr;
    }
    End = range.To;
    LastPath = range.Path;
    if (!File || !rules)
        return;
    std::vector<char> buffer(std::size_t{1} << 20);
    std::string text; // the bytes as UTF-8
    for (std::uint64_t at = range.From; at < range.To;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), range.To - at));
        const std::int64_t got = File->ReadAt(static_cast<std::int64_t>(at), buffer.data(), want);
        if (got <= 0)
            return;
        std::string_view bytes(buffer.data(), static_cast<std::size_t>(got));
        if (Decoder) {
            text.clear();
            Decoder->Decode(bytes, text);
            bytes = text;
        }
        Lines.Feed(bytes, *rules, [&](int rule, std::string_view line) {
            if (auto body = Throttle.Hit(rule, line, TAlertThrottle::TClock::now()))
                Send(range.Path, *body);
        });
        at += static_cast<std::uint64_t>(got);
    }
}

void TDesktopAlerts::Send(const std::string& path, const std::string& body) {
    if (!SessionBusConfigured())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("4th Glimra") << 0u << QString()
         << QFileInfo(QString::fromStdString(path)).fileName() << QString::fromUtf8(body)
         << QStringList() << QVariantMap() << -1;
    // Sent without waiting for the answer; no bus or no service just ends here.
    if (QDBusConnection::sessionBus().send(call)) {
        std::lock_guard lock(Lock);
        ++SentCount;
    }
}

} // namespace glimra
