// Names and plain-language sentences for the decoder's error codes, for clients that show them.
#include "cab/cabinet.h"

namespace cab {
namespace {

struct ErrorText {
    const char* name;
    const char* sentence;
};

constexpr ErrorText Texts[] = {
    {"None", "No error."},
    {"CabinetNotFound", "The cabinet file could not be opened."},
    {"NotACabinet", "The file is not a cabinet."},
    {"UnknownVersion", "The cabinet has a format version this program does not read."},
    {"CorruptCabinet", "The cabinet is damaged or incomplete."},
    {"OutOfMemory", "There was not enough memory."},
    {"BadCompressionType", "The cabinet uses an unknown compression method."},
    {"DecompressFailed", "The compressed data could not be decoded."},
    {"TargetFileError", "An extracted file could not be written."},
    {"ReserveMismatch", "The cabinets of the set have different reserve sizes."},
    {"WrongCabinet", "The next cabinet does not belong to this set."},
    {"UserAbort", "The extraction was stopped."},
};

const ErrorText& TextOf(int32_t code) {
    constexpr int32_t count = sizeof Texts / sizeof Texts[0];
    static const ErrorText unknown = {"UnknownError", "An unknown error occurred."};
    return code >= 0 && code < count ? Texts[code] : unknown;
}

}  // namespace

const char* ErrorName(int32_t code) { return TextOf(code).name; }
const char* ErrorSentence(int32_t code) { return TextOf(code).sentence; }

}  // namespace cab
