// The early stop over 200 000 random strokes and constants: outcomes identical to the whole
// shot (the core tests run a smaller sample of the same draws).

#include "support/IssuesComparees.h"

#include <gtest/gtest.h>

TEST(IssueDecideeLourd, DeuxCentMilleCoupsMarquentCommeLeCoupEntier) {
    const issues_comparees::TBilan b = issues_comparees::Compare(200000, 2026);
    EXPECT_TRUE(b.PremiereDifference.empty()) << b.PremiereDifference;
    EXPECT_GT(b.Points, 1000);
    RecordProperty("PasComplets", std::to_string(b.PasComplets));
    RecordProperty("PasArretes", std::to_string(b.PasArretes));
}
