#include "monitor/PiecePlan.h"

#include <cctype>
#include <limits>

namespace zormon {

namespace {

// The decimal integer at the start of the text, the way atoi reads it; a value too large for
// the arithmetic below is held at a bound instead of overflowing.
int64_t leadingInteger(std::string_view text)
{
    constexpr int64_t bound = std::numeric_limits<int64_t>::max() / 1024;
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value >= bound / 10 ? bound : value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

} // namespace

uint64_t PieceSize(std::string_view split)
{
    const int64_t bytes = leadingInteger(split) * 1024;
    return bytes > static_cast<int64_t>(kPieceHeaderRoom) ? static_cast<uint64_t>(bytes) - kPieceHeaderRoom : 0;
}

uint64_t PieceCount(uint64_t pieceSize, uint64_t encodedSize)
{
    if (pieceSize == 0 || pieceSize >= encodedSize)
        return 1;
    return encodedSize / pieceSize + (encodedSize % pieceSize != 0 ? 1 : 0);
}

PiecePlan PlanPieces(std::string_view split, uint64_t encodedSize)
{
    PiecePlan plan;
    plan.pieceSize = PieceSize(split);
    plan.pieceCount = PieceCount(plan.pieceSize, encodedSize);
    return plan;
}

} // namespace zormon
