#include "gui_test_util.h"
#include "platform/instance_channel.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace glimra {
namespace {

class InstanceChannelTest : public ::testing::Test {
protected:
    QTemporaryDir Runtime;
    QByteArray SavedRuntime = qgetenv("XDG_RUNTIME_DIR");
    QByteArray SavedTemp = qgetenv("TMPDIR");
    QString Name;

    void SetUp() override {
        ASSERT_TRUE(Runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(Runtime.path()));
        Name = TInstanceChannel::ServerName(Runtime.path());
    }
    void TearDown() override {
        qputenv("XDG_RUNTIME_DIR", SavedRuntime);
        qputenv("TMPDIR", SavedTemp);
    }

    std::vector<std::string> Received;
    bool Refusing = false;
    // The first start: owns the name, listens, and keeps every record it is handed.
    void StartRecordingOwner(TInstanceChannel& owner) {
        QString error;
        ASSERT_EQ(owner.Start(MakeForwardRecord({}), &error, 300), TStartRole::Owner)
            << error.toStdString();
        ASSERT_TRUE(owner.Listen());
        owner.Serve([this](const TCopyDataRecord& record) {
            Received.push_back(RecordText(record));
            return !Refusing;
        });
    }

    sockaddr_un Address() const {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(Name);
        std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
        return address;
    }
    // A client socket connected (or queued) without the channel's help.
    int RawConnect(int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                     0)) const {
        const sockaddr_un address = Address();
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        return fd;
    }
    static void Send(int fd, const std::string& file) {
        const std::string wire = EncodeRecord(MakeForwardRecord({file}));
        ASSERT_EQ(::write(fd, wire.data(), wire.size()), static_cast<ssize_t>(wire.size()));
    }
    // The answer byte, or '-' once the other side closed without one.
    static char Answer(int fd, int timeoutMs = 5000) {
        char byte = 0;
        WaitFor(
            [&] {
                const ssize_t n = ::recv(fd, &byte, 1, MSG_DONTWAIT);
                if (n == 0)
                    byte = '-';
                return n >= 0;
            },
            timeoutMs);
        return byte;
    }
    // A raw sender's side of the hand-over: a whole record is offered back, and the
    // sender that still waits goes ahead; returns the final answer.
    static char GoAhead(int fd) {
        const char offer = Answer(fd);
        if (offer != '+')
            return offer;
        EXPECT_EQ(::write(fd, "g", 1), 1);
        return Answer(fd);
    }
    // Forwards from another thread while this one serves.
    TForwardResult ForwardServed(const std::string& file) const {
        auto result = std::async(std::launch::async, [this, file] {
            return TInstanceChannel::Forward(Name, MakeForwardRecord({file}), 2000, 5000);
        });
        WaitFor(
            [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            8000);
        return result.get();
    }
};

TEST_F(InstanceChannelTest, HandsRecordsToTheHandlerAndAnswers) {
    TInstanceChannel owner;
    StartRecordingOwner(owner);
    EXPECT_EQ(ForwardServed("/logs/a \xff.log"), TForwardResult::Delivered);
    Refusing = true;
    EXPECT_EQ(ForwardServed("/logs/b.log"), TForwardResult::Refused);
    EXPECT_EQ(Received, (std::vector<std::string>{"/logs/a \xff.log", "/logs/b.log"}));
}

TEST_F(InstanceChannelTest, ARecordWhoseSenderGaveUpIsDroppedNotOpened) {
    TInstanceChannel owner;
    StartRecordingOwner(owner);
    // The running instance is busy past the sender's patience: the sender reports
    // failure, so the record must not be opened once the instance gets to it.
    auto sent = std::async(std::launch::async, [this] {
        return TInstanceChannel::Forward(Name, MakeForwardRecord({"/late.log"}), 2000, 200);
    });
    EXPECT_EQ(sent.get(), TForwardResult::TimedOut);
    WaitFor([] { return false; }, 500);
    EXPECT_TRUE(Received.empty());
    // A sender that gives up just as its record is offered leaves nothing opened either.
    const int quitter = RawConnect();
    Send(quitter, "/quitter.log");
    EXPECT_EQ(Answer(quitter), '+');
    ::close(quitter);
    WaitFor([] { return false; }, 300);
    EXPECT_TRUE(Received.empty());
    EXPECT_EQ(ForwardServed("/waiting.log"), TForwardResult::Delivered);
    EXPECT_EQ(Received, std::vector<std::string>{"/waiting.log"});
}

TEST_F(InstanceChannelTest, AForwarderThatIsNotAnsweredFails) {
    // The lock is taken and nobody listens: the start waits, then gives up saying why.
    QFile lock(Name + ".lock");
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_EQ(flock(lock.handle(), LOCK_EX | LOCK_NB), 0);
    TInstanceChannel late;
    QString error;
    EXPECT_EQ(late.Start(MakeForwardRecord({"/x.log"}), &error, 300), TStartRole::Failed);
    EXPECT_TRUE(error.contains("/x.log")) << error.toStdString();

    // Someone listens, reads the record and closes without answering.
    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const sockaddr_un address = Address();
    ASSERT_EQ(::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server, 8), 0);
    auto start = std::async(std::launch::async, [] {
        TInstanceChannel channel;
        QString why;
        const TStartRole role = channel.Start(MakeForwardRecord({"/y.log"}), &why, 500);
        return std::make_pair(role, why);
    });
    while (start.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        const int fd = ::accept(server, nullptr, nullptr);
        char bytes[64];
        if (fd >= 0 && ::read(fd, bytes, sizeof bytes) >= 0)
            ::close(fd);
    }
    ::close(server);
    auto [role, why] = start.get();
    EXPECT_EQ(role, TStartRole::Failed);
    EXPECT_TRUE(why.contains("without an answer")) << why.toStdString();
}

TEST_F(InstanceChannelTest, KeepsListeningThroughSilentClientsAndDescriptorExhaustion) {
    TInstanceChannel owner;
    StartRecordingOwner(owner);
    std::vector<int> silent;
    for (int i = 0; i < 3 * TInstanceChannel::MaxConnections; ++i)
        silent.push_back(RawConnect());
    const int speaker = RawConnect();
    const int late = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int highest = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    // Room for the connections the channel keeps, not for every silent client.
    rlimit low = saved;
    low.rlim_cur = static_cast<rlim_t>(highest + TInstanceChannel::MaxConnections + 8);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    Send(speaker, "/speaker.log");
    EXPECT_EQ(GoAhead(speaker), '1');

    // Out of descriptors altogether: the sender waits until some are free again.
    std::vector<int> fillers;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        fillers.push_back(fd);
    RawConnect(late);
    Send(late, "/late.log");
    WaitFor([] { return false; }, 600);
    for (int fd : fillers)
        ::close(fd);
    ::close(highest);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(GoAhead(late), '1');
    EXPECT_EQ(ForwardServed("/after.log"), TForwardResult::Delivered);
    EXPECT_EQ(Received, (std::vector<std::string>{"/speaker.log", "/late.log", "/after.log"}));

    // A client that stays silent is closed after a few seconds.
    EXPECT_EQ(Answer(silent.back(), TInstanceChannel::SilentClientMs + 2000), '-');
    for (int fd : silent)
        ::close(fd);
    ::close(speaker);
    ::close(late);
}

TEST_F(InstanceChannelTest, FallbackFolderMustBeTheUsersAlone) {
    QTemporaryDir temp;
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    const QString folder = temp.path() + QStringLiteral("/glimra4-%1").arg(getuid());
    const QByteArray path = QFile::encodeName(folder);
    EXPECT_EQ(TInstanceChannel::RuntimeFolder(), folder); // made with mode 0700
    ASSERT_EQ(::chmod(path.constData(), 0755), 0);
    QString error;
    EXPECT_EQ(TInstanceChannel::RuntimeFolder(&error), QString());
    EXPECT_TRUE(error.contains(folder));
    TInstanceChannel refused;
    EXPECT_EQ(refused.Start(MakeForwardRecord({}), &error, 300), TStartRole::Failed);
    ASSERT_EQ(::chmod(path.constData(), 0700), 0);
    ASSERT_EQ(::chown(path.constData(), 65534, 65534), 0);
    EXPECT_EQ(TInstanceChannel::RuntimeFolder(), QString());
    // A folder named in XDG_RUNTIME_DIR that is missing falls back the same way.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(temp.path() + "/missing"));
    EXPECT_EQ(TInstanceChannel::RuntimeFolder(), QString());
}

TEST_F(InstanceChannelTest, ARuntimeFolderFromTheEnvironmentIsCheckedTheSameWay) {
    QTemporaryDir temp;
    const QByteArray open = QFile::encodeName(temp.path() + "/open");
    const QByteArray link = QFile::encodeName(temp.path() + "/link");
    const QByteArray theirs = QFile::encodeName(temp.path() + "/theirs");
    ASSERT_EQ(::mkdir(open.constData(), 0700), 0);
    ASSERT_EQ(::chmod(open.constData(), 0777), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(Runtime.path()).constData(), link.constData()), 0);
    ASSERT_EQ(::mkdir(theirs.constData(), 0700), 0);
    ASSERT_EQ(::chown(theirs.constData(), 65534, 65534), 0);
    for (const QByteArray& folder : {open, link, theirs}) {
        SCOPED_TRACE(folder.toStdString());
        qputenv("XDG_RUNTIME_DIR", folder);
        QString error;
        EXPECT_EQ(TInstanceChannel::RuntimeFolder(&error), QString());
        EXPECT_TRUE(error.contains(QFile::decodeName(folder))) << error.toStdString();
        TInstanceChannel refused;
        EXPECT_EQ(refused.Start(MakeForwardRecord({}), &error, 300), TStartRole::Failed);
        EXPECT_FALSE(
            QFile::exists(TInstanceChannel::ServerName(QFile::decodeName(folder)) + ".lock"));
    }
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(Runtime.path()));
    EXPECT_EQ(TInstanceChannel::RuntimeFolder(), Runtime.path());
}

} // namespace
} // namespace glimra
