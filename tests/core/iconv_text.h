#pragma once
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <string_view>

namespace glimra {

// Test samples: UTF-8 text converted by the system's iconv, not by the code under test.
inline std::string Convert(const char* to, std::string_view utf8) {
    iconv_t cd = iconv_open(to, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << to;
    std::string out(utf8.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    char* dst = out.data();
    EXPECT_NE(iconv(cd, &in, &inLeft, &dst, &outLeft), static_cast<std::size_t>(-1)) << to;
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace glimra
