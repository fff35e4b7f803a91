// The one translation of caught exceptions into a number and a description.
#include "ZorvError.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

using namespace zorv;

TEST(CatchError, TranslatesEachKindOfExceptionAndPassesARunThrough) {
    EXPECT_FALSE(CatchError([] {}));

    const auto ours = CatchError([] { throw ZorvError(ErrFileNotFound, "File not found."); });
    ASSERT_TRUE(ours);
    EXPECT_EQ(ours->kind, CaughtError::Kind::Zorv);
    EXPECT_EQ(ours->number, 53);
    EXPECT_EQ(ours->description, "File not found.");

    const auto memory = CatchError([] { throw std::bad_alloc(); });
    ASSERT_TRUE(memory);
    EXPECT_EQ(memory->kind, CaughtError::Kind::OutOfMemory);
    EXPECT_EQ(memory->number, 7);
    EXPECT_EQ(memory->description, "Out of memory.");

    const auto other = CatchError([] { throw std::out_of_range("index 3"); });
    ASSERT_TRUE(other);
    EXPECT_EQ(other->kind, CaughtError::Kind::Other);
    EXPECT_EQ(other->number, ErrInvalidCall);
    EXPECT_EQ(other->description, "index 3");
}
