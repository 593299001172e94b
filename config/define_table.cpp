// The define table and its expansion.
//
// Expand's meaning: find the first '%' of the text, then the next '%' after it; the bytes between
// name a variable, and the two '%' with the name are replaced by its value; then start again
// from the beginning of the text. Values inserted are therefore expanded in turn, and '%' always
// pairs from the left: a lone '%' survives only when no further '%' follows it.
//
// Starting again from the beginning never revisits the text before the replaced '%' (it holds no
// '%'), so the expansion is done as one left-to-right pass over a stack of pieces still to read:
// the rest of the text at the bottom, each inserted value on top. That costs time in proportion
// to the bytes read rather than to the text's length for every replacement. A variable that
// refers to itself would never end; MaxReplacements and MaxExpandedLength stop it, leaving the
// unread rest as it stands.
#include "config/define_table.h"

#include <cstring>
#include <vector>

namespace {

// A piece of text still to be read: [next, end) of a stable string.
struct Piece {
    const char* next;
    const char* end;
};

class PieceStack {
public:
    explicit PieceStack(const std::string& text) { Push(text); }

    void Push(const std::string& text) {
        if (!text.empty()) pieces_.push_back({text.data(), text.data() + text.size()});
    }
    bool Empty() const { return pieces_.empty(); }

    // Moves the bytes before the next '%' to out; true when a '%' was found (and consumed).
    bool CopyUntilPercent(std::string& out) {
        while (!pieces_.empty()) {
            Piece& top = pieces_.back();
            const char* percent = static_cast<const char*>(memchr(top.next, '%', top.end - top.next));
            const char* stop = percent ? percent : top.end;
            out.append(top.next, stop);
            if (percent) {
                top.next = percent + 1;
                DropEmpty();
                return true;
            }
            pieces_.pop_back();
        }
        return false;
    }

    // Appends everything left to out.
    void CopyRest(std::string& out) {
        while (!pieces_.empty()) {
            out.append(pieces_.back().next, pieces_.back().end);
            pieces_.pop_back();
        }
    }

private:
    void DropEmpty() {
        while (!pieces_.empty() && pieces_.back().next == pieces_.back().end) pieces_.pop_back();
    }
    std::vector<Piece> pieces_;
};

const std::string kEmpty;

}  // namespace

DefineTable::DefineTable() : ConfigDocument("Defines", false) {}

void DefineTable::Set(const std::string& name, const std::string& value) {
    variables_[name] = value;
}

const std::string& DefineTable::Lookup(const std::string& name) const {
    auto found = variables_.find(name);
    return found == variables_.end() ? kEmpty : found->second;
}

std::string DefineTable::Expand(const std::string& text) const {
    if (text.find('%') == std::string::npos) return text;
    std::string out;
    PieceStack input(text);
    size_t replacements = 0;
    while (input.CopyUntilPercent(out)) {
        if (replacements >= MaxReplacements || out.size() > MaxExpandedLength) {
            out += '%';
            input.CopyRest(out);
            break;
        }
        std::string name;
        if (!input.CopyUntilPercent(name)) {
            // A lone '%' with no partner after it stays, with everything after it.
            out += '%';
            out += name;
            break;
        }
        input.Push(Lookup(name));
        ++replacements;
    }
    return out;
}

SectionResult DefineTable::ReadDefines(const MarkupEvent& start) {
    if (start.Name != "Define") return SectionResult::Unknown;
    std::string name, value;
    bool ok = ReadContainer([&](const MarkupEvent& field) {
        if (field.Name == "Name") return ReadTextSection(name);
        if (field.Name == "Value") return ReadTextSection(value);
        return SectionResult::Unknown;
    });
    if (!ok) return SectionResult::Failed;
    if (!name.empty()) Set(name, value);
    return SectionResult::Read;
}

bool DefineTable::LoadFile(const std::string& path) {
    return ConfigDocument::LoadFile(path, [this](const MarkupEvent& e) { return ReadDefines(e); });
}

bool DefineTable::LoadText(const std::string& text) {
    return ConfigDocument::LoadText(text, [this](const MarkupEvent& e) { return ReadDefines(e); });
}
