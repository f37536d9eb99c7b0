#pragma once
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <fstream>
#include <string>

namespace glimra {

// Runs the event loop until done() holds or the time is up; says whether it held.
template <typename F> bool WaitFor(F done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

// A temporary folder for files a test writes.
class TTestFolder {
public:
    std::string Path(const std::string& name) const {
        return (Dir.path() + QLatin1Char('/')).toStdString() + name;
    }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    QTemporaryDir Dir;
};

} // namespace glimra
