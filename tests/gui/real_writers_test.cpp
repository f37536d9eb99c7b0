// Following a log's end while real tools write and rotate it.
#include "fake_window_host.h"
#include "gui_test_util.h"
#include "viewer/viewer_window.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace glimra {
namespace {

// Appends a numbered line every 5 ms: keeping the file open (as most programs do),
// opening it for each line (as a shell's >> does), or through Python's own rotation.
const char* const Writer = R"(
import logging, logging.handlers, sys, time
how, path, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
end = time.time() + seconds
if how == 'python':
    handler = logging.handlers.RotatingFileHandler(path, maxBytes=4000, backupCount=2)
    log = logging.getLogger('w')
    log.addHandler(handler)
    log.setLevel(logging.INFO)
    write = lambda text: log.info(text)
elif how == 'keep':
    out = open(path, 'a', buffering=1)
    write = out.write
else:
    def write(text):
        with open(path, 'a') as out:
            out.write(text)
n = 0
while time.time() < end:
    n += 1
    write('line %d\n' % n)
    time.sleep(0.005)
)";

struct TRotation {
    const char* Name;
    const char* Writer;    // how the writer writes
    const char* Directive; // logrotate's way, or none: the writer rotates itself
};

void PrintTo(const TRotation& r, std::ostream* out) {
    *out << r.Name;
}

class RealWritersTest : public ::testing::TestWithParam<TRotation> {
protected:
    TTestFolder Folder;
    TFakeWindowHost Host;
};

// A view at the end stays there through every rotation, however it lands between
// the reads; some faults show in some rotations only, so there are several.
TEST_P(RealWritersTest, AViewAtTheEndStaysAtTheEnd) {
    const TRotation& r = GetParam();
    QString logrotate = QStandardPaths::findExecutable("logrotate");
    if (logrotate.isEmpty())
        logrotate = QStandardPaths::findExecutable("logrotate", {"/usr/sbin", "/sbin"});
    if (QStandardPaths::findExecutable("python3").isEmpty() || (r.Directive && logrotate.isEmpty()))
        GTEST_SKIP() << "python3 or logrotate is not installed";
    const std::string log = Folder.Write("app.log", "");
    const std::string config =
        Folder.Write("rotate.conf", "\"" + log + "\" {\n  rotate 3\n  " +
                                        (r.Directive ? r.Directive : "") + "\n}\n");
    Host.Values.WaitTime = 300; // a confirming read soon after a failed one
    auto w = MakeWindow(Host);
    w->OpenFile(log);
    w->GlimraButton2Click();
    const int rotations = 4;
    QProcess writer;
    writer.start("python3", {"-c", Writer, r.Writer, QString::fromStdString(log),
                             QString::number(rotations + 5)});
    ASSERT_TRUE(writer.waitForStarted());
    auto atEnd = [&] { return w->ScrollMax() > 0 && w->ScrollPosition() == w->ScrollMax(); };
    ASSERT_TRUE(WaitFor(atEnd, 5000)) << "the view never reached the end";
    int strayed = 0;
    for (int i = 0; i < rotations; ++i) {
        if (r.Directive) {
            QProcess rotate;
            rotate.start(logrotate, {"-f", "-s", QString::fromStdString(Folder.Path("state")),
                                     QString::fromStdString(config)});
            ASSERT_TRUE(WaitFor([&] { return rotate.state() == QProcess::NotRunning; }, 10000));
            ASSERT_EQ(rotate.exitCode(), 0) << rotate.readAllStandardError().toStdString();
        }
        WaitFor([] { return false; }, 800); // the new file grows past a screen
        strayed += !WaitFor(atEnd, 2000);
    }
    EXPECT_EQ(strayed, 0) << "rotations after which the view left the end";
    writer.kill();
    writer.waitForFinished();
}

INSTANTIATE_TEST_SUITE_P(Rotations, RealWritersTest,
                         ::testing::Values(TRotation{"create", "reopen", "create"},
                                           TRotation{"copytruncate", "keep", "copytruncate"},
                                           TRotation{"python", "python", nullptr}),
                         [](const auto& info) { return std::string(info.param.Name); });

} // namespace
} // namespace glimra
