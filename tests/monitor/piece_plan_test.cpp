#include "monitor/PiecePlan.h"

#include <gtest/gtest.h>

using zormon::PieceCount;
using zormon::PieceSize;

TEST(PiecePlan, PieceSizeFromSplit)
{
    EXPECT_EQ(PieceSize("0"), 0u);
    EXPECT_EQ(PieceSize("1"), 0u);   // 1024 leaves no room beside the header block
    EXPECT_EQ(PieceSize("2"), 818u);
    EXPECT_EQ(PieceSize("1000"), 1022770u);
    EXPECT_EQ(PieceSize("-5"), 0u);
    EXPECT_EQ(PieceSize(""), 0u);
    EXPECT_EQ(PieceSize("abc"), 0u);
    // Read like atoi: leading blanks and a sign, digits up to the first other character.
    EXPECT_EQ(PieceSize(" +2kB"), 818u);
    // A value beyond any integer is held at a bound, never wraps to a small or negative size.
    EXPECT_GT(PieceSize("99999999999999999999999999"), uint64_t{1} << 50);
}

TEST(PiecePlan, PieceCountFromEncodedSize)
{
    EXPECT_EQ(PieceCount(818, 1636), 2u);
    EXPECT_EQ(PieceCount(818, 1637), 3u);
    EXPECT_EQ(PieceCount(818, 818), 1u);  // a piece as large as the file: one message
    EXPECT_EQ(PieceCount(818, 819), 2u);
    EXPECT_EQ(PieceCount(0, 5000000), 1u);
    EXPECT_EQ(PieceCount(818, 0), 1u);

    const zormon::PiecePlan plan = zormon::PlanPieces("2", 1637);
    EXPECT_EQ(plan.pieceSize, 818u);
    EXPECT_EQ(plan.pieceCount, 3u);
}
