#include "paged_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <tuple>

#include "platform/platform.h"

namespace {

class PagedMemory : public testing::TestWithParam<std::tuple<std::size_t, bool>> {};

// Every size gets memory it may fill to the last byte, aligned as promised,
// and gives it back as it was taken (a sanitizer build holds the delete's
// alignment against the allocation's).
TEST_P(PagedMemory, AlignedAndWhole) {
  const auto [bytes, large] = GetParam();
  void* p = NewPagedMemory(bytes, large);
  const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(p);
  const bool onLargePages = large && PlatLargePagesOffered() && bytes >= kLargePage / 2;
  EXPECT_EQ(at % (onLargePages ? kLargePage : large ? 64 : 4096), 0u);
  std::memset(p, 0x5A, bytes);
  EXPECT_EQ(static_cast<unsigned char*>(p)[bytes - 1], 0x5A);
  DeletePagedMemory(p, bytes, large);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PagedMemory,
                         testing::Combine(testing::Values(std::size_t{1}, std::size_t{4097}, kLargePage / 2 - 1,
                                                          kLargePage / 2, kLargePage + 1, 3 * kLargePage),
                                          testing::Bool()));

// A size that rounding up to whole large pages would wrap round to a small
// one fails as out of memory.
TEST(PagedMemory, SizesNearTheLimitFailAsOutOfMemory) {
  for (bool large : {false, true}) EXPECT_THROW(NewPagedMemory(SIZE_MAX - 10, large), std::bad_alloc);
}

}  // namespace
