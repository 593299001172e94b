// The configuration markup reader: one token per Next call, driven byte by byte by a small set
// of rules applied in a fixed order (see Next). The token's state is the event's Kind.
#include "config/markup_reader.h"

#include <cstdio>

#include "config/entities.h"

namespace {

// Whitespace of the C library in the "C" locale.
bool IsWhitespace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads a whole file as text: CR LF pairs become LF, as the C run-time's text mode does, so that
// a document reads the same on every platform.
bool ReadTextFile(const std::string& path, std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::string raw;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) raw.append(buffer, got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    if (!ok) return false;
    text.clear();
    text.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        text += raw[i];
    }
    return true;
}

// Working state of one token; cleared at the start of every Next call and after a comment.
struct TokenState {
    std::string attributeName;
    std::string attributeValue;
    std::string declarationBody;  // everything of a declaration after its target; not delivered
    char lastDeclarationByte = 0;
    bool pendingSpace = false;    // whitespace seen after stored characters
    bool inAttributes = false;    // the element name of a start tag is complete
    bool afterEquals = false;     // an '=' was seen: the attribute value is being read
    bool inQuotes = false;
    bool inDeclarationBody = false;
};

void StoreAttribute(MarkupEvent& event, TokenState& token) {
    event.Attributes[DecodeEntities(token.attributeName)] = DecodeEntities(token.attributeValue);
    token.attributeName.clear();
    token.attributeValue.clear();
}

// Stores one byte of a start tag, text or end tag (rule 10 of Next).
void StoreByte(MarkupEvent& event, TokenState& token, char c) {
    if (event.Kind == MarkupKind::None) event.Kind = MarkupKind::Text;
    if (event.Kind != MarkupKind::StartElement) {
        if (token.pendingSpace) {
            event.Name += ' ';
            token.pendingSpace = false;
        }
        event.Name += c;
        return;
    }
    if (token.pendingSpace) {
        if (!token.inAttributes) {
            token.inAttributes = true;
            token.afterEquals = false;
        } else if (token.afterEquals && !token.attributeValue.empty()) {
            StoreAttribute(event, token);
            token.afterEquals = false;
        }
        token.pendingSpace = false;
    }
    if (!token.inAttributes) {
        event.Name += c;
    } else if (c == '=') {
        token.afterEquals = true;  // never stored, not even inside quotes
    } else if (!token.afterEquals) {
        token.attributeName += c;
    } else {
        token.attributeValue += c;
    }
}

// Stores one byte of a declaration; true when it completed the closing "?>".
bool StoreDeclarationByte(MarkupEvent& event, TokenState& token, char c) {
    bool closes = c == '>' && token.lastDeclarationByte == '?';
    token.lastDeclarationByte = c;
    if (!token.inDeclarationBody && IsWhitespace(static_cast<unsigned char>(c))) token.inDeclarationBody = true;
    std::string& target = token.inDeclarationBody ? token.declarationBody : event.Name;
    target += c;
    if (closes) target.erase(target.size() - 2);
    return closes;
}

}  // namespace

bool MarkupReader::Open(const std::string& path) {
    fileName_.clear();
    openPath_.clear();
    input_.clear();
    position_ = 0;
    if (!ReadTextFile(path, input_)) {
        line_ = 0;
        failed_ = true;
        errorMessage_ = "Unable to open file " + path;
        return false;
    }
    fileName_ = path;
    line_ = 1;
    failed_ = false;
    errorMessage_.clear();
    return true;
}

void MarkupReader::OpenText(const std::string& text) {
    openPath_.clear();
    line_ = 1;
    failed_ = false;
    errorMessage_.clear();
    input_ = text;
    position_ = 0;
}

int MarkupReader::ReadByte() {
    if (position_ >= input_.size()) return -1;
    unsigned char c = static_cast<unsigned char>(input_[position_++]);
    if (c == '\n') ++line_;
    return c;
}

void MarkupReader::PushBack(const std::string& text) {
    // What is pushed back is never longer than what the token consumed, so it normally fits in
    // the consumed part of the buffer.
    if (position_ >= text.size()) {
        position_ -= text.size();
        input_.replace(position_, text.size(), text);
    } else {
        input_.insert(position_, text);
    }
}

bool MarkupReader::Fail(const std::string& message) {
    errorMessage_ = message;
    failed_ = true;
    return false;
}

// The tag-closing '>' outside quotes. Returns false on an error; sets restart when the tag was
// a comment, which is dropped.
bool MarkupReader::EndTag(MarkupEvent& event, bool& restart) {
    restart = false;
    if (event.Kind == MarkupKind::StartElement) {
        if (event.Name == "!--") {
            restart = true;
            return true;
        }
        if (!event.Name.empty() && event.Name.back() == '/') {
            event.Name.pop_back();
            PushBack("</" + event.Name + ">");
        }
        if (!openPath_.empty()) openPath_ += '/';
        openPath_ += event.Name;
        return true;
    }
    if (event.Kind == MarkupKind::EndElement) {
        if (openPath_.empty()) return Fail("Unexpected End");
        size_t slash = openPath_.rfind('/');
        size_t innermostStart = slash == std::string::npos ? 0 : slash + 1;
        std::string innermost = openPath_.substr(innermostStart);
        if (innermost != event.Name) {
            return Fail("End '" + event.Name + "' Doesn't Match Start '" + innermost + "'");
        }
        openPath_.erase(slash == std::string::npos ? 0 : slash);
        return true;
    }
    return Fail("Unexpected '>'");
}

bool MarkupReader::Next(MarkupEvent& event) {
    TokenState token;
    event = MarkupEvent();
    for (;;) {
        int byte = ReadByte();
        if (byte < 0) {
            if (event.Kind != MarkupKind::None) return Fail("Unexpected End of File");
            return false;
        }
        char c = static_cast<char>(byte);

        // 1. A declaration takes every byte up to its "?>".
        if (event.Kind == MarkupKind::Declaration) {
            if (StoreDeclarationByte(event, token, c)) break;
            continue;
        }
        // 2. A double quote after '=' opens or closes a quoted value; it is not stored.
        if (c == '"' && token.afterEquals) {
            token.inQuotes = !token.inQuotes;
            continue;
        }
        // 3. Inside quotes every byte is stored as it is.
        if (token.inQuotes) {
            StoreByte(event, token, c);
            continue;
        }
        // 4. '<' ends a text (it is read again by the next call) or opens a tag.
        if (c == '<') {
            if (event.Kind == MarkupKind::Text) {
                PushBack("<");
                break;
            }
            if (event.Kind != MarkupKind::None) return Fail("Unexpected '<'");
            event.Kind = MarkupKind::StartElement;
            continue;
        }
        // 5. '>' closes a tag.
        if (c == '>') {
            bool restart = false;
            if (!EndTag(event, restart)) return false;
            if (restart) {
                token = TokenState();
                event = MarkupEvent();
                continue;
            }
            break;
        }
        if (event.Kind == MarkupKind::StartElement && event.Name.empty()) {
            // 6. "</" begins an end tag; 7. "<?" a declaration.
            if (c == '/') {
                event.Kind = MarkupKind::EndElement;
                continue;
            }
            if (c == '?') {
                event.Kind = MarkupKind::Declaration;
                continue;
            }
        }
        // 8. Whitespace separates once something is stored; before that it is ignored.
        if (IsWhitespace(byte)) {
            if (!event.Name.empty()) token.pendingSpace = true;
            continue;
        }
        // 9. Other control bytes are not allowed outside quotes.
        if (byte <= 0x20) return Fail("Illegal Character");
        // 10. Everything else is stored.
        StoreByte(event, token, c);
    }

    if (!token.attributeName.empty()) StoreAttribute(event, token);
    event.Name = DecodeEntities(event.Name);
    return true;
}
