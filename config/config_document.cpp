// The section routines and error reports shared by the define, property and install documents.
#include "config/config_document.h"

#include <climits>
#include <cstdint>

ConfigDocument::ConfigDocument(std::string rootName, bool quoteNestedSection)
    : rootName_(std::move(rootName)), quoteNestedSection_(quoteNestedSection) {}

void ConfigDocument::ReportError(const std::string& message) {
    failed_ = true;
    errorText_ = message;
    if (reader_ && reader_->Line() > 0) errorText_ += " on Line " + std::to_string(reader_->Line());
    if (reader_ && !reader_->FileName().empty()) errorText_ += " in File '" + reader_->FileName() + "'";
}

bool ConfigDocument::ReadText(std::string& field) {
    field.clear();
    for (;;) {
        MarkupEvent event;
        if (!reader_->Next(event)) return false;
        switch (event.Kind) {
            case MarkupKind::Text:
                field = event.Name;
                break;
            case MarkupKind::EndElement:
                return true;
            case MarkupKind::StartElement:
                ReportError(quoteNestedSection_ ? "Unexpected Section: '" + event.Name + "'"
                                                : "Unexpected Section: " + event.Name);
                return false;
            default:
                break;
        }
    }
}

bool ConfigDocument::ReadContainer(const SectionHandler& children) {
    for (;;) {
        MarkupEvent event;
        if (!reader_->Next(event)) return false;
        switch (event.Kind) {
            case MarkupKind::StartElement:
                switch (children(event)) {
                    case SectionResult::Read: break;
                    case SectionResult::Failed: return false;
                    case SectionResult::Unknown:
                        ReportError("Invalid Section '" + event.Name + "'");
                        return false;
                }
                break;
            case MarkupKind::Text:
                ReportError("Element Not Expected '" + event.Name + "'");
                return false;
            case MarkupKind::EndElement:
                return true;
            default:
                break;
        }
    }
}

bool ConfigDocument::RunRootLoop(const SectionHandler& rootContent) {
    MarkupEvent event;
    while (reader_->Next(event)) {
        if (event.Kind == MarkupKind::StartElement) {
            if (event.Name != rootName_) {
                ReportError("Invalid Section '" + event.Name + "'");
                break;
            }
            if (!ReadContainer(rootContent)) break;
        } else if (event.Kind == MarkupKind::Text) {
            ReportError("Element Not Expected '" + event.Name + "'");
            break;
        }
        event = MarkupEvent();
    }
    if (reader_->HasError()) ReportError(reader_->ErrorMessage());
    reader_.reset();
    return !failed_;
}

bool ConfigDocument::LoadFile(const std::string& path, const SectionHandler& rootContent) {
    reader_ = std::make_unique<MarkupReader>();
    reader_->Open(path);  // a failed open leaves the reader in error; the loop reports it
    return RunRootLoop(rootContent);
}

bool ConfigDocument::LoadText(const std::string& text, const SectionHandler& rootContent) {
    reader_ = std::make_unique<MarkupReader>();
    reader_->OpenText(text);
    return RunRootLoop(rootContent);
}

int32_t ReadDecimal(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(INT32_MAX) + 1) value = int64_t(INT32_MAX) + 1;  // saturated below
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}
