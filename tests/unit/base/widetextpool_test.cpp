#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/widetextpool.h"

namespace {

TEST(WideTextPoolTest, CopiesStayWholeAndInPlaceAcrossBlocks)
{
    CWideTextPool pool;
    std::vector<std::pair<LPCWSTR, std::wstring>> copies;
    // Enough short copies to fill several blocks, each one ending a block's room differently.
    for (int i = 0; i < 30000; ++i) {
        std::wstring text = L"First" + std::to_wstring(i) + L" Last" + std::to_wstring(i);
        copies.emplace_back(pool.Add(text.c_str(), text.size()), text);
    }
    EXPECT_GT(pool.CapacityChars(), CWideTextPool::kBlockChars);
    for (const auto& [pszCopy, text] : copies) {
        ASSERT_EQ(std::wstring(pszCopy), text);
    }
}

TEST(WideTextPoolTest, ALongCopyGetsAnExactBlockAndTheCurrentBlockKeepsItsRoom)
{
    CWideTextPool pool;
    LPCWSTR pszFirst = pool.Add(L"ab", 2);
    const size_t cchBlock = pool.CapacityChars();
    std::wstring longText(CWideTextPool::kBlockChars, L'x');
    LPCWSTR pszLong = pool.Add(longText.c_str(), longText.size());
    EXPECT_EQ(pool.CapacityChars(), cchBlock + longText.size() + 1);
    EXPECT_EQ(std::wstring(pszLong), longText);
    LPCWSTR pszNext = pool.Add(L"cd", 2);
    EXPECT_EQ(pszNext, pszFirst + 3);
    EXPECT_EQ(pool.CapacityChars(), cchBlock + longText.size() + 1);
}

TEST(WideTextPoolTest, NothingToCopyIsTheEmptyStringAndClearFreesEveryBlock)
{
    CWideTextPool pool;
    EXPECT_STREQ(pool.Add(nullptr, 3), L"");
    EXPECT_STREQ(pool.Add(L"abc", 0), L"");
    EXPECT_EQ(pool.CapacityChars(), 0u);
    pool.Add(L"abc", 3);
    pool.Clear();
    EXPECT_EQ(pool.CapacityChars(), 0u);
    EXPECT_STREQ(pool.Add(L"de", 2), L"de");
}

}  // namespace
