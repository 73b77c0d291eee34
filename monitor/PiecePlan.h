// How an encoded job is cut into message/partial pieces (RFC 2046, section 5.2.2). A piece
// carries P bytes of encoded text; 1,230 bytes of each `Split` kilobytes are kept for the
// header block.
#pragma once

#include <cstdint>
#include <string_view>

namespace zormon {

// Room kept in every piece for the header block.
constexpr uint64_t kPieceHeaderRoom = 1230;

struct PiecePlan {
    uint64_t pieceSize = 0;  // P: body bytes per piece, 0 for no splitting
    uint64_t pieceCount = 1; // N: number of messages, 1 for an unsplit job
};

// P from the `Split` setting (kilobytes, read as a decimal integer like atoi: leading blanks,
// a sign, digits, anything else ends it): Split * 1024 - 1230 when that is positive, else 0.
uint64_t PieceSize(std::string_view split);
// N for an encoded size E: ceiling(E / P) when P is not 0 and P < E, else 1.
uint64_t PieceCount(uint64_t pieceSize, uint64_t encodedSize);
PiecePlan PlanPieces(std::string_view split, uint64_t encodedSize);

} // namespace zormon
