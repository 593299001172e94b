// Entity decoding and encoding of the configuration markup.
//
// Note the pairing of the two line-end entities: "&cr;" stands for the line feed (0x0A) and
// "&lf;" for the carriage return (0x0D). Documents already in the field rely on that, so it is
// kept in both directions.
#include "config/entities.h"

#include <cstring>

namespace {

struct Entity {
    const char* name;
    char value;
};

constexpr Entity kEntities[] = {
    {"lt", '<'},   {"amp", '&'},  {"gt", '>'}, {"quot", '"'},
    {"apos", '\''}, {"nbsp", ' '}, {"cr", '\n'}, {"lf", '\r'},
};

}  // namespace

std::string DecodeEntities(const std::string& text) {
    if (text.find('&') == std::string::npos) return text;
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c != '&') {
            out += c;
            ++i;
            continue;
        }
        size_t semicolon = text.find(';', i + 1);
        if (semicolon == std::string::npos) {
            out += '&';
            ++i;
            continue;
        }
        const char* name = text.data() + i + 1;
        size_t nameLength = semicolon - i - 1;
        char replacement = '&';  // unknown names leave a lone '&'
        for (const Entity& entity : kEntities) {
            if (std::strlen(entity.name) == nameLength &&
                std::memcmp(entity.name, name, nameLength) == 0) {
                replacement = entity.value;
                break;
            }
        }
        out += replacement;
        i = semicolon + 1;
    }
    return out;
}

std::string EncodeEntities(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    char previous = 0;
    for (char c : text) {
        switch (c) {
            case '\n': out += "&cr;"; break;
            case '\r': out += "&lf;"; break;
            case '"': out += "&quot;"; break;
            case '&': out += "&amp;"; break;
            case '\'': out += "&apos;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case ' ': out += previous == ' ' ? "&nbsp;" : " "; break;
            default: out += c; break;
        }
        previous = c;
    }
    return out;
}
