// The load pattern that every configuration document shares.
//
// A document is read by walking the MarkupReader's events with one small routine per element
// ("section"): text fields, containers and records, under a root loop. The first error of any
// kind ends the load with one report that names the line and the file:
//
//     <message> on Line <n> in File '<path>'
//
// (the line part only when the reader's line is above 0, the file part only when it read a
// file). A document that failed once stays failed; the system never loads into it again.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "config/markup_reader.h"

// What a container's child handler made of a start tag.
enum class SectionResult {
    Read,     // the child section was read completely
    Failed,   // reading it failed; the report has been made
    Unknown,  // the container does not accept an element of that name
};

// Handler for the children of a container, given the child's start-tag event.
using SectionHandler = std::function<SectionResult(const MarkupEvent& start)>;

class ConfigDocument {
public:
    virtual ~ConfigDocument() = default;
    ConfigDocument(ConfigDocument&&) = default;
    ConfigDocument& operator=(ConfigDocument&&) = default;

    // The report of the error that ended the failed load.
    const std::string& ErrorText() const { return errorText_; }
    bool Failed() const { return failed_; }

protected:
    // quoteNestedSection: an element inside a text field is reported as
    // "Unexpected Section: '<name>'" instead of "Unexpected Section: <name>".
    ConfigDocument(std::string rootName, bool quoteNestedSection);

    // Loads from a file or from a text in memory through the root loop; rootContent reads the
    // children of each root element. True when no error was reported (in this or any earlier
    // load).
    bool LoadFile(const std::string& path, const SectionHandler& rootContent);
    bool LoadText(const std::string& text, const SectionHandler& rootContent);

    // Builds the error text from the message and the reader's line and file name.
    void ReportError(const std::string& message);

    // Reads the content of a text field whose start tag was just delivered. The last text wins.
    bool ReadText(std::string& field);
    SectionResult ReadTextSection(std::string& field) { return ReadText(field) ? SectionResult::Read : SectionResult::Failed; }

    // Reads the children of a container (or record) whose start tag was just delivered.
    bool ReadContainer(const SectionHandler& children);
    SectionResult ReadContainerSection(const SectionHandler& children) {
        return ReadContainer(children) ? SectionResult::Read : SectionResult::Failed;
    }

private:
    bool RunRootLoop(const SectionHandler& rootContent);

    std::string rootName_;
    bool quoteNestedSection_;
    std::unique_ptr<MarkupReader> reader_;
    bool failed_ = false;
    std::string errorText_;
};

// The C library's conversion of a text to a long, held to 32 bits: leading whitespace skipped,
// an optional sign, the decimal digits up to the first other byte; 0 without digits. Values
// beyond the 32-bit range saturate, as a 32-bit long does.
int32_t ReadDecimal(const std::string& text);
