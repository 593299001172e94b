// Files for tests: every test gets its own names in the temporary folder, because ctest runs the
// cases of one program as parallel processes.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// TempDir + "<suite>_<test>_" + name, with the '/' of parameterized names replaced.
inline std::string TestFilePath(const std::string& name) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string unique = std::string(test->test_suite_name()) + "_" + test->name();
    for (char& c : unique) {
        if (c == '/') c = '_';
    }
    return ::testing::TempDir() + unique + "_" + name;
}

// Writes content to path, replacing the file; returns the path.
inline std::string WriteBytes(const std::string& path, const std::string& content) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(file != nullptr) << path;
    if (file) {
        std::fwrite(content.data(), 1, content.size(), file);
        std::fclose(file);
    }
    return path;
}

inline std::string WriteTestFile(const std::string& name, const std::string& content) {
    return WriteBytes(TestFilePath(name), content);
}

inline std::string ReadTestFile(const std::string& path) {
    std::string data;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return data;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) data.append(buffer, got);
    std::fclose(file);
    return data;
}
