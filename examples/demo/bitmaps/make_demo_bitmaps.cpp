// Draws the demo package's two pictures as 24-bit BMP files: logo.bmp (200 x 76, the height of
// the installer's header band) and product.bmp (100 x 50, the picture in the header's frame).
// Run once to make examples/demo/cfg/*.bmp; a test checks that the committed files are still
// what this program draws.
//
//     demo-bitmaps OUTPUT_FOLDER
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/cabwriter/little_endian.h"

namespace {

using cabwriter::PutU16;
using cabwriter::PutU32;

struct Color {
    uint8_t r, g, b;
};

struct Picture {
    int width;
    int height;
    std::vector<Color> pixels;  // row by row from the top
    Picture(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), Color{0, 0, 0}) {}
    void Set(int x, int y, Color c) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[size_t(y) * size_t(width) + size_t(x)] = c;
    }
};

// 5 x 7 glyphs of the few letters the pictures spell, one row per byte, bit 4 the left column.
struct Glyph {
    char letter;
    uint8_t rows[7];
};
const Glyph Glyphs[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}}, {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
};

// Draws text with each glyph pixel as a scale x scale square.
void DrawText(Picture& picture, int x, int y, int scale, const std::string& text, Color color) {
    for (char letter : text) {
        for (const Glyph& glyph : Glyphs) {
            if (glyph.letter != letter) continue;
            for (int row = 0; row < 7; ++row) {
                for (int column = 0; column < 5; ++column) {
                    if (!(glyph.rows[row] & (0x10 >> column))) continue;
                    for (int dy = 0; dy < scale; ++dy) {
                        for (int dx = 0; dx < scale; ++dx) picture.Set(x + column * scale + dx, y + row * scale + dy, color);
                    }
                }
            }
        }
        x += 6 * scale;
    }
}

// The header band's light grey fading into deep blue towards the right, with the name on it.
Picture DrawLogo() {
    Picture logo(200, 76);
    for (int y = 0; y < logo.height; ++y) {
        for (int x = 0; x < logo.width; ++x) {
            int t = x * 255 / (logo.width - 1);
            logo.Set(x, y, Color{uint8_t(218 - t * 188 / 255), uint8_t(218 - t * 158 / 255), uint8_t(218 - t * 68 / 255)});
        }
    }
    DrawText(logo, 12, 10, 4, "ZEL", Color{150, 20, 20});
    DrawText(logo, 12, 44, 3, "DEMO GAME", Color{30, 30, 90});
    return logo;
}

// A night sky with a moon and a green hill, for the product frame.
Picture DrawProduct() {
    Picture product(100, 50);
    for (int y = 0; y < product.height; ++y) {
        for (int x = 0; x < product.width; ++x) {
            product.Set(x, y, Color{uint8_t(10 + y), uint8_t(20 + y * 2), uint8_t(60 + y * 3)});
            int dx = x - 75, dy = y - 14;
            if (dx * dx + dy * dy <= 64) product.Set(x, y, Color{250, 240, 180});
            int hill = 38 - (40 - (x - 35) * (x - 35) / 60) / 3;
            if (y >= hill) product.Set(x, y, Color{30, uint8_t(110 + (y - hill) * 3), 40});
        }
    }
    DrawText(product, 26, 4, 1, "GAME", Color{255, 255, 255});
    return product;
}

// BITMAPFILEHEADER, BITMAPINFOHEADER (24 bits, no compression), rows bottom-up in BGR order,
// each padded to a multiple of 4 bytes.
bool WriteBmp(const Picture& picture, const std::string& path) {
    uint32_t rowSize = (uint32_t(picture.width) * 3 + 3) & ~3u;
    uint32_t dataSize = rowSize * uint32_t(picture.height);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutU32(out, 14 + 40 + dataSize);  // file size
    PutU32(out, 0);                   // reserved
    PutU32(out, 14 + 40);             // offset of the pixels
    PutU32(out, 40);                  // header size
    PutU32(out, uint32_t(picture.width));
    PutU32(out, uint32_t(picture.height));  // positive: bottom-up
    PutU16(out, 1);                   // planes
    PutU16(out, 24);                  // bits per pixel
    PutU32(out, 0);                   // BI_RGB
    PutU32(out, dataSize);
    PutU32(out, 2835);                // 72 dpi in pixels per metre
    PutU32(out, 2835);
    PutU32(out, 0);                   // colours used
    PutU32(out, 0);                   // important colours
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const Color& c = picture.pixels[size_t(y) * size_t(picture.width) + size_t(x)];
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
        }
        for (uint32_t pad = uint32_t(picture.width) * 3; pad < rowSize; ++pad) out.push_back(0);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demo-bitmaps OUTPUT_FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    if (!WriteBmp(DrawLogo(), folder + "/logo.bmp") || !WriteBmp(DrawProduct(), folder + "/product.bmp")) {
        std::fprintf(stderr, "demo-bitmaps: cannot write into '%s'\n", folder.c_str());
        return 1;
    }
    return 0;
}
