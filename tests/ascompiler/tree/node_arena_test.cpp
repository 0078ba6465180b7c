#include "ascompiler/tree/node_arena.h"
#include "ascompiler/tree/node_factory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

using translate::ArenaAllocate;
using translate::ArenaKind;
using translate::ArenaRelease;
using translate::ASNode;

// Many chunks' worth of blocks of every size, small and large, freed out of order on another
// thread: each block is aligned, apart from the others and keeps what was written into it
// (the sanitizers catch an overlap, a stray write and a chunk never given back).
TEST(NodeArenaTest, BlocksStayApartAndAreFreedFromAnyThread) {
    std::vector<std::pair<unsigned char*, size_t>> blocks;
    for (size_t i = 0; i < 20000; ++i) {
        const size_t size = i % 700 + 1;
        auto* block = static_cast<unsigned char*>(
            ArenaAllocate(size, i % 2 ? ArenaKind::Tree : ArenaKind::Code));
        ASSERT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
        std::memset(block, static_cast<int>(i & 0xFF), size);
        blocks.emplace_back(block, size);
    }
    std::set<unsigned char*> distinct;
    for (const auto& [block, size] : blocks)
        distinct.insert(block);
    EXPECT_EQ(distinct.size(), blocks.size());
    std::thread([&] {
        for (size_t i = 0; i < blocks.size(); i += 2)
            ArenaRelease(blocks[i].first);
    }).join();
    for (size_t i = 1; i < blocks.size(); i += 2) {
        const auto [block, size] = blocks[i];
        EXPECT_EQ(block[size - 1], static_cast<unsigned char>(i & 0xFF)) << i;
        ArenaRelease(block);
    }
    ArenaRelease(nullptr);
}

// A tree built on one thread outlives it and is freed on another.
TEST(NodeArenaTest, TreeOutlivesTheThreadThatBuiltIt) {
    ASNode* root = nullptr;
    std::thread([&] {
        root = translate::NewASNode(ASNode::List);
        for (int i = 0; i < 5000; ++i)
            root->append(translate::BinaryASNode(
                ASNode::Add, translate::ValueASNode(ASNode::Number, std::to_string(i).c_str()),
                translate::ValueASNode(ASNode::Identifier, "a name longer than sixteen")));
    }).join();
    ASSERT_EQ(root->count(), 5000);
    EXPECT_STREQ(root->get(4999)->get(0)->getValue(), "4999");
    std::thread([root] { root->destroy(); }).join();
}
