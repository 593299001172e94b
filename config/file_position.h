// 64-bit file positions on both platforms (the C library's long is 32 bits on Windows).
#pragma once

#include <cstdint>
#include <cstdio>

inline bool SeekFile(std::FILE* file, int64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, offset, SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

inline bool SeekFileEnd(std::FILE* file) {
#ifdef _WIN32
    return _fseeki64(file, 0, SEEK_END) == 0;
#else
    return fseeko(file, 0, SEEK_END) == 0;
#endif
}

// The current position, or -1.
inline int64_t FilePosition(std::FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<int64_t>(ftello(file));
#endif
}
