// MarkupReader: the small XML subset of the configuration documents, read one event at a time.
//
// The reader builds no tree. The consumer calls Next until it returns false and dispatches on
// each event's Kind. The reader checks that end tags match start tags, counts lines for error
// reports and stops at the first error with one message. Its quirks (attribute parsing,
// self-closing tags only directly after the name, comments as a tag named "!--", '&' entities
// decoded after whitespace folding) are the documents' format and are kept exactly.
#pragma once

#include <map>
#include <string>

enum class MarkupKind {
    None = 0,
    StartElement = 1,
    EndElement = 2,
    Text = 3,         // trimmed, inner whitespace runs folded to one space, entities decoded
    Declaration = 4,  // <?target ... ?>; consumers skip it
};

struct MarkupEvent {
    MarkupKind Kind = MarkupKind::None;
    std::string Name;  // element name, text, or declaration target; entities decoded
    std::map<std::string, std::string> Attributes;  // StartElement only; a repeated name keeps the later value
};

class MarkupReader {
public:
    MarkupReader() = default;
    virtual ~MarkupReader() = default;
    MarkupReader(const MarkupReader&) = delete;
    MarkupReader& operator=(const MarkupReader&) = delete;

    // Reads the file (as text: a CR LF pair counts as one line feed). On failure the error is set
    // to "Unable to open file " + path and the line is 0.
    bool Open(const std::string& path);
    // Reads a document held in memory; reports then carry no file name.
    void OpenText(const std::string& text);

    // Delivers the next event; false at the end of the input or on an error (see HasError).
    bool Next(MarkupEvent& event);

    bool HasError() const { return failed_; }
    const std::string& ErrorMessage() const { return errorMessage_; }
    int Line() const { return line_; }
    const std::string& FileName() const { return fileName_; }

private:
    int ReadByte();
    void PushBack(const std::string& text);
    bool Fail(const std::string& message);
    bool EndTag(MarkupEvent& event, bool& restart);

    std::string input_;      // the whole document; bytes before position_ are consumed
    size_t position_ = 0;
    std::string fileName_;
    std::string errorMessage_;
    std::string openPath_;   // open element names, outermost first, joined with '/'
    int line_ = 0;
    bool failed_ = false;
};
