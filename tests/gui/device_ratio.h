#pragma once
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <gtest/gtest.h>

#include <initializer_list>

namespace glimra {

// The device pixel ratio is fixed when the application starts: a test that needs 2
// runs itself again in a child process at scale 2. True in that child, where the test
// goes on; in the parent the child's result is checked and the test ends there.
inline bool RunsAtRatioTwo() {
    if (qApp->devicePixelRatio() != 1.0)
        return true;
    const ::testing::TestInfo& test = *::testing::UnitTest::GetInstance()->current_test_info();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_SCALE_FACTOR", "2");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2")
                     .arg(QLatin1String(test.test_suite_name()), QLatin1String(test.name()))});
    EXPECT_TRUE(child.waitForFinished(60000));
    const std::string output = QString::fromLocal8Bit(child.readAll()).toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    return false;
}

// Window pixels of area whose four device pixels in shown (taken at ratio 2) are not
// all alike: ink drawn for the device; a pixel-doubled picture has none.
inline int SplitPixels(const QImage& shown, QRect area) {
    int count = 0;
    for (int y = 2 * area.top(); y <= 2 * area.bottom(); y += 2)
        for (int x = 2 * area.left(); x <= 2 * area.right(); x += 2) {
            const QRgb p = shown.pixel(x, y);
            count += p != shown.pixel(x + 1, y) || p != shown.pixel(x, y + 1) ||
                     p != shown.pixel(x + 1, y + 1);
        }
    return count;
}

// An area of a window that should hold ink drawn for the device.
struct TFineArea {
    const char* What;
    QRect Area;
    int Least; // split pixels at least
};

inline void ExpectFine(const QImage& shown, std::initializer_list<TFineArea> areas) {
    for (const TFineArea& area : areas)
        EXPECT_GE(SplitPixels(shown, area.Area), area.Least) << area.What;
}

} // namespace glimra
