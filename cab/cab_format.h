// Layout of the cabinet file format: field offsets, sizes, flags and special values.
//
// A cabinet is laid out as
//
//     CFHEADER (36 bytes)
//       [cbCFHeader u16, cbCFFolder u8, cbCFData u8, header reserve]   flag 0x0004
//       [szCabinetPrev, szDiskPrev]                                     flag 0x0001
//       [szCabinetNext, szDiskNext]                                     flag 0x0002
//     CFFOLDER × cFolders   (8 bytes + folder reserve each)
//     CFFILE × cFiles       (16 bytes + NUL-terminated name each), from coffFiles
//     CFDATA blocks         (8 bytes + data reserve + cbData bytes each), from each folder's
//                           coffCabStart
//
// Every multi-byte field is little-endian. The reader (cabinet_*.cpp) checks each field against
// these constants; nothing else in the decoder spells a format number.
#pragma once

#include <cstdint>

namespace cab {

// ---- CFHEADER -------------------------------------------------------------------------------
constexpr uint32_t HeaderSize = 36;
constexpr uint8_t HeaderSignature[4] = {'M', 'S', 'C', 'F'};
constexpr uint32_t HeaderOffsetSignature = 0;
constexpr uint32_t HeaderOffsetCoffFiles = 16;
constexpr uint32_t HeaderOffsetVersion = 24;   // versionMinor, then versionMajor
constexpr uint32_t HeaderOffsetFolderCount = 26;
constexpr uint32_t HeaderOffsetFileCount = 28;
constexpr uint32_t HeaderOffsetFlags = 30;
constexpr uint32_t HeaderOffsetSetId = 32;
constexpr uint32_t HeaderOffsetCabinetIndex = 34;

// The only version read: minor 3, major 1, taken together as one little-endian word.
constexpr uint16_t SupportedVersion = 0x0103;

constexpr uint16_t FlagPreviousCabinet = 0x0001;  // szCabinetPrev and szDiskPrev follow
constexpr uint16_t FlagNextCabinet = 0x0002;      // szCabinetNext and szDiskNext follow
constexpr uint16_t FlagReservePresent = 0x0004;   // the four reserve-size bytes follow

// cbCFHeader (u16), cbCFFolder (u8), cbCFData (u8).
constexpr uint32_t ReserveSizesSize = 4;

// Every text in the header and every entry name: at most 255 bytes, then a NUL.
constexpr uint32_t MaxStringSize = 256;

// ---- CFFOLDER -------------------------------------------------------------------------------
constexpr uint32_t FolderSize = 8;  // before the folder reserve
constexpr uint32_t FolderOffsetDataStart = 0;   // coffCabStart
constexpr uint32_t FolderOffsetBlockCount = 4;  // cCFData
constexpr uint32_t FolderOffsetCompression = 6; // typeCompress

// typeCompress: bits 0-3 the method, bits 8-12 the method's window parameter.
constexpr uint16_t CompressionMethodMask = 0x000F;
constexpr uint32_t CompressionWindowShift = 8;
constexpr uint16_t CompressionWindowMask = 0x1F;

constexpr uint16_t MethodStored = 0;
constexpr uint16_t MethodMszip = 1;
constexpr uint16_t MethodQuantum = 2;
constexpr uint16_t MethodLzx = 3;
// Never a folder's method: the decoder's own mark for "no codec set up".
constexpr uint16_t MethodNone = 15;

// ---- CFFILE ---------------------------------------------------------------------------------
constexpr uint32_t FileSize = 16;  // before the name
constexpr uint32_t FileOffsetSize = 0;          // cbFile
constexpr uint32_t FileOffsetFolderStart = 4;   // uoffFolderStart
constexpr uint32_t FileOffsetFolder = 8;        // iFolder
constexpr uint32_t FileOffsetDate = 10;
constexpr uint32_t FileOffsetTime = 12;
constexpr uint32_t FileOffsetAttributes = 14;

// Special iFolder values of entries whose data crosses a cabinet boundary.
constexpr uint16_t FolderContinuedFromPrevious = 0xFFFD;
constexpr uint16_t FolderContinuedToNext = 0xFFFE;
constexpr uint16_t FolderContinuedBoth = 0xFFFF;
// Entries at or above this index are offered for extraction whatever cFolders says.
constexpr uint16_t FolderSpecialFirst = 0xFFFC;

// attribs bit marking an entry to be run after extraction.
constexpr uint16_t AttributeRunAfterExtract = 0x0040;

// ---- CFDATA ---------------------------------------------------------------------------------
constexpr uint32_t DataHeaderSize = 8;  // before the data reserve
constexpr uint32_t DataOffsetChecksum = 0;     // csum
constexpr uint32_t DataOffsetCompressed = 4;   // cbData
constexpr uint32_t DataOffsetUncompressed = 6; // cbUncomp; 0 = continues in the next cabinet

// Largest uncompressed size of one block, and the block size every codec is set up with.
constexpr uint32_t BlockSize = 32768;

// ---- Opening cabinets -----------------------------------------------------------------------
// The client's open gets these: untranslated read-only (_O_BINARY | _O_RDONLY) and the
// permission mode read and write (_S_IREAD | _S_IWRITE) of the platform's low-level file open.
constexpr int CabinetOpenFlags = 0x8000;
constexpr int CabinetOpenMode = 0x0180;

// ---- Little-endian field access -------------------------------------------------------------
inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace cab
