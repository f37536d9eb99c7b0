#pragma once
#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <string>

namespace glimra {

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
