// The layout of a binary record file, shared by its writer, its reader and the unit table
// that closes it: a header byte, records whose boundaries are kept in the file, and a
// trailer byte written when the unit is closed. A record's data are cut into segments of
// at most kSegmentData bytes, each framed by its length byte L on both sides; a segment
// followed by another of the same record has L = kContinuedSegment.
#ifndef PEDPEEL_RECORDS_BINARY_FORMAT_H_
#define PEDPEEL_RECORDS_BINARY_FORMAT_H_

#include <cstddef>
#include <cstdint>

namespace pedpeel {

// First byte of the file, placed before its first record (or at the close of a file
// written without one).
inline constexpr uint8_t kBinaryHeader = 0x4B;
// Last byte of the file, written when the unit is closed.
inline constexpr uint8_t kBinaryTrailer = 0x82;
// Most data bytes one segment carries.
inline constexpr size_t kSegmentData = 128;
// Length byte of a full segment that another segment of the same record follows.
inline constexpr uint8_t kContinuedSegment = 129;

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_BINARY_FORMAT_H_
